// Text rules shared by start-up, the reader and the records: numeric values, number writing,
// widening, markers, line breaks, routine names, and the Windows-1252 file encoding.
#include "core/drill/Drill.h"
#include "core/text/Text.h"
#include "core/recording/Cp1252.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

struct WideningRow {
    std::string reply;
    std::string assignment;
    std::string next;
};

class Widening : public ::testing::TestWithParam<WideningRow> {
};

TEST_P(Widening, AssignmentNumberAndSuccessor)
{
    const WideningRow& row = GetParam();
    const std::string assignment = widenToThree(row.reply);
    EXPECT_EQ(assignment, row.assignment);
    EXPECT_EQ(widenToThree(plainNumber(numericValue(assignment) + 1)), row.next);
}

INSTANTIATE_TEST_SUITE_P(Replies, Widening,
    ::testing::Values(WideningRow{"5", "005", "006"}, WideningRow{"12", "012", "013"},
        WideningRow{"099", "099", "100"}, WideningRow{"999", "999", "1000"}, WideningRow{"", "", "001"},
        WideningRow{"7b", "07b", "008"}, WideningRow{"0005", "0005", "006"}, WideningRow{" 5", "0 5", "006"},
        WideningRow{"\xC3\xA9", "00\xC3\xA9", "001"}));

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

TEST(RemSpaces, RemovesBlanksAndHyphensOnly)
{
    EXPECT_EQ(QuestionReader::remSpaces("Exit Prog"), "ExitProg");
    EXPECT_EQ(QuestionReader::remSpaces("graph - 2"), "graph2");
    EXPECT_EQ(QuestionReader::remSpaces(" - -  "), "");
    EXPECT_EQ(QuestionReader::remSpaces(""), "");
    EXPECT_EQ(QuestionReader::remSpaces("a\tb_c.d"), "a\tb_c.d");
}

TEST(BracesToBreaks, LeftToRightWithoutOverlap)
{
    EXPECT_EQ(QuestionReader::bracesToBreaks("A{}{}B"), "A\r\n\r\nB");
    EXPECT_EQ(QuestionReader::bracesToBreaks("{{}}"), "{\r\n}");
    EXPECT_EQ(QuestionReader::bracesToBreaks("end{}"), "end\r\n");
    EXPECT_EQ(QuestionReader::bracesToBreaks(""), "");
    EXPECT_EQ(QuestionReader::bracesToBreaks("{"), "{");
    EXPECT_EQ(QuestionReader::bracesToBreaks("} {"), "} {");
    EXPECT_EQ(QuestionReader::bracesToBreaks("a\r\nb"), "a\r\nb");
}

TEST(Cp1252, EncodesTheCodePageAndEscapesTheRest)
{
    EXPECT_EQ(encodeCp1252("plain"), "plain");
    EXPECT_EQ(encodeCp1252("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(encodeCp1252("\xE2\x82\xAC 5"), "\x80 5");          // euro sign
    EXPECT_EQ(encodeCp1252("\xCE\x94v"), "[U+0394]v");            // Greek capital delta
    EXPECT_EQ(encodeCp1252("x\xE2\x88\x9A"), "x[U+221A]");         // square root sign
    EXPECT_EQ(encodeCp1252("\xF0\x9F\x98\x80"), "[U+1F600]");      // emoji
}

TEST(Cp1252, EveryByteSurvivesDecodingAndEncoding)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(encodeCp1252(decodeCp1252(all)), all);
    EXPECT_EQ(decodeCp1252("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
}

} // namespace
} // namespace tolvanex
