// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The journal of a filing: what it is about to do, written whole to stable storage before the first
// byte reaches a record file, so that a filing cut short (a crash, a power cut, a failure that could
// not be undone) can be finished later. It names each record file with its length before the filing
// (or that the filing creates it) and the bytes the filing appends, and the words the student filed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

struct JournalEntry {
    std::string path;
    // The length before the filing; nothing when the filing creates the file.
    std::optional<std::uintmax_t> lengthBefore;
    std::string bytes;
};

// A draft of a window that is gone whose words the filing's window took into its answer box: the
// filing's words include them, so it goes with the filing. Its bytes as they stood when the filing
// began tell it from words typed into it since.
struct JournalDraft {
    std::string file;
    std::string lock;
    std::string bytes;
};

struct Journal {
    std::vector<JournalEntry> entries;
    // The words filed, as typed (UTF-8); empty for the heading block.
    std::string words;
    // What the draft of the answer box held when the filing began: it may lag behind the words.
    std::string draft;
    // The filing window's draft and the lock it holds on it while it runs; empty when the filing
    // removes no draft (the heading block).
    std::string draftFile;
    std::string draftLock;
    // The drafts of windows that are gone that go with the filing too.
    std::vector<JournalDraft> heldDrafts;
};

std::string encodeJournal(const Journal& journal);
// Nothing when the bytes are not a whole journal (its check sum guards every byte).
std::optional<Journal> decodeJournal(std::string_view bytes);

} // namespace tolvanex
