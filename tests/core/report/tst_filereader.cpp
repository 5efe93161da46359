// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back what the program files: every kind of record, written by the program's own writer
// through the drill, read back exactly; damaged files and the findings they give.
#include "core/report/FileReader.h"
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

namespace tolvanex::report {
namespace {

using testing::Button;
using testing::DrillHarness;
using testing::fileBytes;

const testing::SmallBank& bank()
{
    static const testing::SmallBank lines({ "005.  Uniformly Accelerated Motion", "",
        "`q003.  A cart starts from rest.\r\nHow far does it go?", "", "`aIt goes 12 m.", "Think about it", "",
        "006.  Next", "`q001.  Think about it", "", "`aAgain." });
    return lines;
}

const BankIndex& index()
{
    static const BankIndex built(bank());
    return built;
}

// One filing: pages on first, then files these words as a response (with this rating reply, or
// Cancel) or as a note; what the reader is to find.
struct Filing {
    int pages;
    Button button;
    std::string words;
    std::optional<std::string> reply;
    RatingKind rating;
    BlockKind block; // None: before any block
    std::string questionId;
};

const std::string kImitation = "x\r\n.................................................\r\n"
                               "......!!!!!!!!...................................\r\n"
                               "                                    14:05:09 is when I started\r\n"
                               "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n"
                               "......!!!!!!!!...................................\r\n"
                               "RESPONSE -->  \r\nconfidence assessment:  3\r\n"
                               ".................................................\r\nend";

const std::vector<Filing>& filings()
{
    static const std::vector<Filing> table = {
        { 0, Button::EnterResponse, "hello", std::nullopt, RatingKind::None, BlockKind::None, "" },
        { 0, Button::SaveAsNotes, "before any block", std::nullopt, RatingKind::None, BlockKind::None, "" },
        { 1, Button::EnterResponse, "About 12 m.", "2", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::EnterResponse, "line one\r\nline two\r\n\r\n", "3", RatingKind::Confidence,
            BlockKind::Question, "003" },
        { 0, Button::EnterResponse, "", "", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::EnterResponse, kImitation, "1", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::SaveAsNotes, "a\r\n.................................................       "
                                  "......!!!!!!!!...................................\r\nRESPONSE -->  ",
            std::nullopt, RatingKind::None, BlockKind::Question, "003" },
        { 0, Button::EnterResponse, "\xCE\x94v = 3 m/s \xE2\x98\x83, \xE2\x82\xAC, literal [U+00E9]",
            "maybe \xE2\x98\x83", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::SaveAsNotes, "", std::nullopt, RatingKind::None, BlockKind::Question, "003" },
        { 1, Button::EnterResponse, "I forgot the units.\r\nconfidence assessment:  2", "3",
            RatingKind::SelfCritique, BlockKind::Answer, "003" },
        { 1, Button::EnterResponse, "ok", std::nullopt, RatingKind::SelfCritique, BlockKind::Text, "003" },
        { 0, Button::SaveAsNotes, "last note", std::nullopt, RatingKind::None, BlockKind::Text, "003" },
    };
    return table;
}

TEST(FileReader, RecordsComeBackExactlyFromEveryFile)
{
    DrillHarness h { bank() };
    ASSERT_TRUE(h.start("Student One", "5"));
    for (const Filing& filing : filings()) {
        for (int i = 0; i < filing.pages; ++i)
            ASSERT_FALSE(h.click(Button::NextQuestion));
        h.boxes.answer = filing.words;
        if (filing.button == Button::EnterResponse && filing.rating != RatingKind::None) {
            if (filing.reply)
                h.prompter.reply(*filing.reply);
            else
                h.prompter.cancel();
        }
        ASSERT_FALSE(h.click(filing.button));
    }
    // A second run the same day: its heading block runs on from the send file's padded line.
    ASSERT_TRUE(h.start("Student One", "5"));
    h.boxes.answer = "second run";
    ASSERT_FALSE(h.click(Button::SaveAsNotes));

    for (const auto& [path, kind] : { std::pair { h.master(), FileKind::Master }, { h.send(), FileKind::Send },
             { h.notes(), FileKind::Notes } }) {
        SCOPED_TRACE(path.filename().string());
        const ReadFile read = readFile(path.filename().string(), fileBytes(path), index());
        EXPECT_EQ(read.skipped, "");
        EXPECT_EQ(read.name.kind, kind);
        EXPECT_EQ(read.name.namePart, "Student_One");
        for (const Finding& finding : read.findings)
            ADD_FAILURE() << "line " << finding.line << ": " << finding.text;
        std::vector<Filing> expected;
        for (const Filing& filing : filings()) {
            if (kind != FileKind::Notes || filing.button == Button::SaveAsNotes)
                expected.push_back(filing);
        }
        // The drill in the test keeps its last block across the second start.
        expected.push_back({ 0, Button::SaveAsNotes, "second run", std::nullopt, RatingKind::None, BlockKind::Text, "003" });
        ASSERT_EQ(read.records.size(), expected.size());
        EXPECT_EQ(read.headings.size(), kind == FileKind::Notes ? 0u : 2u);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(i);
            const FiledRecord& r = read.records[i];
            const Filing& e = expected[i];
            EXPECT_EQ(r.kind, e.button == Button::SaveAsNotes ? RecordKind::Note : RecordKind::Response);
            EXPECT_EQ(r.words, e.words);
            EXPECT_EQ(r.rating, e.rating);
            EXPECT_EQ(r.reply, e.reply.value_or(""));
            EXPECT_EQ(r.time, "14:05:09");
            EXPECT_EQ(r.date, "01-07-2026");
            EXPECT_EQ(r.block ? r.block->kind : BlockKind::None, e.block);
            EXPECT_EQ(r.block ? r.block->questionId : "", e.questionId);
            EXPECT_EQ(r.block ? r.block->assignment : "", e.block == BlockKind::None ? "" : "005");
            EXPECT_EQ(r.questionNumber.empty(), kind != FileKind::Master || r.kind == RecordKind::Note);
        }
        if (kind != FileKind::Notes) {
            EXPECT_EQ(read.headings[1].assignment, "005");
            EXPECT_EQ(read.headings[1].header, "005.  Uniformly Accelerated Motion");
            EXPECT_EQ(read.headings[1].course, texts::courseTitle);
            EXPECT_EQ(read.headings[1].date, "01-07-2026");
        }
    }
}

TEST(FileReader, FileNamesSayKindStudentAndDay)
{
    struct Case {
        std::string name;
        FileKind kind;
        std::string namePart;
        std::string mmdd;
    };
    for (const Case& c : std::vector<Case> { { "masterFile_Ann_Lee.txt", FileKind::Master, "Ann_Lee", "" },
             { "send_0107Ann_Lee.txt", FileKind::Send, "Ann_Lee", "0107" },
             { "notes_Ann.txt", FileKind::Notes, "Ann", "" }, { "send_01xAnn.txt", FileKind::Other, "send_01xAnn", "" },
             { "readme", FileKind::Other, "readme", "" } }) {
        const FileName name = parseFileName(c.name);
        EXPECT_EQ(name.kind, c.kind) << c.name;
        EXPECT_EQ(name.namePart, c.namePart) << c.name;
        EXPECT_EQ(name.mmdd, c.mmdd) << c.name;
    }
}

TEST(FileReader, EscapesComeBackOnlyAsTheWriterWritesThem)
{
    EXPECT_EQ(decodeFiled("[U+0394]v [U+1F600] [U+00E9] [U+0394 [u+0394] [U+00394] [U+0081] \xE9\x80"),
        "\xCE\x94v \xF0\x9F\x98\x80 [U+00E9] [U+0394 [u+0394] [U+00394] \xC2\x81 \xC3\xA9\xE2\x82\xAC");
}

} // namespace
} // namespace tolvanex::report
