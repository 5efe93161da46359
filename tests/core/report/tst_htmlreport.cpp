// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The report's pages: what each page holds for a small class read by hand, in which order, escaped;
// the pages' names, the questions found in words, the blocks' first words, the charts' dates; and a
// folder that cannot be written.
#include "core/report/Charts.h"
#include "core/report/ClassReport.h"
#include "core/report/HtmlReport.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

namespace tolvanex::report {
namespace {

namespace fs = std::filesystem;

const BankIndex& index()
{
    static const testing::SmallBank lines(
        { "005.  Uniformly Accelerated Motion", "", "`q003.  A cart starts from rest.\r\nHow far does it go?", "",
            "`aIt goes 12 m.", "", "`q004.  Nobody gets here.", "", "`aNor here.", "", "006.  Next", "",
            "`q001.  Think about it", "", "`aAgain." });
    static const BankIndex built(lines);
    return built;
}

const BankBlock* block(BlockKind kind, const std::string& assignment)
{
    for (const BankBlock& b : index().blocks()) {
        if (b.kind == kind && b.assignment == assignment)
            return &b;
    }
    return nullptr;
}

struct Scratch {
    Scratch()
    {
        std::random_device device;
        path = fs::temp_directory_path() / ("tolvanex-pages-" + std::to_string(device()));
        fs::create_directories(path);
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(path / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path path;
};

FiledRecord filed(
    RecordKind kind, const BankBlock* on, std::string date, std::string time, std::string words, std::string reply = {})
{
    FiledRecord record;
    record.kind = kind;
    record.block = on;
    record.blockText = on ? "" : "a block of another course";
    record.date = std::move(date);
    record.time = std::move(time);
    record.words = std::move(words);
    record.reply = std::move(reply);
    record.rating = kind == RecordKind::Note || !on ? RatingKind::None : on->rating;
    return record;
}

// Positions of texts in a page, each after the one before; npos for the first missing.
std::size_t inOrder(const std::string& page, std::initializer_list<std::string> texts)
{
    std::size_t at = 0;
    for (const std::string& text : texts) {
        at = page.find(text, at);
        if (at == std::string::npos)
            return at;
    }
    return at;
}

TEST(HtmlReport, EachPageHoldsItsRecordsInOrderAsText)
{
    const BankBlock* question = block(BlockKind::Question, "005");
    const BankBlock* answer = block(BlockKind::Answer, "005");
    ASSERT_TRUE(question && answer);
    Scratch scratch;
    ClassReport report(index());
    HtmlReport pages(report, index(), scratch.path, "Class <report>");
    report.setSink(&pages);

    ReadFile ann;
    ann.name = { FileKind::Master, "Ann_Lee", "" };
    // Filed out of time order: her page puts them in order.
    ann.records = { filed(RecordKind::Response, question, "01-08-2026", "10:00:00", "Why 12 m? I used a = 2.", "2"),
        filed(RecordKind::Note, answer, "01-07-2026", "09:00:00", "<b>units</b> & more"),
        filed(RecordKind::Response, nullptr, "01-07-2026", "08:00:00", "lost words", "3") };
    report.add("masterFile_Ann_Lee.txt", ann);
    ReadFile bo;
    bo.name = { FileKind::Master, "Bo_O'Neil", "" };
    bo.records = { filed(RecordKind::Response, question, "01-07-2026", "11:00:00", "It is 12 m.", "3") };
    report.add("masterFile_Bo_O'Neil.txt", bo);

    std::string error;
    ASSERT_TRUE(pages.finish(error)) << error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch.path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // Nothing of 006, nobody having reached it; no spool left.
    EXPECT_EQ(
        names, (std::vector<std::string> { "a005-q003.html", "a005.html", "index.html", "s0001.html", "s0002.html" }));

    const std::string onQuestion = scratch.read("a005-q003.html");
    // Each block with its first words; its records in the order read, each with who, when, rating.
    EXPECT_NE(inOrder(onQuestion,
                  { "<h2>Question block</h2>", "<blockquote class=\"block\">A cart starts from rest.</blockquote>",
                      "<li id=\"r1\"><p class=\"who\"><a href=\"s0001.html\">Ann Lee</a>, 2026-01-08 10:00:00, "
                      "response, confidence: 2</p><p class=\"words\">Why 12 m? I used a = 2.</p>",
                      "<li id=\"r4\"><p class=\"who\"><a href=\"s0002.html\">Bo O&#39;Neil</a>, 2026-01-07 "
                      "11:00:00, response, confidence: 3</p>",
                      "<h2>Answer block</h2>",
                      "<li id=\"r2\"><p class=\"who\"><a href=\"s0001.html\">Ann Lee</a>, 2026-01-07 09:00:00, "
                      "note</p><p class=\"words\">&lt;b&gt;units&lt;/b&gt; &amp; more</p>" }),
        std::string::npos)
        << onQuestion;
    EXPECT_EQ(onQuestion.find("<b>units"), std::string::npos);
    // A question's words without the course's marker and label.
    EXPECT_EQ(onQuestion.find("`q"), std::string::npos);

    const std::string annPage = scratch.read("s0001.html");
    EXPECT_NE(inOrder(annPage,
                  { "<h1>Ann Lee</h1>", "2 responses and 1 notes on 2 days worked, 2026-01-07 to 2026-01-08",
                      ">2026-01-08</text>", "<td>2026-01-07</td><td class=\"n\">2</td>",
                      "<td>08:00:00</td><td>a block not in the course</td><td>response</td><td></td>",
                      "<td>09:00:00</td><td><a href=\"a005-q003.html#r2\">005, question 003 (Answer block)</a>",
                      "<td>10:00:00</td><td><a href=\"a005-q003.html#r1\">" }),
        std::string::npos)
        << annPage;

    const std::string assignment = scratch.read("a005.html");
    // A question reached by nobody is one row; the question sentence alone is listed, linked to
    // the response it is in.
    EXPECT_NE(inOrder(assignment,
                  { "0: 0, 1: 0, 2: 1, 3: 1, other: 0",
                      "<tr><th scope=\"row\">question 004<br><span class=\"opening\">Nobody gets here.</span></th>"
                      "<td colspan=\"4\">Nobody has reached this question.</td></tr>",
                      "<h2 id=\"asked\">",
                      "<a href=\"s0001.html\">Ann Lee</a>, <a href=\"a005-q003.html#r1\">2026-01-08 10:00:00</a>: "
                      "<q>Why 12 m?</q></li>" }),
        std::string::npos)
        << assignment;
    EXPECT_EQ(assignment.find("I used a = 2."), std::string::npos);
    EXPECT_EQ(assignment.find("`q"), std::string::npos);

    const std::string home = scratch.read("index.html");
    EXPECT_NE(inOrder(home,
                  { kGeneratorMark, "<title>Class &lt;report&gt;</title>", "2 students,", "4 records",
                      "<a href=\"a005.html\">005.  Uniformly Accelerated Motion</a></th><td class=\"n\">1 of 2</td>"
                      "<td class=\"n\">2</td><td class=\"n\">2</td><td class=\"n\">1</td>"
                      "<td class=\"n\"><a href=\"a005.html#asked\">1</a>",
                      "006.  Next</th><td colspan=\"5\">Nobody has sent work on this assignment.",
                      "1 responses quote a block that is not in the course",
                      // Each count says what it counts, as the summary CSV's columns do.
                      "<th scope=\"col\">Questions responded to</th>", "<th scope=\"col\">Responses filed</th>",
                      // Ann's days summed up once her files were read, Bo's while his are last.
                      "<a href=\"s0001.html\">Ann Lee</a>", "<td class=\"n\">2 (2026-01-07 to 2026-01-08)</td>",
                      "<a href=\"s0002.html\">Bo O&#39;Neil</a>", "<td class=\"n\">1 (2026-01-07 to 2026-01-07)</td>",
                      "<td class=\"n\">3.00</td>" }),
        std::string::npos)
        << home;
    for (const std::string& name : names)
        EXPECT_EQ(scratch.read(name).find("<script"), std::string::npos) << name;
}

TEST(HtmlReport, AFolderThatCannotBeWrittenIsNamedWithTheReason)
{
    Scratch scratch;
    ClassReport report(index());
    HtmlReport pages(report, index(), scratch.path / "gone", "Class");
    report.setSink(&pages);
    ReadFile ann;
    ann.name = { FileKind::Master, "Ann_Lee", "" };
    ann.records = { filed(RecordKind::Response, block(BlockKind::Question, "005"), "01-08-2026", "10:00:00", "x") };
    report.add("masterFile_Ann_Lee.txt", ann);
    std::string error;
    EXPECT_FALSE(pages.finish(error));
    EXPECT_NE(error.find((scratch.path / "gone").string()), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(HtmlReport, QuestionsFirstWordsNamesAndDates)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> asked = {
        { "Is it 3.2 m/s? I think so.", { "Is it 3.2 m/s?" } },
        { "v = 3.2 m/s. Why?", { "Why?" } },
        { "what units\r\nand why?\r\nWhat now?", { "and why?", "What now?" } },
        { "Is a < b?? Really?!", { "Is a < b??" } },
        { "No question here.", {} },
        { "", {} },
        { "  ?  ", { "?" } },
    };
    for (const auto& [words, questions] : asked)
        EXPECT_EQ(questionsIn(words), questions) << words;

    EXPECT_EQ(firstWords("Short.\r\nSecond line."), "Short.");
    EXPECT_EQ(firstWords("one two three four", 9), "one two...");
    EXPECT_EQ(firstWords("abcdefghijkl", 5), "abcde...");
    // Never inside a character of several bytes (\xCE\x94 is one).
    EXPECT_EQ(firstWords("abcd\xCE\x94xyz", 5), "abcd...");
    // A block's words as the pages show them, and the question each block is on.
    for (const auto& [kind, assignment, words, label] :
        std::vector<std::tuple<BlockKind, std::string, std::string, std::string>> {
            { BlockKind::Question, "005", "A cart starts from rest.\r\nHow far does it go?", "003" },
            { BlockKind::Answer, "005", "It goes 12 m.", "003" },
            { BlockKind::Question, "006", "Think about it", "001" } }) {
        const BankBlock* shown = block(kind, assignment);
        ASSERT_TRUE(shown);
        EXPECT_EQ(blockWords(*shown), words);
        const BankQuestion* on = index().questionOf(*shown);
        ASSERT_TRUE(on);
        EXPECT_EQ(on->label, label);
        EXPECT_EQ(&index().blocks()[on->block], kind == BlockKind::Question ? shown : shown - 1);
    }

    EXPECT_EQ(assignmentPage("005"), "a005.html");
    EXPECT_EQ(questionPage("005", "003a"), "a005-q003a.html");
    EXPECT_EQ(questionPage("005", ""), "a005-intro.html");
    EXPECT_EQ(questionPage("../x", "a/b"), "a___x-qa_b.html");
    EXPECT_EQ(studentPage(0), "s0001.html");
    EXPECT_EQ(studentPage(1233), "s1234.html");

    for (const auto& [date, day] :
        std::vector<std::pair<std::string, long>> { { "1970-01-01", 0 }, { "2026-01-07", 20460 },
            { "2024-03-01", 19783 }, { "2024-02-29", 19782 }, { "2026-13-01", 0 }, { "01-07-2026", 0 }, { "", 0 } })
        EXPECT_EQ(dayNumber(date), day) << date;
    // Days apart stand apart on the axis: the middle of three days, two of them near, is placed
    // by its date, not half way.
    const std::string chart = dateChart({ { "2026-01-01", 0 }, { "2026-01-02", 3 }, { "2026-01-11", 1.5 } }, "c");
    EXPECT_NE(chart.find("<circle cx=\"22\" cy=\"66\""), std::string::npos) << chart;
    EXPECT_NE(chart.find("<circle cx=\"52\" cy=\"6\""), std::string::npos) << chart;
    EXPECT_NE(chart.find("<circle cx=\"322\" cy=\"36\""), std::string::npos) << chart;
    EXPECT_EQ(ratingCountsText({ 1, 0, 2, 0, 5 }), "0: 1, 1: 0, 2: 2, 3: 0, other: 5");
}

} // namespace
} // namespace tolvanex::report
