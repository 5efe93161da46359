// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Paging: the question reader, the next-question command, routine lines and program end.
#include "core/reader/QuestionReader.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

using testing::DrillHarness;
using testing::fileBytes;

// A run on assignment 002 whose bank is then given test lines from index 1000 on, with the
// cursor on the first of them and "003" as the next assignment number.
class Reader : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.start("Reader", "2"));
        masterBefore = fileBytes(h.master());
    }
    void lines(const std::vector<std::string>& texts)
    {
        long index = 1000;
        for (const std::string& text : texts)
            h.drill.bank().store(index++, text);
        h.drill.state().lineCursor = 1000;
    }
    bool click()
    {
        return h.ends([this] { h.drill.cmdNextQuestionClick(); });
    }

    DrillHarness h { testing::threeAssignments() };
    std::string masterBefore;
};

TEST_F(Reader, TakesQuestionsWholeAndAnswersWithoutTheirMarker)
{
    lines({ "002.  Header", "", "`q003.  How far?", "", "`aFar.", "" });
    h.drill.readNextQuestion();
    const DrillState& s = h.drill.state();
    EXPECT_EQ(s.lineCursor, 1002);
    EXPECT_EQ(s.lastLineRead, "`q003.  How far?");
    EXPECT_EQ(s.displayText, "`q003.  How far?");
    EXPECT_EQ(s.currentKind, LineKind::Question);
    EXPECT_EQ(s.questionNumber, "3");
    EXPECT_TRUE(s.responsePromptFlag);
    EXPECT_EQ(h.view.answer, " ");
    h.drill.readNextQuestion();
    EXPECT_EQ(s.lineCursor, 1004);
    EXPECT_EQ(s.lastLineRead, "Far.");
    EXPECT_EQ(s.currentKind, LineKind::Answer);
    EXPECT_EQ(s.questionNumber, "3");
    EXPECT_EQ(h.view.answer, s.responsePrompt); // paged on without filing
}

TEST_F(Reader, QuestionNumbersIgnorePartLettersAndMissingStops)
{
    lines({ "x", "`q006a.  Part a", "`q001  No stop", "`q006b.  Part b" });
    h.drill.readNextQuestion();
    EXPECT_EQ(h.drill.state().questionNumber, "6");
    h.drill.readNextQuestion();
    EXPECT_EQ(h.drill.state().questionNumber, "1");
    h.drill.readNextQuestion();
    EXPECT_EQ(h.drill.state().questionNumber, "6");
}

TEST_F(Reader, BlankOnlyAndOtherTextLinesKeepKindAndNumber)
{
    lines({ "x", "`q004.  Q", "  ", "`a", "", "`Q009.  capital" });
    h.drill.readNextQuestion();
    h.drill.readNextQuestion();
    const DrillState& s = h.drill.state();
    EXPECT_EQ(s.displayText, "  ");
    EXPECT_EQ(s.currentKind, LineKind::Question);
    EXPECT_EQ(s.questionNumber, "4");
    EXPECT_TRUE(s.responsePromptFlag);
    // "`a" alone makes the kind "answer" and is skipped like a separator.
    h.drill.readNextQuestion();
    EXPECT_EQ(s.lineCursor, 1005);
    EXPECT_EQ(s.currentKind, LineKind::Answer);
    EXPECT_EQ(s.displayText, "`Q009.  capital");
    EXPECT_EQ(s.questionNumber, "9");
}

TEST_F(Reader, TheNextAssignmentsHeaderEndsTheRunUnshown)
{
    lines({ "x", "`q001.  Q", "", "003.  Next" });
    ASSERT_FALSE(click());
    h.drill.state().responsePromptFlag = false;
    h.view.answer = "typed";
    const std::string shown = h.view.question;
    EXPECT_TRUE(click());
    EXPECT_EQ(h.view.question, shown);
    EXPECT_EQ(h.view.answer, "typed");
    EXPECT_EQ(fileBytes(h.master()), masterBefore);
    EXPECT_EQ(h.drill.state().lineCursor, 1003);
}

TEST_F(Reader, ReadingPastTheLastIndexEndsTheRun)
{
    h.drill.state().lineCursor = 4998;
    h.drill.state().nextAssignmentNumber = "019";
    EXPECT_TRUE(click());
    EXPECT_EQ(h.drill.state().lineCursor, 5000);
}

TEST_F(Reader, TwoClicksWithoutFilingStandTogether)
{
    lines({ "x", "`q001.  First?", "", "`aA{}{}B", "" });
    ASSERT_FALSE(click());
    EXPECT_EQ(h.view.question, "`q001.  First?");
    EXPECT_EQ(h.view.answer, " ");
    ASSERT_FALSE(click());
    EXPECT_EQ(h.view.question, "`q001.  First?A\r\n\r\nB");
    EXPECT_EQ(h.view.answer, h.drill.state().responsePrompt);
    EXPECT_EQ(h.drill.state().entryText, h.view.question);
    EXPECT_EQ(h.drill.state().displayText, "");
}

TEST_F(Reader, AGraphRoutineRunsAndTheNextLineShowsInTheSameClick)
{
    lines({ "x", "`routine graph2", "", "`q002.  After" });
    ASSERT_FALSE(click());
    EXPECT_EQ(h.view.question, "`q002.  After");
    EXPECT_EQ(h.view.answer, " ");
    EXPECT_EQ(h.drill.state().lineCursor, 1003);
}

TEST_F(Reader, OnlyOneRoutineRunsPerClick)
{
    lines({ "x", "`routine graph1", "`routine graph3" });
    ASSERT_FALSE(click());
    EXPECT_EQ(h.view.question, "`routine graph3");
    EXPECT_FALSE(h.drill.state().responsePromptFlag);
}

TEST_F(Reader, TheMarkerAloneIsShownAsText)
{
    lines({ "x", "`ROUTINE" });
    ASSERT_FALSE(click());
    EXPECT_EQ(h.view.question, "`ROUTINE");
}

TEST_F(Reader, ExitAndUnknownRoutinesEndTheRun)
{
    for (const char* line :
        { "`routine ", "`routine Exit Prog", "`routine exit-prog", "`Routine graph4", "`routineXexitprog" }) {
        lines({ "x", line });
        h.view.question = "before";
        EXPECT_TRUE(click()) << line;
        EXPECT_EQ(h.view.question, "before") << line;
    }
    lines({ "x", "`routineXgraph1", "`q001.  Shown" });
    EXPECT_FALSE(click()); // the ninth character is dropped unseen
}

TEST_F(Reader, RunRoutineFoldsCase)
{
    EXPECT_FALSE(h.ends([&] { h.drill.runRoutine("GRAPH1"); }));
    EXPECT_TRUE(h.ends([&] { h.drill.runRoutine("ExitProg"); }));
    EXPECT_TRUE(h.ends([&] { h.drill.runRoutine(""); }));
}

TEST_F(Reader, NextPictureLooksAtTheNextTwoLines)
{
    lines({ "x", "text", "text", "`routine graph1" });
    EXPECT_FALSE(h.ends([&] { h.drill.nextPictureClick(); }));
    EXPECT_EQ(h.drill.state().lineCursor, 1000);

    lines({ "x", "text", "`routine graph2", "text" });
    EXPECT_FALSE(h.ends([&] { h.drill.nextPictureClick(); }));
    EXPECT_EQ(h.drill.state().lineCursor, 1002);
    EXPECT_EQ(h.view.question, "");
    EXPECT_EQ(h.drill.state().lastLineRead, "");

    // After a routine at c + 1 the second look falls on c + 3.
    lines({ "x", "`routine graph1", "`routine exitprog", "`routine graph3" });
    EXPECT_FALSE(h.ends([&] { h.drill.nextPictureClick(); }));
    EXPECT_EQ(h.drill.state().lineCursor, 1003);

    lines({ "x", "", "`routine ExitProg" });
    EXPECT_TRUE(h.ends([&] { h.drill.nextPictureClick(); }));

    lines({ "x", "`routine" });
    EXPECT_TRUE(h.ends([&] { h.drill.nextPictureClick(); }));
}

TEST_F(Reader, NextPictureNeverLooksPastTheBank)
{
    h.drill.bank().store(5000, "`routine graph1");
    h.drill.state().lineCursor = 4999;
    EXPECT_FALSE(h.ends([&] { h.drill.nextPictureClick(); }));
    EXPECT_EQ(h.drill.state().lineCursor, 5000);
    EXPECT_FALSE(h.ends([&] { h.drill.nextPictureClick(); }));
}

TEST_F(Reader, QuitEndsWithNothingWritten)
{
    EXPECT_TRUE(h.ends([&] { h.drill.quitClick(); }));
    EXPECT_EQ(fileBytes(h.master()), masterBefore);
    EXPECT_EQ(h.view.question, "");
}

// An assignment of notices that ends through a routine line, as the first one of the course does.
const testing::SmallBank& notices()
{
    static const testing::SmallBank bank({ "001.  Timing", "", "Notice one.", "", "Notice two.", "", "Notice three.",
        "`routine exitprog", "", "002.  Velocity" });
    return bank;
}

TEST(Assignment001, EndsOnItsFourthStepThroughTheRoutineLine)
{
    DrillHarness h(notices());
    ASSERT_TRUE(h.start("A", "1"));
    for (int step = 0; step < 3; ++step)
        ASSERT_FALSE(h.ends([&] { h.drill.cmdNextQuestionClick(); }));
    EXPECT_EQ(h.drill.state().lineCursor, 7);
    EXPECT_EQ(h.drill.state().currentKind, LineKind::None);
    EXPECT_TRUE(h.ends([&] { h.drill.cmdNextQuestionClick(); }));
    EXPECT_EQ(h.view.question.find("`q"), std::string::npos);
}

TEST(Assignment001, NextPictureFromTheLastNoticeRunsTheExitRoutine)
{
    DrillHarness h(notices());
    ASSERT_TRUE(h.start("A", "1"));
    for (int step = 0; step < 3; ++step)
        h.drill.cmdNextQuestionClick();
    EXPECT_TRUE(h.ends([&] { h.drill.nextPictureClick(); }));
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

} // namespace
} // namespace tolvanex
