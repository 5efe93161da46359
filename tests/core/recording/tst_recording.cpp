// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Filing responses and notes, the file viewers and "clear box": the bytes in the files, the
// boxes afterwards, and every failure path.
#include "core/recording/Cp1252.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

namespace tolvanex {
namespace {

using testing::DrillHarness;
using testing::fileBytes;

const std::string kOpen = "......!!!!!!!!...................................\r\n";
const std::string kClose = ".................................................\r\n";
const std::string kPad = ".................................................       ";
const std::string kBlanks(36, ' ');
const std::string kConfidencePrompt
    = "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you have no confidence in "
      "your answer, 1 means you have some confidence, 2 means you are pretty confident and 3 means you are certain of "
      "your answer:";
const std::string kCritiquePrompt
    = "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique was necessary on "
      "this question but was not given, 1 indicates that self-critique was necessary but the given self-critique was "
      "not adequate, 2 indicates that self-critique was necessary and was mostly adequate, and 3 indicates that either "
      "self-critique was not necessary or that after reading the solution everything was completely obvious so you "
      "skipped the self-critique.";

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Assignment 005 with question 003 as its first block, then its answer and a text line; the
// clock at 14:05:09 on 01-07-2026.
const testing::SmallBank& bank()
{
    static const testing::SmallBank lines(
        { "005.  Uniformly Accelerated Motion", "", "`q003.  A cart starts from rest.\r\nHow far does it go?", "",
            "`aIt goes 12 m.", "Think about it", "", "006.  Next" });
    return lines;
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.start("Student One", "5"));
        masterStart = fileBytes(h.master());
        sendStart = fileBytes(h.send());
    }
    bool click(void (Drill::*handler)())
    {
        return h.ends([&] { (h.drill.*handler)(); });
    }
    std::string masterAdded() { return fileBytes(h.master()).substr(masterStart.size()); }
    std::string sendAdded() { return fileBytes(h.send()).substr(sendStart.size()); }

    DrillHarness h { bank() };
    std::string masterStart;
    std::string sendStart;
};

TEST_F(Recording, ResponseToAQuestionWithConfidence)
{
    ASSERT_FALSE(click(&Drill::cmdNextQuestionClick));
    h.view.answer = "About 12 m.";
    h.prompter.reply("2");
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    const std::string question = "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n";
    const std::string tail = kOpen + "RESPONSE -->  \r\nAbout 12 m.\r\nconfidence assessment:  2\r\n" + kClose;
    EXPECT_EQ(masterAdded(), kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50003 \r\n" + question + tail);
    EXPECT_EQ(sendAdded(), kOpen + kBlanks + "14:05:09\r\n" + question + tail);
    EXPECT_EQ(h.prompter.asked.back(), kConfidencePrompt);
    EXPECT_EQ(h.view.question, "");
    EXPECT_EQ(h.view.answer, "");
    EXPECT_FALSE(h.drill.state().responsePromptFlag);
    EXPECT_EQ(h.drill.state().entryText, "About 12 m.");
    EXPECT_EQ(h.files.commits, 2 + 2); // the heading block, then this record
}

TEST_F(Recording, CritiqueAfterAnAnswerAndAfterATextLine)
{
    click(&Drill::cmdNextQuestionClick);
    click(&Drill::cmdNextQuestionClick);
    h.view.answer = "I forgot the units.";
    h.prompter.reply("3");
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    EXPECT_EQ(h.prompter.asked.back(), kCritiquePrompt);
    const std::string tail
        = kOpen + "RESPONSE -->  \r\nI forgot the units.\r\nself critique assessment: 3\r\n" + kClose;
    EXPECT_EQ(sendAdded(), kOpen + kBlanks + "14:05:09\r\nIt goes 12 m.\r\n" + tail);

    const std::string before = fileBytes(h.master());
    click(&Drill::cmdNextQuestionClick); // the text line; the kind stays "answer"
    h.view.answer = "ok";
    h.prompter.cancel();
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    EXPECT_EQ(fileBytes(h.master()).substr(before.size()),
        kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50003 \r\nThink about it\r\n" + kOpen
            + "RESPONSE -->  \r\nok\r\nself critique assessment: \r\n" + kClose);
}

TEST_F(Recording, ResponseBeforeAnyBlock)
{
    h.view.answer = "hello";
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    EXPECT_TRUE(h.prompter.asked.size() == 3u);
    EXPECT_EQ(masterAdded(),
        kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50000 \r\n\r\n" + kOpen + "RESPONSE -->  \r\nhello\r\n"
            + kClose);
}

TEST_F(Recording, TheResponsePromptItselfFilesNothing)
{
    click(&Drill::cmdNextQuestionClick);
    click(&Drill::cmdNextQuestionClick); // the answer box now holds the response prompt
    ASSERT_EQ(h.view.answer, h.drill.state().responsePrompt);
    ASSERT_TRUE(h.drill.state().responsePromptFlag);
    const std::string entry = h.drill.state().entryText;
    for (auto handler : { &Drill::enterResponseClick, &Drill::saveAsNotesClick }) {
        h.view.answer = h.drill.state().responsePrompt;
        h.view.question = "q";
        ASSERT_FALSE(click(handler));
        EXPECT_EQ(h.view.question, "");
        EXPECT_EQ(h.view.answer, "");
        EXPECT_TRUE(h.drill.state().responsePromptFlag);
        EXPECT_EQ(h.drill.state().entryText, entry);
    }
    EXPECT_EQ(masterAdded(), "");
    EXPECT_FALSE(std::filesystem::exists(h.notes()));
    EXPECT_EQ(h.prompter.unexpected, 0);

    h.view.answer = h.drill.state().responsePrompt + "!";
    h.prompter.reply("1");
    click(&Drill::enterResponseClick);
    EXPECT_NE(masterAdded().find("RESPONSE -->  \r\n" + h.drill.state().responsePrompt + "!\r\n"), std::string::npos);
}

TEST_F(Recording, EmptyAndMultiLineResponses)
{
    h.view.answer = "";
    click(&Drill::enterResponseClick);
    EXPECT_NE(sendAdded().find("RESPONSE -->  \r\n\r\n" + kClose), std::string::npos);
    const std::string before = fileBytes(h.send());
    h.view.answer = "line one\r\nline two";
    click(&Drill::enterResponseClick);
    EXPECT_NE(fileBytes(h.send()).substr(before.size()).find("RESPONSE -->  \r\nline one\r\nline two\r\n"),
        std::string::npos);
}

TEST_F(Recording, TheClockIsReadForEachCopy)
{
    h.clock.secondPerReading = true;
    h.view.answer = "x";
    click(&Drill::enterResponseClick);
    EXPECT_EQ(masterAdded().substr(kOpen.size(), 46), kBlanks + "14:05:09\r\n");
    EXPECT_EQ(sendAdded().substr(kOpen.size(), 46), kBlanks + "14:05:10\r\n");
}

TEST_F(Recording, NotesGoToAllThreeFiles)
{
    click(&Drill::cmdNextQuestionClick);
    h.view.answer = "note one";
    ASSERT_FALSE(click(&Drill::saveAsNotesClick));
    const std::string body = kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n"
        + "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n" + kOpen + "NOTES -------> note one\r\n";
    EXPECT_EQ(masterAdded(), body + kClose);
    EXPECT_EQ(sendAdded(), body + kPad);
    EXPECT_EQ(fileBytes(h.notes()), body + kPad);
    EXPECT_EQ(h.drill.state().entryText, "NOTES -------> note one");
    EXPECT_FALSE(h.drill.state().responsePromptFlag);
    EXPECT_EQ(h.view.question, "");
    EXPECT_EQ(h.view.answer, "");
    EXPECT_EQ(h.files.commits, 2 + 3);

    // A second note, then a response: the send and notes files run on from the padded line.
    h.view.answer = "";
    click(&Drill::saveAsNotesClick);
    const std::string second = kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n"
        + "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n" + kOpen + "NOTES -------> \r\n";
    EXPECT_EQ(masterAdded(), body + kClose + second + kClose);
    EXPECT_EQ(fileBytes(h.notes()), body + kPad + second + kPad);
    h.view.answer = "answer";
    h.prompter.reply("0");
    click(&Drill::enterResponseClick);
    EXPECT_EQ(sendAdded().substr(0, (body + kPad + second + kPad).size() + kOpen.size()),
        body + kPad + second + kPad + kOpen);
    EXPECT_EQ(masterAdded().substr((body + kClose + second + kClose).size(), kOpen.size()), kOpen);
}

TEST_F(Recording, NotesBeforeAnyBlockHaveAnEmptyFourthLine)
{
    h.view.answer = "n";
    click(&Drill::saveAsNotesClick);
    EXPECT_EQ(fileBytes(h.notes()),
        kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n\r\n" + kOpen + "NOTES -------> n\r\n"
            + kPad);
}

TEST_F(Recording, DisplayNotesRunsTheLinesTogetherAfterTheEntryText)
{
    writeFile(h.notes(), "L1\r\nL2\rL3\r\n");
    ASSERT_FALSE(click(&Drill::displayNotesClick));
    EXPECT_EQ(h.view.question, "L1L2L3");
    EXPECT_EQ(h.drill.state().entryText, "L1L2L3");
    ASSERT_FALSE(click(&Drill::displayNotesClick)); // twice: E F, then E F F
    EXPECT_EQ(h.view.question, "L1L2L3L1L2L3L1L2L3");
    EXPECT_EQ(h.drill.state().entryText, "L1L2L3L1L2L3");
}

TEST_F(Recording, DisplayNotesAfterAClickRepeatsTheBoxText)
{
    writeFile(h.notes(), "F1\r\nF2");
    click(&Drill::cmdNextQuestionClick);
    const std::string t = h.view.question;
    click(&Drill::displayNotesClick);
    EXPECT_EQ(h.view.question, t + t + "F1F2");
}

TEST_F(Recording, DisplayNotesAfterSavingANote)
{
    h.view.answer = "saved";
    click(&Drill::saveAsNotesClick);
    click(&Drill::displayNotesClick);
    const std::string f = kOpen.substr(0, 49) + kBlanks + "14:05:09" + kBlanks + "01-07-202614:05:09"
        + kOpen.substr(0, 49) + "NOTES -------> saved" + kPad;
    EXPECT_EQ(h.view.question, "NOTES -------> saved" + f);
}

TEST_F(Recording, DisplaySendFilePutsEachLineOnItsOwn)
{
    writeFile(h.send(), "A\r\nB");
    click(&Drill::displaySendFileClick);
    EXPECT_EQ(h.view.question, "\r\nA\r\nB");
    writeFile(h.send(), "one\ntwo\r" + kPad + kOpen);
    h.view.question = "old";
    click(&Drill::displaySendFileClick);
    EXPECT_EQ(h.view.question, "old\r\none\ntwo\r\n" + kPad + kOpen.substr(0, 49));
    EXPECT_EQ(h.drill.state().entryText, "");
}

TEST_F(Recording, ViewersOfMissingFilesChangeNothing)
{
    h.view.question = "kept";
    h.drill.state().entryText = "entry";
    ASSERT_FALSE(click(&Drill::displayNotesClick));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("notes_Student_One.txt"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("No such file or directory"), std::string::npos);
    std::filesystem::remove(h.send());
    ASSERT_FALSE(click(&Drill::displaySendFileClick));
    EXPECT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.view.question, "kept");
    EXPECT_EQ(h.drill.state().entryText, "entry");
}

TEST_F(Recording, ClearBoxEmptiesOnlyTheAnswerBox)
{
    click(&Drill::cmdNextQuestionClick);
    const DrillState before = h.drill.state();
    h.view.answer = "draft";
    click(&Drill::clearBoxClick);
    EXPECT_EQ(h.view.answer, "");
    EXPECT_EQ(h.view.question, before.entryText);
    EXPECT_EQ(h.drill.state().responsePromptFlag, before.responsePromptFlag);
}

TEST_F(Recording, AFileThatCannotBeOpenedLosesNoWords)
{
    click(&Drill::cmdNextQuestionClick);
    h.files.failOpenContaining = "send_";
    h.view.answer = "my precious answer";
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("send_0107Student_One.txt"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("Permission denied"), std::string::npos);
    EXPECT_EQ(h.view.answer, "my precious answer");
    EXPECT_NE(h.view.question, "");
    EXPECT_TRUE(h.drill.state().responsePromptFlag);
    EXPECT_EQ(masterAdded(), "");
    EXPECT_EQ(h.prompter.unexpected, 0); // no rating asked for a record that cannot be written

    h.view.answer = "my note";
    ASSERT_FALSE(click(&Drill::saveAsNotesClick));
    EXPECT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.view.answer, "my note");
    EXPECT_FALSE(std::filesystem::exists(h.notes()) && fileBytes(h.notes()).size() > 0);

    h.files.failOpenContaining.clear();
    h.prompter.reply("2");
    h.view.answer = "my precious answer";
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    EXPECT_NE(sendAdded().find("my precious answer"), std::string::npos);
    EXPECT_EQ(h.view.answer, "");
}

TEST_F(Recording, AFullDiskKeepsWhatWasWrittenAndTheAnswer)
{
    h.files.writeBudget = 60;
    h.view.answer = "words";
    ASSERT_FALSE(click(&Drill::enterResponseClick));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("No space left on device"), std::string::npos);
    EXPECT_EQ(h.view.answer, "words");
    EXPECT_EQ(fileBytes(h.master()).substr(0, masterStart.size()), masterStart);
    EXPECT_EQ(masterAdded(), ""); // the unfinished record is taken back out
}

TEST_F(Recording, AReadOnlyFolderIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "a read-only folder still takes new files on Windows";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
#endif
    std::filesystem::remove(h.send());
    std::filesystem::permissions(h.folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    h.view.answer = "words";
    click(&Drill::enterResponseClick);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("Permission denied"), std::string::npos);
    EXPECT_EQ(h.view.answer, "words");
}

TEST_F(Recording, CharactersBeyondWindows1252AreKeptReadably)
{
    h.view.answer = "\xCE\x94v = 3 m/s, caf\xC3\xA9, \xE2\x82\xAC"
                    "5";
    h.prompter.reply("");
    click(&Drill::enterResponseClick);
    EXPECT_NE(sendAdded().find("[U+0394]v = 3 m/s, caf\xE9, \x80"
                               "5\r\n"),
        std::string::npos);
    click(&Drill::displaySendFileClick);
    EXPECT_NE(h.view.question.find("\r\n[U+0394]v = 3 m/s, caf\xC3\xA9, \xE2\x82\xAC"
                                   "5\r\n"),
        std::string::npos);
}

TEST_F(Recording, TheFillerLineComesBackCharacterForCharacter)
{
    const std::string bytes = fileBytes(h.send());
    const std::string filler = bytes.substr(0, bytes.find("\r\n"));
    click(&Drill::displaySendFileClick);
    EXPECT_EQ(h.view.question.substr(0, 2), "\r\n");
    EXPECT_EQ(encodeCp1252(h.view.question.substr(2, h.view.question.find("\r\n", 2) - 2)), filler);
}

} // namespace
} // namespace tolvanex
