// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The journal read back: whole, it gives back every field as written; a journal with any byte
// changed, or cut short anywhere, is not taken for one.
#include "core/recording/Journal.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

Journal sample()
{
    Journal journal;
    journal.entries = { { "c:\\tolvanex\\masterFile_Ann_Lee.txt", 1234, "RESPONSE -->  \r\nv = 6 m/s\r\n" },
        { "c:\\tolvanex\\notes_Ann_Lee.txt", std::nullopt, std::string("a NUL \0 and 12:34", 17) } };
    journal.words = "v = 6 m/s";
    journal.draft = "tolvanex draft 1\n005\n003\nquestion\n2026-01-07 14:05:09\nv = 6";
    journal.draftFile = "c:\\tolvanex\\.tolvanex_Ann_Lee.draft1";
    journal.draftLock = "c:\\tolvanex\\.tolvanex_Ann_Lee.draft1.lock";
    return journal;
}

// The same filing taking two drafts of windows that are gone along.
Journal withHeldDrafts()
{
    Journal journal = sample();
    journal.heldDrafts = { { "c:\\tolvanex\\.tolvanex_Ann_Lee.draft2", "c:\\tolvanex\\.tolvanex_Ann_Lee.inuse2",
                               "tolvanex draft 1\n005\n003\nquestion\n2026-01-07 14:01:00\nv =" },
        { "c:\\tolvanex\\.tolvanex_Ann_Lee.draft3", "c:\\tolvanex\\.tolvanex_Ann_Lee.inuse3",
            std::string("6\0 m", 4) } };
    return journal;
}

TEST(Journal, ComesBackWithEveryFieldAsWritten)
{
    for (const Journal& written : { sample(), withHeldDrafts() }) {
        SCOPED_TRACE(written.heldDrafts.size());
        const std::string bytes = encodeJournal(written);
        // Only a filing that takes drafts along writes the newer version: every other journal is
        // one that a program of the version before reads.
        EXPECT_EQ(bytes.rfind(written.heldDrafts.empty() ? "18:tolvanex journal 2" : "18:tolvanex journal 3", 0), 0u);
        const std::optional<Journal> read = decodeJournal(bytes);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->entries.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(read->entries[i].path, written.entries[i].path);
            EXPECT_EQ(read->entries[i].lengthBefore, written.entries[i].lengthBefore);
            EXPECT_EQ(read->entries[i].bytes, written.entries[i].bytes);
        }
        EXPECT_EQ(read->words, written.words);
        EXPECT_EQ(read->draft, written.draft);
        EXPECT_EQ(read->draftFile, written.draftFile);
        EXPECT_EQ(read->draftLock, written.draftLock);
        ASSERT_EQ(read->heldDrafts.size(), written.heldDrafts.size());
        for (std::size_t i = 0; i < written.heldDrafts.size(); ++i) {
            EXPECT_EQ(read->heldDrafts[i].file, written.heldDrafts[i].file);
            EXPECT_EQ(read->heldDrafts[i].lock, written.heldDrafts[i].lock);
            EXPECT_EQ(read->heldDrafts[i].bytes, written.heldDrafts[i].bytes);
        }
    }
}

TEST(Journal, AnyByteChangedOrCutOffIsNoJournal)
{
    for (const Journal& journal : { sample(), withHeldDrafts() }) {
        const std::string bytes = encodeJournal(journal);
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            std::string changed = bytes;
            changed[at] = static_cast<char>(changed[at] ^ 0x01);
            EXPECT_FALSE(decodeJournal(changed)) << "byte " << at << " of " << bytes.size() << " changed";
            EXPECT_FALSE(decodeJournal(std::string_view(bytes).substr(0, at))) << "cut to " << at << " bytes";
        }
    }
}

} // namespace
} // namespace tolvanex
