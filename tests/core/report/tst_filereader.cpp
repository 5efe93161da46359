// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back what the program files: every kind of record, written by the program's own writer
// through the drill, read back exactly; damaged files and the findings they give.
#include "core/report/ClassReport.h"
#include "core/report/FileReader.h"
#include "core/report/HtmlReport.h"
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace tolvanex::report {
namespace {

using testing::Button;
using testing::DrillHarness;
using testing::fileBytes;

const testing::SmallBank& bank()
{
    static const testing::SmallBank lines({ "005.  Uniformly Accelerated Motion\r\n\r\n.Carts and slopes.", "",
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
        { 0, Button::EnterResponse, "line one\r\nline two\r\n\r\n", "3", RatingKind::Confidence, BlockKind::Question,
            "003" },
        { 0, Button::EnterResponse, "", "", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::EnterResponse, kImitation, "1", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::SaveAsNotes,
            "a\r\n.................................................       "
            "......!!!!!!!!...................................\r\nRESPONSE -->  ",
            std::nullopt, RatingKind::None, BlockKind::Question, "003" },
        { 0, Button::EnterResponse, "\xCE\x94v = 3 m/s \xE2\x98\x83, \xE2\x82\xAC, literal [U+00E9]",
            "maybe \xE2\x98\x83", RatingKind::Confidence, BlockKind::Question, "003" },
        { 0, Button::SaveAsNotes, "", std::nullopt, RatingKind::None, BlockKind::Question, "003" },
        { 1, Button::EnterResponse, "I forgot the units.\r\nconfidence assessment:  2", "3", RatingKind::SelfCritique,
            BlockKind::Answer, "003" },
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

    for (const auto& [path, kind] :
        { std::pair { h.master(), FileKind::Master }, { h.send(), FileKind::Send }, { h.notes(), FileKind::Notes } }) {
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
        expected.push_back(
            { 0, Button::SaveAsNotes, "second run", std::nullopt, RatingKind::None, BlockKind::Text, "003" });
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
            EXPECT_EQ(read.headings[1].header, "005.  Uniformly Accelerated Motion\r\n\r\n.Carts and slopes.");
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
             { "readme", FileKind::Other, "readme", "" }, { "readme.txt", FileKind::Other, "readme", "" },
             { "masterFile_.txt", FileKind::Master, "", "" },
             // Copies, and names in another case, as mail programs and Windows make them.
             { "send_1209Ann_Lee (1).txt", FileKind::Send, "Ann_Lee", "1209" },
             { "masterFile_Ann_Lee - Copy (2).txt", FileKind::Master, "Ann_Lee", "" },
             { "Copy of notes_Ann_Lee.txt", FileKind::Notes, "Ann_Lee", "" },
             { "Copy (3) of send_1209Ann_Lee.txt", FileKind::Send, "Ann_Lee", "1209" },
             { "Send_1209Ann_Lee.TXT", FileKind::Send, "Ann_Lee", "1209" },
             { "MASTERFILE_ANN_LEE.TXT", FileKind::Master, "ANN_LEE", "" },
             { "send_1209Ann_Lee.txt.bak", FileKind::Other, "send_1209Ann_Lee.txt.bak", "" },
             { "Copy of readme.txt", FileKind::Other, "Copy of readme", "" } }) {
        const FileName name = parseFileName(c.name);
        EXPECT_EQ(name.kind, c.kind) << c.name;
        EXPECT_EQ(name.namePart, c.namePart) << c.name;
        EXPECT_EQ(name.mmdd, c.mmdd) << c.name;
    }
    // One student however the name part's case goes, as one file on Windows.
    EXPECT_EQ(studentKey("ANN_LEE"), studentKey("Ann_Lee"));
    EXPECT_EQ(studentKey("Zo\xC3\x8B_\xC5\xA0ipka_\xCE\x94\xD0\x96"), "zo\xC3\xAB_\xC5\xA1ipka_\xCE\xB4\xD0\xB6");
    EXPECT_NE(studentKey("Ann_Lee"), studentKey("Ann_Lea"));
}

TEST(FileReader, EscapesComeBackOnlyAsTheWriterWritesThem)
{
    EXPECT_EQ(decodeFiled("[U+0394]v [U+1F600] [U+00E9] [U+0394 [u+0394] [U+00394] [U+0081] \xE9\x80"),
        "\xCE\x94v \xF0\x9F\x98\x80 [U+00E9] [U+0394 [u+0394] [U+00394] \xC2\x81 \xC3\xA9\xE2\x82\xAC");
}

} // namespace
} // namespace tolvanex::report

namespace tolvanex::report {
namespace {

// A day's files as the program writes them: a response to the question at 14:05:09, a note on
// it, and a critique of the answer at 14:06:00.
struct Day {
    std::string master;
    std::string send;
};
const Day& day()
{
    static const Day files = [] {
        DrillHarness h { bank() };
        h.start("Student One", "5");
        h.click(Button::NextQuestion);
        h.boxes.answer = "About 12 m.";
        h.prompter.reply("2");
        h.click(Button::EnterResponse);
        h.boxes.answer = "units!";
        h.click(Button::SaveAsNotes);
        h.click(Button::NextQuestion);
        h.clock.set(2026, 1, 7, 14, 6, 0);
        h.boxes.answer = "Right.";
        h.prompter.reply("3");
        h.click(Button::EnterResponse);
        return Day { fileBytes(h.master()), fileBytes(h.send()) };
    }();
    return files;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The last record of the master file (from its last opening line).
std::string lastRecord(const std::string& file)
{
    std::size_t at = file.rfind(std::string(texts::openingSeparator) + "\r\n                                    ");
    return file.substr(at);
}

std::string everywhere(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string lfOnly(std::size_t lines)
{
    return "The line ends were changed: " + std::to_string(lines)
        + " lines end in LF alone, not in CR LF as the program writes them (a mail program or an editor?); "
          "read as if they ended in CR LF.";
}

std::string nuls(std::size_t count, std::size_t line)
{
    return "Line " + std::to_string(line) + " holds " + std::to_string(count)
        + " NUL bytes (a power cut leaves such zeros where the file's last writes were): what they stand in "
          "place of is lost; reading goes on after them.";
}

TEST(FileReader, DamagedFilesGiveTheirFindings)
{
    struct Case {
        std::string name;
        std::string file;
        std::string bytes;
        std::vector<std::pair<std::size_t, std::string>> findings;
        std::size_t records;
        std::string skipped = {};
    };
    const std::string master = "masterFile_Student_One.txt";
    const std::string send = "send_0107Student_One.txt";
    const std::string& m = day().master;
    const std::string torn = "The file ends in the middle of a record: it was cut short (a torn tail).";
    // 4 KB of text with `count` control characters the program never writes (1 to 31 but tab,
    // line feed, form feed and carriage return, which it passes among them, as it does bytes
    // above 127).
    const auto controls = [](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; text.size() < 4096; ++i) {
            text += i < count ? static_cast<char>(i % 2 == 0 ? 0x1F : 1 + i % 8) : 'x';
            text += "word\t\f\r\n\xE9\xFF\x80more tex"; // 20 bytes with the control
        }
        return text.substr(0, 4096);
    };
    const std::vector<Case> cases = {
        { "whole", master, m, {}, 3 },
        { "whole send", send, day().send, {}, 3 },
        { "torn in the words", master, m.substr(0, m.size() - 30), { { 28, torn } }, 2 },
        { "torn in the head", master, m.substr(0, m.size() - lastRecord(m).size() + 60), { { 28, torn } }, 2 },
        { "heading cut short", master, m.substr(0, m.find("Physics I")),
            { { 1, "The file ends in the middle of a heading block: it was cut short." } }, 0 },
        { "bytes after the last record", master, m + "stray words\r\nmore",
            { { 39, "The file goes on after its last whole record with lines that are no part of a record." } }, 3 },
        { "lines between records", master, replaced(m, "\r\n......!!!!!!!!", "\r\nstray\r\n......!!!!!!!!"),
            { { 8, "Lines 8 to 8 are no part of a record (edited by hand?); reading goes on at line 9." } }, 3 },
        { "filed twice", master, m + lastRecord(m),
            { { 39, "The same record as at line 28 is filed again (a double filing)." } }, 4 },
        { "out of time order", master, replaced(m, "14:06:00", "14:00:00"),
            { { 28,
                "This record's time, 14:00:00, is earlier than that of the record at line 20, 14:05:09, on the same "
                "day." } },
            3 },
        { "a block not in the course", master, replaced(m, "It goes 12 m.", "It goes 13 m."),
            { { 33, "The block text matches no block of the course (edited by hand, or from another course)." } }, 3 },
        { "another course", master, replaced(m, "Physics I\r\n", "Physics II\r\n"),
            { { 6, "The course title \"Physics II\" is not this course's, \"Physics I\"." } }, 3 },
        { "another header", master, replaced(m, "005.  Uniformly", "005.  Evenly"),
            { { 3,
                "The assignment header \"005.  Evenly Accelerated Motion\r\n\r\n.Carts and slopes.\" differs from the "
                "course's, \"005.  Uniformly Accelerated Motion\r\n\r\n.Carts and slopes.\"." } },
            3 },
        { "send file of another day", "send_0108Student_One.txt", day().send,
            { { 7, "The heading block is dated 01-07-2026, but the file's name says it is the send file of 01-08." } },
            3 },
        { "the same words again at another time", master, m + replaced(lastRecord(m), "14:06:00", "14:07:00"), {}, 4 },
        { "line ends turned into LF", master, everywhere(m, "\r\n", "\n"), { { 0, lfOnly(38) } }, 3 },
        { "half of the line ends turned into LF", master, everywhere(m.substr(0, 400), "\r\n", "\n") + m.substr(400),
            { { 0, lfOnly(17) } }, 3 },
        { "NUL bytes after the last record", master, m + std::string(600, '\0'), { { 39, nuls(600, 39) } }, 3 },
        { "NUL bytes in the last record", master, m.substr(0, m.size() - 30) + std::string(600, '\0'),
            { { 28, "The record is cut short by NUL bytes on line 38: its end is lost." }, { 38, nuls(600, 38) } }, 2 },
        { "records after NUL bytes", master,
            m.substr(0, m.size() - 30) + std::string(70, '\0') + replaced(lastRecord(m), "14:06:00", "14:07:00"),
            { { 28, "The record is cut short by NUL bytes on line 38: its end is lost." }, { 38, nuls(70, 38) } }, 3 },
        { "NUL bytes alone", master, std::string(4096, '\0'), {}, 0,
            "the file holds nothing but NUL bytes (what a power cut can leave)" },
        { "empty", master, "", {}, 0, "the file is empty" },
        { "binary", master, std::string("\x89PNG\r\n\x1a\n\0\0", 10), {}, 0, "the file holds binary data, not text" },
        { "control characters one in twenty", master, controls(204), {}, 0,
            "the file does not begin with a heading block or a record: it is not one the program wrote" },
        { "control characters more than one in twenty", master, controls(205), {}, 0,
            "the file holds binary data, not text" },
        { "UTF-8 from elsewhere", master,
            "Gr\xC3\xBC\xC3\x9F"
            "e\r\n",
            {}, 0, "the file is UTF-8 text from elsewhere, not a file the program wrote" },
        { "other text", "notes_Ann.txt", "shopping list\r\n", {}, 0,
            "the file does not begin with a heading block or a record: it is not one the program wrote" },
        { "a name not ours", "notes.txt", m, {}, 0,
            "the file's name is not one the program gives its files (masterFile_NAME.txt, send_MMDDNAME.txt, "
            "notes_NAME.txt)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadFile read = readFile(c.file, c.bytes, index());
        EXPECT_EQ(read.skipped, c.skipped);
        EXPECT_EQ(read.records.size(), c.records);
        std::vector<std::pair<std::size_t, std::string>> found;
        for (const Finding& finding : read.findings)
            found.emplace_back(finding.line, finding.text);
        EXPECT_EQ(found, c.findings);
    }
}

// A power cut at any byte of the day's files: the zeros it leaves in place of the last writes, then
// what the program wrote after it. Every record that lies whole outside the zeros comes back as
// filed, the one they cut is lost, and the zeros are a finding.
TEST(FileReader, NulBytesAnywhereLoseOnlyTheRecordTheyCut)
{
    for (const auto& [file, bytes] :
        { std::pair<std::string, std::string> { "masterFile_Student_One.txt", day().master },
            { "send_0107Student_One.txt", day().send } }) {
        const ReadFile whole = readFile(file, bytes, index());
        ASSERT_EQ(whole.records.size(), 3u);
        for (std::size_t at = 0; at < bytes.size() * 2; ++at) {
            // One NUL byte, then a hundred.
            const std::size_t zeros = at < bytes.size() ? 1 : 100;
            const std::size_t cut = at % bytes.size();
            SCOPED_TRACE(file + " at byte " + std::to_string(cut) + ", " + std::to_string(zeros));
            const ReadFile read
                = readFile(file, bytes.substr(0, cut) + std::string(zeros, '\0') + bytes.substr(cut), index());
            ASSERT_EQ(read.skipped, "");
            std::size_t found = 0;
            for (const FiledRecord& record : read.records) {
                found += std::count_if(whole.records.begin(), whole.records.end(), [&](const FiledRecord& filed) {
                    return filed.words == record.words && filed.time == record.time && filed.block == record.block
                        && filed.reply == record.reply && filed.kind == record.kind;
                });
            }
            EXPECT_EQ(found, read.records.size());
            EXPECT_GE(read.records.size(), 2u);
            EXPECT_TRUE(std::any_of(read.findings.begin(), read.findings.end(), [&](const Finding& finding) {
                return finding.text.find(zeros == 1 ? " 1 NUL byte (" : " 100 NUL bytes (") != std::string::npos;
            }));
        }
    }
}

TEST(ClassReport, ARecordInTheMasterAndASendFileCountsOnce)
{
    ClassReport report(index());
    for (const auto& [name, bytes] :
        { std::pair<std::string, std::string> { "masterFile_Student_One.txt", day().master },
            { "send_0107Student_One.txt", day().send }, { "masterFile_Student_One.txt", day().master } }) {
        const ReadFile read = readFile(name, bytes, index());
        ASSERT_EQ(read.records.size(), 3u);
        report.add(name, read);
    }
    EXPECT_EQ(report.filesRead(), 3u);
    EXPECT_EQ(report.studentCount(), 1u);
    EXPECT_EQ(report.recordCount(), 3u);
    const auto question = index().blocksWithText("`q003.  A cart starts from rest.\r\nHow far does it go?");
    const auto answer = index().blocksWithText("It goes 12 m.");
    ASSERT_EQ(question.size(), 1u);
    ASSERT_EQ(answer.size(), 1u);
    const auto& asked = report.stats(*question[0]);
    EXPECT_EQ(asked.responses, 1u);
    EXPECT_EQ(asked.students, 1u);
    EXPECT_EQ(asked.confidence, (std::array<std::size_t, kRatingBars> { 0, 0, 1, 0, 0 }));
    EXPECT_EQ(asked.notes, 1u);
    EXPECT_EQ(report.stats(*answer[0]).selfCritique, (std::array<std::size_t, kRatingBars> { 0, 0, 0, 1, 0 }));
    EXPECT_EQ(report.findingCount(), 0u);
}

// A course whose assignment has two questions with one label (a problem in two steps), the first
// followed by its answer and a text block.
const testing::SmallBank& twoStepsBank()
{
    static const testing::SmallBank lines(
        { "007.  Two steps", "", "`q002.  First step: a ball is dropped from 5 m.", "", "`aIt falls for 1 s.",
            "Look at the graph.", "", "`q002.  Second step: it is thrown up again.", "", "`aIt rises 5 m." });
    return lines;
}

const BankIndex& twoSteps()
{
    static const BankIndex built(twoStepsBank());
    return built;
}

// One student's master file over that course: each block responded to with its rating reply.
std::string twoStepsFile(const std::vector<std::string>& replies)
{
    DrillHarness h { twoStepsBank() };
    h.start("Ann Lee", "7");
    for (const std::string& reply : replies) {
        h.click(Button::NextQuestion);
        h.boxes.answer = "words";
        h.prompter.reply(reply);
        h.click(Button::EnterResponse);
    }
    return fileBytes(h.master());
}

TEST(ClassReport, EachBlockCountedByItselfAndEachFilingOnce)
{
    using Bars = std::array<std::size_t, kRatingBars>;
    struct Row {
        std::string label;
        std::size_t askedStudents;
        Bars confidence;
        std::size_t answeredStudents;
        std::size_t answeredResponses;
        Bars selfCritique;
    };
    struct Case {
        std::string name;
        std::vector<std::string> files; // master files of one student
        std::size_t records;
        std::vector<Row> rows;
    };
    const std::string once = twoStepsFile({ "2", "3", "1", "0", "3" });
    const std::string twice = once + lastRecord(once);
    const std::string again = once + replaced(lastRecord(once), "14:05:09", "14:07:00");
    const std::string first = "002 (First step: a ball is dropped from 5 m.)";
    const std::string second = "002 (Second step: it is thrown up again.)";
    const std::vector<Case> cases = {
        { "two questions with one label, and a text block rated", { once }, 5,
            { { first, 1, { 0, 0, 1, 0, 0 }, 1, 1, { 0, 0, 0, 1, 0 } },
                { first + ", text: Look at the graph.", 0, {}, 1, 1, { 0, 1, 0, 0, 0 } },
                { second, 1, { 1, 0, 0, 0, 0 }, 1, 1, { 0, 0, 0, 1, 0 } } } },
        { "a record filed twice at the same time", { twice }, 5,
            { { first, 1, { 0, 0, 1, 0, 0 }, 1, 1, { 0, 0, 0, 1, 0 } },
                { first + ", text: Look at the graph.", 0, {}, 1, 1, { 0, 1, 0, 0, 0 } },
                { second, 1, { 1, 0, 0, 0, 0 }, 1, 1, { 0, 0, 0, 1, 0 } } } },
        { "the same words again at another time, in two copies of the file", { again, again }, 6,
            { { first, 1, { 0, 0, 1, 0, 0 }, 1, 1, { 0, 0, 0, 1, 0 } },
                { first + ", text: Look at the graph.", 0, {}, 1, 1, { 0, 1, 0, 0, 0 } },
                { second, 1, { 1, 0, 0, 0, 0 }, 1, 2, { 0, 0, 0, 2, 0 } } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClassReport report(twoSteps());
        const std::filesystem::path folder
            = std::filesystem::temp_directory_path() / ("tolvanex-rows-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder);
        HtmlReport pages(report, twoSteps(), folder, "Class");
        report.setSink(&pages);
        for (const std::string& bytes : c.files)
            report.add("masterFile_Ann_Lee.txt", readFile("masterFile_Ann_Lee.txt", bytes, twoSteps()));
        EXPECT_EQ(report.recordCount(), c.records);
        const auto rows = report.questionRows("007");
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& want = c.rows[i];
            EXPECT_EQ(rows[i].label, want.label);
            EXPECT_EQ(rows[i].asked ? rows[i].asked->students : 0, want.askedStudents) << want.label;
            EXPECT_EQ(rows[i].asked ? rows[i].asked->confidence : Bars {}, want.confidence) << want.label;
            ASSERT_TRUE(rows[i].answered);
            EXPECT_EQ(rows[i].answered->students, want.answeredStudents) << want.label;
            EXPECT_EQ(rows[i].answered->responses, want.answeredResponses) << want.label;
            EXPECT_EQ(rows[i].answered->selfCritique, want.selfCritique) << want.label;
        }
        // The assignment's page shows each row's own numbers.
        std::string error;
        ASSERT_TRUE(pages.finish(error)) << error;
        std::ostringstream page;
        page << std::ifstream(folder / assignmentPage("007")).rdbuf();
        // Each question of the label has a page of its own with its own blocks and records.
        std::ostringstream firstPage;
        std::ostringstream secondPage;
        firstPage << std::ifstream(folder / questionPage("007", "002")).rdbuf();
        secondPage << std::ifstream(folder / questionPage("007", "002", 1)).rdbuf();
        std::filesystem::remove_all(folder);
        EXPECT_NE(firstPage.str().find(">First step: a ball is dropped from 5 m.</blockquote>"), std::string::npos);
        EXPECT_NE(firstPage.str().find(">Look at the graph.</blockquote>"), std::string::npos);
        EXPECT_EQ(firstPage.str().find("Second step"), std::string::npos);
        EXPECT_NE(secondPage.str().find(">Second step: it is thrown up again.</blockquote>"), std::string::npos);
        EXPECT_EQ(secondPage.str().find("First step"), std::string::npos);
        // Every record counted is on one of the two pages.
        const auto items = [](const std::string& text) {
            std::size_t n = 0;
            for (std::size_t at = text.find("<li id=\"r"); at != std::string::npos;
                 at = text.find("<li id=\"r", at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(items(firstPage.str()) + items(secondPage.str()), c.records);
        for (const Row& want : c.rows) {
            std::string numbers;
            for (std::size_t b = 0; b < kRatingBars; ++b)
                numbers += std::string(b == 0 ? ":" : ",") + " " + (b == 4 ? "other" : std::to_string(b)) + ": "
                    + std::to_string(want.selfCritique[b]);
            EXPECT_NE(page.str().find(htmlEscape("Self-critique, question " + want.label + numbers)), std::string::npos)
                << want.label;
        }
    }
}

TEST(ClassReport, RatingsAndTextsAsTheReportShowsThem)
{
    for (const auto& [reply, bar] : std::vector<std::pair<std::string, std::size_t>> {
             { "0", 0 }, { " 3 ", 3 }, { "2.5", 4 }, { "", 4 }, { "4", 4 }, { "sure", 4 }, { "-1", 4 } })
        EXPECT_EQ(ratingBar(reply), bar) << reply;
    EXPECT_EQ(
        htmlEscape("<b>Tom & 'Jerry'</b> \"x\"\r\n"), "&lt;b&gt;Tom &amp; &#39;Jerry&#39;&lt;/b&gt; &quot;x&quot;\n");
    EXPECT_EQ(isoDate("01-07-2026"), "2026-01-07");
    EXPECT_EQ(isoDate("1-7-2026"), "");
}

} // namespace
} // namespace tolvanex::report
