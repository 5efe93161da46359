// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Paging: the question reader, the next-question command, routine lines and program end.
#include "core/reader/QuestionReader.h"
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

using testing::Button;
using testing::DrillHarness;

// A reader over a bank of test lines from index 1000 on, with the cursor on the first of them
// and "003" as the next assignment number.
class Reader : public ::testing::Test {
protected:
    Reader()
    {
        setup.nextAssignmentNumber = "003";
        setup.responsePrompt = texts::responsePrompt;
    }
    void lines(const std::vector<std::string>& texts)
    {
        long index = 1000;
        for (const std::string& text : texts)
            bank.store(index++, text);
        setup.headerLine = 1000;
        reader.start();
    }
    // "Next Question / Answer"; true when it ended the program.
    bool click()
    {
        return testing::ends([this] { boxes.show(reader.nextQuestion(boxes.answer, false)); });
    }
    // The reader alone; true when it asks for the response prompt in the answer box.
    bool read() { return reader.readNextQuestion(false); }

    QuestionBank bank;
    RunSetup setup;
    QuestionReader reader { bank, setup };
    testing::Boxes boxes;
};

TEST_F(Reader, TakesQuestionsWholeAndAnswersWithoutTheirMarker)
{
    lines({ "002.  Header", "", "`q003.  How far?", "", "`aFar.", "" });
    EXPECT_FALSE(read());
    const Block& b = reader.block();
    EXPECT_EQ(reader.lineCursor(), 1002);
    EXPECT_EQ(b.lastLineRead, "`q003.  How far?");
    EXPECT_EQ(b.kind, LineKind::Question);
    EXPECT_EQ(b.questionNumber, "3");
    EXPECT_TRUE(reader.responsePromptFlag());
    EXPECT_TRUE(read()); // paged on without filing: the response prompt goes back first
    EXPECT_EQ(reader.lineCursor(), 1004);
    EXPECT_EQ(b.lastLineRead, "Far.");
    EXPECT_EQ(b.kind, LineKind::Answer);
    EXPECT_EQ(b.questionNumber, "3");
    reader.answered();
    EXPECT_FALSE(reader.responsePromptFlag());
}

TEST_F(Reader, QuestionNumbersIgnorePartLettersAndMissingStops)
{
    lines({ "x", "`q006a.  Part a", "`q001  No stop", "`q006b.  Part b" });
    for (const char* number : { "6", "1", "6" }) {
        read();
        EXPECT_EQ(reader.block().questionNumber, number);
    }
}

TEST_F(Reader, BlankOnlyAndOtherTextLinesKeepKindAndNumber)
{
    lines({ "x", "`q004.  Q", "  ", "`a", "", "`Q009.  capital" });
    read();
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "  ");
    EXPECT_EQ(reader.block().kind, LineKind::Question);
    EXPECT_EQ(reader.block().questionNumber, "4");
    EXPECT_TRUE(reader.responsePromptFlag());
    // "`a" alone makes the kind "answer" and is skipped like a separator.
    read();
    EXPECT_EQ(reader.lineCursor(), 1005);
    EXPECT_EQ(reader.block().kind, LineKind::Answer);
    EXPECT_EQ(reader.block().lastLineRead, "`Q009.  capital");
    EXPECT_EQ(reader.block().questionNumber, "9");
}

TEST_F(Reader, TheNextAssignmentsHeaderEndsTheRunUnshown)
{
    lines({ "x", "`q001.  Q", "", "003.  Next" });
    ASSERT_FALSE(click());
    reader.answered();
    boxes.answer = "typed";
    const std::string shown = boxes.question;
    EXPECT_TRUE(click());
    EXPECT_EQ(boxes.question, shown);
    EXPECT_EQ(boxes.answer, "typed");
    EXPECT_EQ(reader.lineCursor(), 1003);
}

TEST_F(Reader, ReadingPastTheLastIndexEndsTheRun)
{
    setup.nextAssignmentNumber = "019";
    setup.headerLine = 4998;
    reader.start();
    EXPECT_TRUE(click());
    EXPECT_EQ(reader.lineCursor(), 5000);
}

TEST_F(Reader, TwoClicksWithoutFilingStandTogether)
{
    lines({ "x", "`q001.  First?", "", "`aA{}{}B", "" });
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "`q001.  First?");
    EXPECT_EQ(boxes.answer, " ");
    EXPECT_EQ(boxes.last.focus, Focus::TypeOver);
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "`q001.  First?A\r\n\r\nB");
    EXPECT_EQ(boxes.answer, texts::responsePrompt);
    EXPECT_EQ(boxes.last.focus, Focus::TypeOver);
}

TEST_F(Reader, WordsAFailedFilingKeptStayWhenPagingOn)
{
    lines({ "x", "`q001.  First?", "", "`aSecond", "" });
    click();
    boxes.answer = "my words";
    ASSERT_FALSE(testing::ends([this] { boxes.show(reader.nextQuestion(boxes.answer, true)); }));
    EXPECT_EQ(boxes.answer, "my words");
    EXPECT_EQ(boxes.last.focus, Focus::TypeOn);
}

TEST_F(Reader, AGraphRoutineRunsAndTheNextLineShowsInTheSameClick)
{
    lines({ "x", "`routine graph2", "", "`q002.  After" });
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "`q002.  After");
    EXPECT_EQ(boxes.answer, " ");
    EXPECT_EQ(reader.lineCursor(), 1003);
}

TEST_F(Reader, OnlyOneRoutineRunsPerClick)
{
    lines({ "x", "`routine graph1", "`routine graph3" });
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "`routine graph3");
    EXPECT_FALSE(reader.responsePromptFlag());
}

TEST_F(Reader, TheMarkerAloneIsShownAsText)
{
    lines({ "x", "`ROUTINE" });
    ASSERT_FALSE(click());
    EXPECT_EQ(boxes.question, "`ROUTINE");
}

TEST_F(Reader, ExitAndUnknownRoutinesEndTheRun)
{
    for (const char* line :
        { "`routine ", "`routine Exit Prog", "`routine exit-prog", "`Routine graph4", "`routineXexitprog" }) {
        lines({ "x", line });
        boxes.question = "before";
        EXPECT_TRUE(click()) << line;
        EXPECT_EQ(boxes.question, "before") << line;
    }
    lines({ "x", "`routineXgraph1", "`q001.  Shown" });
    EXPECT_FALSE(click()); // the ninth character is dropped unseen
}

TEST_F(Reader, RunRoutineFoldsCase)
{
    EXPECT_FALSE(testing::ends([&] { reader.runRoutine("GRAPH1"); }));
    EXPECT_TRUE(testing::ends([&] { reader.runRoutine("ExitProg"); }));
    EXPECT_TRUE(testing::ends([&] { reader.runRoutine(""); }));
}

TEST_F(Reader, NextPictureLooksAtTheNextTwoLines)
{
    const auto nextPicture = [this] { return testing::ends([this] { reader.nextPicture(); }); };
    lines({ "x", "text", "text", "`routine graph1" });
    EXPECT_FALSE(nextPicture());
    EXPECT_EQ(reader.lineCursor(), 1000);

    lines({ "x", "text", "`routine graph2", "text" });
    EXPECT_FALSE(nextPicture());
    EXPECT_EQ(reader.lineCursor(), 1002);
    EXPECT_EQ(reader.block().lastLineRead, "");

    // After a routine at c + 1 the second look falls on c + 3.
    lines({ "x", "`routine graph1", "`routine exitprog", "`routine graph3" });
    EXPECT_FALSE(nextPicture());
    EXPECT_EQ(reader.lineCursor(), 1003);

    lines({ "x", "", "`routine ExitProg" });
    EXPECT_TRUE(nextPicture());

    lines({ "x", "`routine" });
    EXPECT_TRUE(nextPicture());
}

TEST_F(Reader, NextPictureNeverLooksPastTheBank)
{
    bank.store(5000, "`routine graph1");
    setup.headerLine = 4999;
    reader.start();
    EXPECT_FALSE(testing::ends([&] { reader.nextPicture(); }));
    EXPECT_EQ(reader.lineCursor(), 5000);
    EXPECT_FALSE(testing::ends([&] { reader.nextPicture(); }));
}

TEST(Quit, EndsWithNothingWritten)
{
    DrillHarness h(testing::threeAssignments());
    ASSERT_TRUE(h.start("Reader", "2"));
    const std::string before = testing::fileBytes(h.master());
    EXPECT_TRUE(h.click(Button::Quit));
    EXPECT_EQ(testing::fileBytes(h.master()), before);
    EXPECT_EQ(h.boxes.question, "");
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
        ASSERT_FALSE(h.click(Button::NextQuestion));
    EXPECT_EQ(h.boxes.question, "Notice one.Notice two.Notice three.");
    EXPECT_TRUE(h.click(Button::NextQuestion));
}

TEST(Assignment001, NextPictureFromTheLastNoticeRunsTheExitRoutine)
{
    DrillHarness h(notices());
    ASSERT_TRUE(h.start("A", "1"));
    for (int step = 0; step < 3; ++step)
        h.click(Button::NextQuestion);
    EXPECT_TRUE(h.click(Button::NextPicture));
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
