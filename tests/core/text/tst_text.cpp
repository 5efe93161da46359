// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Text rules shared by start-up, the reader and the records: numeric values, number writing,
// widening, markers, line breaks, routine names, and the Windows-1252 file encoding.
#include "core/text/Quoted.h"
#include "core/text/Text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace tolvanex {
namespace {

struct WideningRow {
    std::string reply;
    std::string assignment;
    std::string next;
};

// A row as test listings show it: the reply typed, the same on every build.
void PrintTo(const WideningRow& row, std::ostream* out)
{
    *out << "reply \"" << row.reply << "\"";
}

class Widening : public ::testing::TestWithParam<WideningRow> { };

TEST_P(Widening, AssignmentNumberAndSuccessor)
{
    const WideningRow& row = GetParam();
    const std::string assignment = widenToThree(row.reply);
    EXPECT_EQ(assignment, row.assignment);
    EXPECT_EQ(widenToThree(plainNumber(numericValue(assignment) + 1)), row.next);
}

INSTANTIATE_TEST_SUITE_P(Replies, Widening,
    ::testing::Values(WideningRow { "5", "005", "006" }, WideningRow { "12", "012", "013" },
        WideningRow { "099", "099", "100" }, WideningRow { "999", "999", "1000" }, WideningRow { "", "", "001" },
        WideningRow { "7b", "07b", "008" }, WideningRow { "0005", "0005", "006" }, WideningRow { " 5", "0 5", "006" },
        WideningRow { "\xC3\xA9", "00\xC3\xA9", "001" }),
    [](const ::testing::TestParamInfo<WideningRow>& row) {
        // Test names take letters, digits and "_" only.
        std::string name = "reply_";
        for (unsigned char c : row.param.reply)
            name += std::isalnum(c) && c < 0x80 ? std::string(1, static_cast<char>(c)) : "_" + std::to_string(c) + "_";
        return name;
    });

TEST(NumericValue, LeadingNumberWithBlanksIgnored)
{
    EXPECT_EQ(numericValue("003.  A cart"), 3);
    EXPECT_EQ(numericValue("001  Note"), 1);
    EXPECT_EQ(numericValue("006a.  x"), 6);
    EXPECT_EQ(numericValue(" 1 2 3x"), 123);
    EXPECT_EQ(numericValue("\t4\n5"), 45);
    EXPECT_EQ(numericValue("abc"), 0);
    EXPECT_EQ(numericValue(""), 0);
    EXPECT_EQ(numericValue("-"), 0);
    EXPECT_EQ(numericValue("-12"), -12);
    EXPECT_EQ(numericValue("2.5 m"), 2.5);
    EXPECT_EQ(numericValue("1e3"), 1000);
    EXPECT_EQ(numericValue("7e"), 7);
    EXPECT_EQ(numericValue("1.2.3"), 1.2);
}

TEST(NumberWriting, PlainAndAsTheFileWriterWritesIt)
{
    EXPECT_EQ(plainNumber(1000), "1000");
    EXPECT_EQ(plainNumber(0), "0");
    EXPECT_EQ(plainNumber(2.5), "2.5");
    EXPECT_EQ(writtenNumber(50003), " 50003 ");
    EXPECT_EQ(writtenNumber(0), " 0 ");
    EXPECT_EQ(writtenNumber(-4), "-4 ");
    EXPECT_EQ(writtenNumber(120000.5), " 120000.5 ");
}

TEST(Markers, KindsByFirstCharacters)
{
    EXPECT_TRUE(isQuestionLine("`q001.  x"));
    EXPECT_FALSE(isQuestionLine("`Q001.  x"));
    EXPECT_TRUE(isAnswerLine("`a100 J"));
    EXPECT_FALSE(isAnswerLine("`A"));
    EXPECT_TRUE(isRoutineLine("`ROUTINE ExitProg"));
    EXPECT_TRUE(isRoutineLine("`routine"));
    EXPECT_FALSE(isRoutineLine("`routin"));
    EXPECT_TRUE(isHeaderLine("015."));
    EXPECT_FALSE(isHeaderLine("`a100"));
    EXPECT_FALSE(isHeaderLine("15."));
}

TEST(FirstChars, CountsCharactersNotBytes)
{
    EXPECT_EQ(firstChars("005.  Uniformly", 4), "005.");
    EXPECT_EQ(firstChars("ab", 4), "ab");
    EXPECT_EQ(firstChars("\xC3\xA9x", 1), "\xC3\xA9");
}

// The build's tools write the course into C++ source and the texts into JSON with these: what a
// language cannot hold as it is escaped, every other byte as it is.
TEST(Quoted, EscapesWhatEachLanguageCannotHoldAsItIs)
{
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::string cpp;
        std::string json;
    } rows[] = {
        { "", R"("")", R"("")" },
        { R"(a \ b "c")", R"("a \\ b \"c\"")", R"("a \\ b \"c\"")" },
        { "1\r\n2\n", R"("1\r\n2\n")", R"("1\r\n2\n")" },
        { "?\?=", R"("\?\?=")", "\"?\?=\"" },
        { "\t\x01\x1f\0"s, "\"\t\x01\x1f\0\""s, R"("\u0009\u0001\u001f\u0000")" },
        { "\xCE\x94v \x7f", "\"\xCE\x94v \x7f\"", "\"\xCE\x94v \x7f\"" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(quoted(row.text, Quoting::Cpp), row.cpp);
        EXPECT_EQ(quoted(row.text, Quoting::Json), row.json);
    }
}

} // namespace
} // namespace tolvanex
