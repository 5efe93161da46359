// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in course: every assignment where the catalogue puts it, with its lines by kind,
// question numbers, announced counts and irregularities; paging each one ends where it should.
#include "core/bank/QuestionBank.h"
#include "core/reader/QuestionReader.h"
#include "core/text/Text.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace tolvanex {
namespace {

struct Assignment {
    std::string number;
    std::string header;
    long first;
    long last;
    int questions;
    int answers;
    int textLines; // blank-only lines included
    int blankOnly;
    int routines;
    int blocks;
    std::vector<std::string> questionNumbers;
    std::string announced; // sentence at the start of question 001, if any
};

// A row as test listings show it: by its number, the same on every build.
void PrintTo(const Assignment& row, std::ostream* out)
{
    *out << "assignment " << row.number;
}

std::vector<std::string> run(int from, int to)
{
    std::vector<std::string> numbers;
    for (int i = from; i <= to; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%03d", i);
        numbers.push_back(text);
    }
    return numbers;
}

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Assignment>& catalogue()
{
    static const std::vector<Assignment> rows = {
        { "001",
            "001.  Timing (pendulum exp and timer program, using pendulum to time things with feedback on accuracy)", 1,
            42, 8, 8, 3, 0, 1, 3, run(1, 8), "" },
        { "002", "002.  Velocity", 43, 100, 14, 14, 1, 1, 0, 29, run(1, 14),
            "Note that there are 14 questions in this assignment." },
        { "003", "003.  Velocity Relationships", 101, 146, 11, 11, 0, 0, 0, 22, run(1, 11),
            "Note that there are 11 questions in this assignment." },
        { "004", "004.  Acceleration ", 147, 200, 13, 11, 2, 0, 0, 26,
            { "001", "002", "003", "004", "004", "005", "006", "006a", "006b", "007", "008", "009", "010" },
            "Note that there are 10 questions in this assignment." },
        { "005", "005.  Uniformly Accelerated Motion", 201, 238, 9, 9, 1, 1, 0, 19, run(1, 9),
            "Note that there are 9 questions in this assignment." },
        { "006", "006.  Using equations with uniformly accelerated motion.", 239, 276, 9, 9, 0, 0, 0, 18, run(1, 9),
            "Note that there are 9 questions in this assignment." },
        { "007", "007.  Acceleration of Gravity", 277, 302, 6, 6, 0, 0, 0, 12, run(1, 6), "" },
        { "008", "008.  Using the Acceleration of Gravity", 303, 315, 3, 3, 0, 0, 0, 6, run(1, 3), "" },
        { "009", "009.  Forces exerted by gravity", 316, 361, 11, 11, 0, 0, 0, 22,
            join({ "001", "002", "003", "003" }, run(4, 10)), "Note that there are 10 questions in this set." },
        { "010", "010.  Note that there are 10 questions in this set.\r\n\r\n.Force and Acceleration.", 362, 403, 10,
            10, 0, 0, 0, 20, run(1, 10), "" },
        { "011",
            "011.  Note that there are 12 questions in this set.\r\n\r\n.Situations involving forces and "
            "accelerations.",
            404, 453, 12, 12, 0, 0, 0, 24, run(1, 12), "" },
        { "012", "012.  Problems involving motion and force.", 454, 471, 4, 4, 0, 0, 0, 8, run(1, 4),
            "Note that there are 4 problems in this set." },
        { "013", "013.  Energy", 472, 521, 12, 12, 0, 0, 0, 24, run(1, 12), "" },
        { "014", "014.  Potential energy; conservative and non-conservative forces.", 522, 574, 13, 13, 0, 0, 0, 26,
            join(run(1, 12), { "014" }), "" },
        { "015", "015.", 575, 576, 0, 0, 1, 0, 0, 1, {}, "" },
        { "016", "016.", 577, 578, 0, 0, 1, 0, 0, 1, {}, "" },
        { "017", "017.", 579, 580, 0, 0, 1, 0, 0, 1, {}, "" },
        { "018", "018.", 581, 582, 0, 0, 1, 0, 0, 1, {}, "" },
    };
    return rows;
}

const QuestionBank& loadedBank()
{
    static const QuestionBank bank = [] {
        QuestionBank b;
        long cursor = 0;
        loadBank(b, cursor);
        return b;
    }();
    return bank;
}

class CatalogueRow : public ::testing::TestWithParam<Assignment> { };

TEST_P(CatalogueRow, LinesByKindAndQuestionNumbers)
{
    const Assignment& a = GetParam();
    const QuestionBank& bank = loadedBank();
    EXPECT_EQ(bank.line(a.first), a.header);
    int questions = 0, answers = 0, texts = 0, blankOnly = 0, routines = 0, headers = 0;
    std::vector<std::string> numbers;
    for (long i = a.first; i <= a.last; ++i) {
        const std::string& line = bank.line(i);
        if (line.empty())
            continue;
        if (isHeaderLine(line)) {
            ++headers;
        } else if (isQuestionLine(line)) {
            ++questions;
            std::smatch match;
            const std::string head = line.substr(0, line.find("\r\n"));
            ASSERT_TRUE(std::regex_match(head, match, std::regex("`q([0-9]{3}[a-z]?)(\\.?)  .*")))
                << line.substr(0, 40);
            numbers.push_back(match[1]);
            const bool unstopped = a.number == "004" && match[1] == "001";
            EXPECT_EQ(match[2] == "", unstopped) << line.substr(0, 40);
        } else if (isAnswerLine(line)) {
            ++answers;
            EXPECT_GT(line.size(), 2u);
        } else if (isRoutineLine(line)) {
            ++routines;
            EXPECT_EQ(i, 9);
            EXPECT_EQ(line, "`routine ExitProg");
        } else {
            ++texts;
            blankOnly += line.find_first_not_of(' ') == std::string::npos;
        }
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(questions, a.questions);
    EXPECT_EQ(answers, a.answers);
    EXPECT_EQ(texts, a.textLines);
    EXPECT_EQ(blankOnly, a.blankOnly);
    EXPECT_EQ(routines, a.routines);
    EXPECT_EQ(numbers, a.questionNumbers);
    if (!a.announced.empty()) {
        const std::string& first = bank.line(a.first + 2);
        const std::size_t text = a.number == "004" ? 7 : 8;
        EXPECT_EQ(first.substr(text, a.announced.size()), a.announced);
    }
    EXPECT_TRUE(a.last == 582 || isHeaderLine(bank.line(a.last + 1)));
}

TEST_P(CatalogueRow, PagingShowsTheBlocksAndEndsAtTheNextAssignment)
{
    const Assignment& a = GetParam();
    testing::StartUpHarness h;
    ASSERT_TRUE(h.start("Pager", a.number));
    ASSERT_EQ(h.setup.headerLine, a.first);
    QuestionReader reader(h.bank, h.setup);
    reader.start();
    testing::Boxes boxes;
    int blocks = 0;
    while (!testing::ends([&] { boxes.show(reader.nextQuestion(boxes.answer, false)); })) {
        ++blocks;
        ASSERT_LE(blocks, 100);
    }
    EXPECT_EQ(blocks, a.blocks);
    if (a.number == "001")
        EXPECT_EQ(reader.lineCursor(), 9);
    else if (a.number == "018")
        EXPECT_EQ(reader.lineCursor(), 5000);
    else
        EXPECT_EQ(reader.lineCursor(), a.last + 1);
    EXPECT_EQ(boxes.question.find("`routine"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Assignments, CatalogueRow, ::testing::ValuesIn(catalogue()),
    [](const ::testing::TestParamInfo<Assignment>& row) { return "a" + row.param.number; });

TEST(Catalogue, IrregularitiesStandWhereTheyBelong)
{
    const QuestionBank& bank = loadedBank();
    EXPECT_EQ(bank.line(64), "  "); // 002: between the answer to 005 and question 006
    EXPECT_TRUE(isAnswerLine(bank.line(63)));
    EXPECT_TRUE(isQuestionLine(bank.line(65)));
    EXPECT_EQ(bank.line(224), " "); // 005: between question 006 and its answer
    EXPECT_TRUE(isQuestionLine(bank.line(223)));
    EXPECT_TRUE(isAnswerLine(bank.line(225)));
    EXPECT_TRUE(isAnswerLine(bank.line(315))); // 008's last answer, then 009's header
    for (long i : { 175L, 179L }) // 004: questions 006 and 006a wait for the next one
        EXPECT_EQ(bank.line(i), "Before answering, click for the next question");
    for (long i = 575; i <= 581; i += 2)
        EXPECT_EQ(bank.line(i + 1), bank.line(576));
    int direct = 0; // 014: the answer to question 010 runs straight into question 011
    for (long i = 522; i < 574; ++i)
        direct += isAnswerLine(bank.line(i)) && isQuestionLine(bank.line(i + 1));
    EXPECT_EQ(direct, 1);
}

TEST(Catalogue, BankWideTotalsAndTextRules)
{
    const QuestionBank& bank = loadedBank();
    std::map<std::string, int> kinds;
    std::size_t characters = 0, braces = 0, braceLines = 0, breakLines = 0, breaks = 0, longest = 0;
    bool digitsAnswer = false;
    for (long i = 1; i <= 582; ++i) {
        const std::string& line = bank.line(i);
        characters += line.size();
        longest = std::max(longest, line.size());
        std::string kind = line.empty() ? "separator"
            : isHeaderLine(line)        ? "header"
            : isQuestionLine(line)      ? "question"
            : isAnswerLine(line)        ? "answer"
            : isRoutineLine(line)       ? "routine"
                                        : "text";
        ++kinds[kind];
        std::size_t count = 0;
        for (std::size_t at = line.find("{}"); at != std::string::npos; at = line.find("{}", at + 2))
            ++count;
        if (count) {
            EXPECT_EQ(kind, "answer") << i;
            braces += count;
            ++braceLines;
        }
        std::size_t pairs = 0;
        for (std::size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n", at + 2))
            ++pairs;
        breaks += pairs;
        breakLines += pairs > 0;
        for (std::size_t at = 0; at < line.size(); ++at) {
            const char c = line[at];
            const bool pairPart = (c == '\r' && at + 1 < line.size() && line[at + 1] == '\n')
                || (c == '\n' && at > 0 && line[at - 1] == '\r');
            ASSERT_TRUE(pairPart || (c >= ' ' && c <= '~')) << "line " << i << " column " << at;
        }
        digitsAnswer = digitsAnswer || line.rfind("`a100", 0) == 0;
    }
    EXPECT_EQ(kinds["header"], 18);
    EXPECT_EQ(kinds["question"], 135);
    EXPECT_EQ(kinds["answer"], 133);
    EXPECT_EQ(kinds["routine"], 1);
    EXPECT_EQ(kinds["text"], 11);
    EXPECT_EQ(kinds["separator"], 284);
    EXPECT_EQ(braces, 19u);
    EXPECT_EQ(braceLines, 6u);
    EXPECT_LE(longest, 3066u);
    EXPECT_TRUE(digitsAnswer);
    // Volume like the course's: about 130,000 characters, 100 lines with 730 line breaks.
    EXPECT_NEAR(static_cast<double>(characters), 130000, 13000);
    EXPECT_NEAR(static_cast<double>(breakLines), 101, 10);
    EXPECT_NEAR(static_cast<double>(breaks), 732, 73);
}

TEST(QuestionBank, AfterLoadingHoldsContentInOneToFiveHundredEightyTwo)
{
    QuestionBank bank;
    long cursor = 0;
    loadBank(bank, cursor);
    EXPECT_EQ(cursor, 582);
    EXPECT_EQ(bank.line(0), "");
    for (long i = 583; i <= 5000; ++i)
        ASSERT_EQ(bank.line(i), "") << i;
    EXPECT_EQ(firstChars(bank.line(1), 4), "001.");
    EXPECT_EQ(bank.line(581), "018.");
    EXPECT_FALSE(bank.line(582).empty());
    EXPECT_FALSE(isHeaderLine(bank.line(582)));
}

TEST(BuiltInContent, LongLinesAreStoredInSeveralParts)
{
    const BankContent& content = builtInContent();
    ASSERT_EQ(content.lines.size(), 582u);
    std::size_t split = 0;
    for (const StoredLine& line : content.lines)
        split += line.partCount > 1;
    EXPECT_GT(split, 0u);
}

} // namespace
} // namespace tolvanex
