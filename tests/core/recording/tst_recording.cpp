// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Filing responses and notes, the file viewers and "clear box": the bytes in the files, the
// boxes afterwards, and every failure path.
#include "core/recording/Cp1252.h"
#include "core/recording/Journal.h"
#include "core/recording/WorkFiles.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include <unistd.h>

namespace tolvanex {
namespace {

using testing::Button;
using testing::DrillHarness;
using testing::fileBytes;

const std::string kOpen = "......!!!!!!!!...................................\r\n";
const std::string kClose = ".................................................\r\n";
const std::string kPad = ".................................................       ";
const std::string kBlanks(36, ' ');
const std::string kResponsePrompt(texts::responsePrompt);

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
    bool click(Button button) { return h.click(button); }
    std::string masterAdded() { return fileBytes(h.master()).substr(masterStart.size()); }
    std::string sendAdded() { return fileBytes(h.send()).substr(sendStart.size()); }

    DrillHarness h { bank() };
    std::string masterStart;
    std::string sendStart;
};

TEST_F(Recording, ResponseToAQuestionWithConfidence)
{
    ASSERT_FALSE(click(Button::NextQuestion));
    h.boxes.answer = "About 12 m.";
    h.drill.answerTyped(h.boxes.answer);
    const std::filesystem::path draft = h.folder() / ".tolvanex_Student_One.draft1";
    ASSERT_EQ(decodeDraft(fileBytes(draft)).words, "About 12 m.");
    h.prompter.reply("2");
    ASSERT_FALSE(click(Button::EnterResponse));
    EXPECT_FALSE(testing::fileExists(draft)) << "the draft of words filed";
    const std::string question = "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n";
    const std::string tail = kOpen + "RESPONSE -->  \r\nAbout 12 m.\r\nconfidence assessment:  2\r\n" + kClose;
    EXPECT_EQ(masterAdded(), kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50003 \r\n" + question + tail);
    EXPECT_EQ(sendAdded(), kOpen + kBlanks + "14:05:09\r\n" + question + tail);
    EXPECT_EQ(h.prompter.asked.back(), texts::confidencePrompt);
    EXPECT_EQ(h.boxes.question, "");
    EXPECT_EQ(h.boxes.answer, "");
    EXPECT_EQ(h.boxes.last.focus, Focus::NextBlock);
    EXPECT_EQ(h.files.commits, 2 + 2); // the heading block, then this record
    click(Button::NextQuestion); // filed: paging on leaves the answer box empty
    EXPECT_EQ(h.boxes.answer, "");
}

TEST_F(Recording, CritiqueAfterAnAnswerAndAfterATextLine)
{
    click(Button::NextQuestion);
    click(Button::NextQuestion);
    h.boxes.answer = "I forgot the units.";
    h.prompter.reply("3");
    ASSERT_FALSE(click(Button::EnterResponse));
    EXPECT_EQ(h.prompter.asked.back(), texts::selfCritiquePrompt);
    const std::string tail
        = kOpen + "RESPONSE -->  \r\nI forgot the units.\r\nself critique assessment: 3\r\n" + kClose;
    EXPECT_EQ(sendAdded(), kOpen + kBlanks + "14:05:09\r\nIt goes 12 m.\r\n" + tail);

    const std::string before = fileBytes(h.master());
    click(Button::NextQuestion); // the text line; the kind stays "answer"
    h.boxes.answer = "ok";
    h.prompter.cancel();
    ASSERT_FALSE(click(Button::EnterResponse));
    EXPECT_EQ(fileBytes(h.master()).substr(before.size()),
        kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50003 \r\nThink about it\r\n" + kOpen
            + "RESPONSE -->  \r\nok\r\nself critique assessment: \r\n" + kClose);
}

TEST_F(Recording, ResponseBeforeAnyBlock)
{
    h.boxes.answer = "hello";
    ASSERT_FALSE(click(Button::EnterResponse));
    EXPECT_TRUE(h.prompter.asked.size() == 3u);
    EXPECT_EQ(masterAdded(),
        kOpen + kBlanks + "14:05:09\r\n\r\n\r\n`questionNumber 50000 \r\n\r\n" + kOpen + "RESPONSE -->  \r\nhello\r\n"
            + kClose);
}

TEST_F(Recording, TheResponsePromptItselfFilesNothing)
{
    click(Button::NextQuestion);
    click(Button::NextQuestion); // the answer box now holds the response prompt
    ASSERT_EQ(h.boxes.answer, kResponsePrompt);
    for (Button button : { Button::EnterResponse, Button::SaveAsNotes }) {
        h.boxes.answer = kResponsePrompt;
        h.boxes.question = "q";
        ASSERT_FALSE(click(button));
        EXPECT_EQ(h.boxes.question, "");
        EXPECT_EQ(h.boxes.answer, "");
        EXPECT_EQ(h.boxes.last.filed, Filed::Nothing);
    }
    click(Button::NextQuestion); // nothing was filed: paging on puts the response prompt back
    EXPECT_EQ(h.boxes.answer, kResponsePrompt);
    EXPECT_EQ(masterAdded(), "");
    EXPECT_FALSE(std::filesystem::exists(h.notes()));
    EXPECT_EQ(h.prompter.unexpected, 0);

    // Anything else in the box is the student's words, filed: the prompt with one character more
    // or a blank before or after it too.
    for (const std::string& words :
        { kResponsePrompt + "!", kResponsePrompt + " ", " " + kResponsePrompt, kResponsePrompt + "\r\n" }) {
        const std::size_t before = masterAdded().size();
        h.boxes.answer = words;
        h.prompter.reply("1");
        click(Button::EnterResponse);
        EXPECT_EQ(h.boxes.last.filed, Filed::Response) << "[" << words << "]";
        EXPECT_NE(masterAdded().find("RESPONSE -->  \r\n" + words + "\r\n", before), std::string::npos)
            << "[" << words << "]";
    }
}

TEST_F(Recording, EmptyAndMultiLineResponses)
{
    h.boxes.answer = "";
    click(Button::EnterResponse);
    EXPECT_NE(sendAdded().find("RESPONSE -->  \r\n\r\n" + kClose), std::string::npos);
    const std::string before = fileBytes(h.send());
    h.boxes.answer = "line one\r\nline two";
    click(Button::EnterResponse);
    EXPECT_NE(fileBytes(h.send()).substr(before.size()).find("RESPONSE -->  \r\nline one\r\nline two\r\n"),
        std::string::npos);
}

TEST_F(Recording, TheClockIsReadForEachCopy)
{
    h.clock.secondPerReading = true;
    h.boxes.answer = "x";
    click(Button::EnterResponse);
    EXPECT_EQ(masterAdded().substr(kOpen.size(), 46), kBlanks + "14:05:09\r\n");
    EXPECT_EQ(sendAdded().substr(kOpen.size(), 46), kBlanks + "14:05:10\r\n");
}

TEST_F(Recording, NotesGoToAllThreeFiles)
{
    click(Button::NextQuestion);
    h.boxes.answer = "note one";
    ASSERT_FALSE(click(Button::SaveAsNotes));
    const std::string body = kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n"
        + "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n" + kOpen + "NOTES -------> note one\r\n";
    EXPECT_EQ(masterAdded(), body + kClose);
    EXPECT_EQ(sendAdded(), body + kPad);
    EXPECT_EQ(fileBytes(h.notes()), body + kPad);
    EXPECT_EQ(h.boxes.last.filed, Filed::Note);
    EXPECT_EQ(h.boxes.question, "");
    EXPECT_EQ(h.boxes.answer, "");
    EXPECT_EQ(h.files.commits, 2 + 3);

    // A second note, then a response: the send and notes files run on from the padded line.
    h.boxes.answer = "";
    click(Button::SaveAsNotes);
    const std::string second = kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n"
        + "`q003.  A cart starts from rest.\r\nHow far does it go?\r\n" + kOpen + "NOTES -------> \r\n";
    EXPECT_EQ(masterAdded(), body + kClose + second + kClose);
    EXPECT_EQ(fileBytes(h.notes()), body + kPad + second + kPad);
    h.boxes.answer = "answer";
    h.prompter.reply("0");
    click(Button::EnterResponse);
    EXPECT_EQ(sendAdded().substr(0, (body + kPad + second + kPad).size() + kOpen.size()),
        body + kPad + second + kPad + kOpen);
    EXPECT_EQ(masterAdded().substr((body + kClose + second + kClose).size(), kOpen.size()), kOpen);
}

TEST_F(Recording, NotesBeforeAnyBlockHaveAnEmptyFourthLine)
{
    h.boxes.answer = "n";
    click(Button::SaveAsNotes);
    EXPECT_EQ(fileBytes(h.notes()),
        kOpen + kBlanks + "14:05:09\r\n" + kBlanks + "01-07-202614:05:09\r\n\r\n" + kOpen + "NOTES -------> n\r\n"
            + kPad);
}

TEST_F(Recording, DisplayNotesRunsTheLinesTogetherAfterTheEntryText)
{
    writeFile(h.notes(), "L1\r\nL2\rL3\r\n");
    ASSERT_FALSE(click(Button::DisplayNotes));
    EXPECT_EQ(h.boxes.question, "L1L2L3");
    ASSERT_FALSE(click(Button::DisplayNotes)); // twice: E F, then E F F
    EXPECT_EQ(h.boxes.question, "L1L2L3L1L2L3L1L2L3");
    EXPECT_EQ(h.boxes.last.focus, Focus::ReadAdded);
}

TEST_F(Recording, DisplayNotesAfterAClickRepeatsTheBoxText)
{
    writeFile(h.notes(), "F1\r\nF2");
    click(Button::NextQuestion);
    const std::string t = h.boxes.question;
    click(Button::DisplayNotes);
    EXPECT_EQ(h.boxes.question, t + t + "F1F2");
}

TEST_F(Recording, DisplayNotesAfterSavingANote)
{
    h.boxes.answer = "saved";
    click(Button::SaveAsNotes);
    click(Button::DisplayNotes);
    const std::string f = kOpen.substr(0, 49) + kBlanks + "14:05:09" + kBlanks + "01-07-202614:05:09"
        + kOpen.substr(0, 49) + "NOTES -------> saved" + kPad;
    EXPECT_EQ(h.boxes.question, "NOTES -------> saved" + f);
}

TEST_F(Recording, DisplaySendFilePutsEachLineOnItsOwn)
{
    writeFile(h.send(), "A\r\nB");
    click(Button::DisplaySendFile);
    EXPECT_EQ(h.boxes.question, "\r\nA\r\nB");
    writeFile(h.send(), "one\ntwo\r" + kPad + kOpen);
    h.boxes.question = "old";
    click(Button::DisplaySendFile);
    EXPECT_EQ(h.boxes.question, "old\r\none\ntwo\r\n" + kPad + kOpen.substr(0, 49));
    writeFile(h.notes(), "N");
    click(Button::DisplayNotes); // the send file's viewer leaves the entry text empty
    EXPECT_EQ(h.boxes.question.substr(h.boxes.question.size() - 1), "N");
}

TEST_F(Recording, ViewersOfMissingFilesChangeNothing)
{
    h.boxes.question = "kept";
    ASSERT_FALSE(click(Button::DisplayNotes));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("notes_Student_One.txt"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("No such file or directory"), std::string::npos);
    std::filesystem::remove(h.send());
    ASSERT_FALSE(click(Button::DisplaySendFile));
    EXPECT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.boxes.question, "kept");
}

TEST_F(Recording, ClearBoxEmptiesOnlyTheAnswerBox)
{
    click(Button::NextQuestion);
    const std::string question = h.boxes.question;
    h.boxes.answer = "draft";
    click(Button::ClearBox);
    EXPECT_EQ(h.boxes.answer, "");
    EXPECT_EQ(h.boxes.question, question);
    click(Button::NextQuestion); // the block was not answered: the response prompt comes back
    EXPECT_EQ(h.boxes.answer, kResponsePrompt);
}

TEST_F(Recording, AFileThatCannotBeOpenedLosesNoWords)
{
    click(Button::NextQuestion);
    h.files.failOpenContaining = "send_";
    h.boxes.answer = "my precious answer";
    h.prompter.reply("1");
    ASSERT_FALSE(click(Button::EnterResponse));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("send_0107Student_One.txt"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("Permission denied"), std::string::npos);
    EXPECT_EQ(h.boxes.answer, "my precious answer");
    EXPECT_NE(h.boxes.question, "");
    EXPECT_EQ(h.boxes.last.filed, Filed::Kept);
    EXPECT_EQ(h.boxes.last.focus, Focus::TypeOn);
    EXPECT_EQ(masterAdded(), "");

    h.boxes.answer = "my note";
    ASSERT_FALSE(click(Button::SaveAsNotes));
    EXPECT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.boxes.answer, "my note");
    EXPECT_FALSE(std::filesystem::exists(h.notes()) && fileBytes(h.notes()).size() > 0);

    h.files.failOpenContaining.clear();
    h.prompter.reply("2");
    h.boxes.answer = "my precious answer";
    ASSERT_FALSE(click(Button::EnterResponse));
    EXPECT_NE(sendAdded().find("my precious answer"), std::string::npos);
    EXPECT_EQ(h.boxes.answer, "");
}

// What the student is told to do follows from what kept the file from being written: its folder
// or disk, or the file itself.
TEST_F(Recording, WhatToDoFollowsWhatKeptTheFileOut)
{
    const std::string send = "c:\\tolvanex\\send_0107Student_One.txt"; // as the failure names it
    const struct {
        FileTrouble trouble;
        std::string says;
    } cases[] = {
        { FileTrouble::Other,
            "Your words are still in the answer box. Make sure the folder can be written to and the disk has room "
            "(and that a removable drive is still plugged in), then click \"Enter Response\" again: they will be "
            "filed once." },
        { FileTrouble::InUse,
            "Another program has " + send
                + " open and lets no other program write it. Your words are still in the answer box. Close the file "
                  "in that program (or close the program), then click \"Enter Response\" again: they will be filed "
                  "once." },
        { FileTrouble::ReadOnly,
            send
                + " is read-only. Your words are still in the answer box. Make it writable again (in its "
                  "properties, clear \"Read-only\"), then click \"Enter Response\" again: they will be filed once." },
    };
    for (const auto& c : cases) {
        h.messages.shown.clear();
        h.files.failOpenContaining = "send_";
        h.files.failTrouble = c.trouble;
        h.boxes.answer = "words";
        h.prompter.reply("1");
        ASSERT_FALSE(click(Button::EnterResponse));
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_NE(h.messages.shown[0].find("\n\n" + c.says + "\n\nFile: "), std::string::npos) << h.messages.shown[0];
        EXPECT_EQ(h.boxes.answer, "words");
    }
}

TEST_F(Recording, AFullDiskKeepsWhatWasWrittenAndTheAnswer)
{
    h.files.writeBudget = 60;
    h.boxes.answer = "words";
    ASSERT_FALSE(click(Button::EnterResponse));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("No space left on device"), std::string::npos);
    EXPECT_EQ(h.boxes.answer, "words");
    EXPECT_EQ(fileBytes(h.master()).substr(0, masterStart.size()), masterStart);
    EXPECT_EQ(masterAdded(), ""); // the unfinished record is taken back out
}

TEST_F(Recording, AReadOnlyFileOrFolderIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "a read-only folder still takes new files on Windows";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
#endif
    namespace fs = std::filesystem;
    // The file itself read-only: said so, not the folder.
    fs::permissions(h.send(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    h.boxes.answer = "words";
    click(Button::EnterResponse);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("\n\n" + testing::utf8Of(h.send()) + " is read-only. Your words are still in "),
        std::string::npos)
        << h.messages.shown[0];
    fs::permissions(h.send(), fs::perms::owner_write, fs::perm_options::add);
    // The folder read-only: the file cannot be made there.
    fs::remove(h.send());
    fs::permissions(h.folder(), fs::perms::owner_read | fs::perms::owner_exec);
    h.messages.shown.clear();
    click(Button::EnterResponse);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("Permission denied"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("Make sure the folder can be written to"), std::string::npos);
    EXPECT_EQ(h.boxes.answer, "words");
}

TEST_F(Recording, CharactersBeyondWindows1252AreKeptReadably)
{
    h.boxes.answer = "\xCE\x94v = 3 m/s, caf\xC3\xA9, \xE2\x82\xAC"
                     "5";
    h.prompter.reply("");
    click(Button::EnterResponse);
    EXPECT_NE(sendAdded().find("[U+0394]v = 3 m/s, caf\xE9, \x80"
                               "5\r\n"),
        std::string::npos);
    click(Button::DisplaySendFile);
    EXPECT_NE(h.boxes.question.find("\r\n[U+0394]v = 3 m/s, caf\xC3\xA9, \xE2\x82\xAC"
                                    "5\r\n"),
        std::string::npos);
}

TEST_F(Recording, TheFillerLineComesBackCharacterForCharacter)
{
    const std::string bytes = fileBytes(h.send());
    const std::string filler = bytes.substr(0, bytes.find("\r\n"));
    click(Button::DisplaySendFile);
    EXPECT_EQ(h.boxes.question.substr(0, 2), "\r\n");
    EXPECT_EQ(encodeCp1252Made(h.boxes.question.substr(2, h.boxes.question.find("\r\n", 2) - 2)), filler);
}

// A window of the program over the files of another's services: a second copy, started later.
struct Window {
    explicit Window(testing::FakeServices& services)
        : drill(services.services(), bank())
    {
    }
    bool start(testing::FakeServices& services, const std::string& assignment)
    {
        services.replyAtStartUp("Student One", assignment);
        return !testing::ends([this] { boxes.show(drill.load()); });
    }
    bool click(Button button) { return testing::clickOn(drill, boxes, button); }
    Drill drill;
    testing::Boxes boxes;
};

TEST(Drafts, EachWindowKeepsItsOwnAndOnlyWordsOfAWindowThatIsGoneComeBackForTheirAssignmentAndBlock)
{
    const std::string words = "v = 6 m/s";
    const std::string at = "on 01-07-2026 at 14:05:09 for assignment 005, ";
    const std::string later = "Your words typed " + at
        + "question 3, were not filed. They are kept for that block: they come back into the answer box when you "
          "page on to question 3, to be filed with it.";
    const struct {
        const char* name;
        bool firstRuns; // the first window still runs when the second starts
        int pagesTyped; // the first window's clicks on "Next Question / Answer" before the words
        bool zeroed; // the disk kept the draft's length, not its bytes
        const char* assignment; // the second window's
        std::vector<std::string> told;
        bool inBoxAtStart;
        bool inBoxAfterPaging; // after one click on "Next Question / Answer"
    } cases[] = {
        { "first window gone", false, 1, false, "5", { later }, false, true },
        { "typed before the first question", false, 0, false, "5",
            { "Your words typed " + at
                + "before its first question, were not filed; they are back in the answer box." },
            true, true },
        { "first window gone, another assignment", false, 1, false, "6",
            { "Words you typed " + at
                + "question 3, were not filed. They are kept for that assignment: start the program with assignment "
                  "005 to get them back." },
            false, false },
        { "first window runs", true, 1, false, "5", {}, false, false },
        { "nothing but NUL bytes", false, 1, true, "5", { "" }, false, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeServices h;
        auto first = std::make_unique<Window>(h);
        ASSERT_TRUE(first->start(h, "5"));
        for (int page = 0; page < c.pagesTyped; ++page)
            first->click(Button::NextQuestion);
        first->drill.answerTyped(words);
        const std::filesystem::path draft = h.folder() / ".tolvanex_Student_One.draft1";
        std::string kept = fileBytes(draft);
        ASSERT_EQ(decodeDraft(kept).words, words);
        if (!c.firstRuns)
            first.reset();
        if (c.zeroed) {
            kept = std::string(kept.size(), '\0');
            std::ofstream(draft, std::ios::binary) << kept;
        }
        std::vector<std::string> told = c.told;
        if (c.zeroed)
            told = { fill(texts::draftEmptied, { { "file", testing::utf8Of(draft) } }) };
        h.messages.shown.clear();
        Window second(h);
        ASSERT_TRUE(second.start(h, c.assignment));
        EXPECT_EQ(second.boxes.answer, c.inBoxAtStart ? words : " ");
        EXPECT_EQ(h.messages.shown, told);
        const bool restored = c.inBoxAtStart || c.inBoxAfterPaging;
        if (restored && !c.inBoxAtStart) {
            // Filed before their block, other words are filed alone, and the draft stays as it was.
            second.drill.answerTyped("early");
            second.boxes.answer = "early";
            ASSERT_FALSE(second.click(Button::SaveAsNotes));
            EXPECT_EQ(fileBytes(h.notes()).find(words), std::string::npos);
            EXPECT_EQ(fileBytes(draft), kept);
        }
        if (c.assignment == std::string("5")) {
            ASSERT_FALSE(second.click(Button::NextQuestion));
            EXPECT_EQ(second.boxes.answer, c.inBoxAfterPaging ? words : " ");
            EXPECT_EQ(second.boxes.last.news.has_value(), restored && !c.inBoxAtStart);
            // Paged on from their block without being filed, they go, as words typed there do.
            ASSERT_FALSE(second.click(Button::NextQuestion));
            EXPECT_EQ(second.boxes.answer, kResponsePrompt);
        }
        // The second window files other words: a draft that is not its own stays as it was.
        second.drill.answerTyped("a note");
        second.boxes.answer = "a note";
        ASSERT_FALSE(second.click(Button::SaveAsNotes));
        const bool stays = !restored && !c.zeroed;
        EXPECT_EQ(testing::fileExists(draft), stays);
        if (stays) {
            EXPECT_EQ(fileBytes(draft), kept);
        }
        EXPECT_EQ(testing::fileExists(h.folder() / ".tolvanex_Student_One.draft2"), false);
    }
}

// Words kept for their block survive a second crash before it, and so do the words typed
// meanwhile: the next start brings back both, each at its own block.
TEST(Drafts, WordsKeptForTheirBlockAndWordsTypedMeanwhileSurviveASecondCrash)
{
    testing::FakeServices h;
    auto first = std::make_unique<Window>(h);
    ASSERT_TRUE(first->start(h, "5"));
    first->click(Button::NextQuestion);
    first->drill.answerTyped("v = 6 m/s");
    first.reset();
    auto second = std::make_unique<Window>(h);
    ASSERT_TRUE(second->start(h, "5"));
    second->drill.answerTyped("early");
    second.reset();
    h.messages.shown.clear();
    Window third(h);
    ASSERT_TRUE(third.start(h, "5"));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("before its first question, were not filed; they are back"), std::string::npos);
    EXPECT_NE(h.messages.shown[0].find("question 3, were not filed. They are kept"), std::string::npos);
    EXPECT_EQ(third.boxes.answer, "early");
    ASSERT_FALSE(third.click(Button::NextQuestion));
    EXPECT_EQ(third.boxes.answer, "early\r\n\r\nv = 6 m/s");
}

// The windows' lock files in the folder, by name.
std::set<std::string> windowLocks(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = testing::utf8Of(entry.path().filename());
        if (name.find(".inuse") != std::string::npos)
            names.insert(name);
    }
    return names;
}

TEST(Drafts, StartingAgainAndAgainReusesTheNumberOfAWindowThatIsGone)
{
    testing::FakeServices h;
    const auto lock = [](int window) { return ".tolvanex_Student_One.inuse" + std::to_string(window); };
    // One window after another: each takes the number the last one left.
    for (int start = 0; start < 3; ++start) {
        Window window(h);
        ASSERT_TRUE(window.start(h, "5"));
    }
    EXPECT_EQ(windowLocks(h.folder()), std::set<std::string> { lock(1) });
    // Beside a window that runs, the second number, again and again.
    auto first = std::make_unique<Window>(h);
    ASSERT_TRUE(first->start(h, "5"));
    for (int start = 0; start < 2; ++start) {
        Window second(h);
        ASSERT_TRUE(second.start(h, "5"));
        EXPECT_EQ(windowLocks(h.folder()), (std::set<std::string> { lock(1), lock(2) }));
    }
    // Its words left behind (a crash): the window that holds them for their block takes the free
    // number beside them, no third.
    first->click(Button::NextQuestion);
    first->drill.answerTyped("v = 6 m/s");
    ASSERT_TRUE(testing::fileExists(h.folder() / ".tolvanex_Student_One.draft1"));
    first.reset();
    Window again(h);
    ASSERT_TRUE(again.start(h, "5"));
    EXPECT_EQ(windowLocks(h.folder()), (std::set<std::string> { lock(1), lock(2) }));
    ASSERT_FALSE(again.click(Button::NextQuestion));
    EXPECT_EQ(again.boxes.answer, "v = 6 m/s");
}

// Empty lock files of windows that are gone (older versions left one more at every start): a start
// removes those at the top of the numbers in use, and never one that a window that runs holds
// (another copy of the program, on a file system object of its own). Those below a number in use
// stay, so that a start still finds every number in use above them.
TEST(Drafts, LockFilesOfWindowsThatAreGoneGoAndThoseOfWindowsThatRunStay)
{
    const struct {
        const char* name;
        std::set<int> left; // empty lock files there before the start
        std::set<int> running; // of these, those a window that runs holds
        int draft; // a window that is gone left words for this assignment under this number (0: none)
        // Another copy starting at the same moment: 1, it takes the number above the one this start
        // removes; 2, it removes the one below the number this start makes (it held it meanwhile).
        int racing;
        int taken; // the number the start takes
        std::set<int> after;
    } cases[] = {
        { "all gone", { 1, 2, 3 }, {}, 0, 0, 1, { 1 } },
        { "the middle one runs", { 1, 2, 3 }, { 2 }, 0, 0, 1, { 1, 2 } },
        { "the top one runs", { 1, 2, 3 }, { 3 }, 0, 0, 1, { 1, 2, 3 } },
        { "the lowest runs", { 1, 2, 3, 4 }, { 1 }, 0, 0, 2, { 1, 2 } },
        { "words left at the top", { 1, 2, 3 }, {}, 3, 0, 1, { 1, 2, 3 } },
        { "the number above taken meanwhile", { 1, 2, 3 }, {}, 0, 1, 1, { 1, 2, 3, 4 } },
        { "the number below removed meanwhile", { 1, 2 }, { 1, 2 }, 0, 2, 2, { 1, 2 } },
    };
    const auto lock = [](int window) { return ".tolvanex_Student_One.inuse" + std::to_string(window); };
    const auto path = [&lock](int window) { return "c:\\tolvanex\\" + lock(window); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeServices h;
        std::filesystem::create_directories(h.folder());
        testing::HomeDriveFileSystem other(h.home);
        std::map<int, std::unique_ptr<FileLock>> held;
        std::set<std::string> before;
        for (const int window : c.left) {
            std::ofstream(h.folder() / lock(window)).flush();
            before.insert(lock(window));
            if (c.running.contains(window))
                held[window] = other.tryLock(path(window));
        }
        if (c.draft) {
            std::ofstream(h.folder() / (".tolvanex_Student_One.draft" + std::to_string(c.draft)), std::ios::binary)
                << encodeDraft({ "v = 6 m/s", DraftPlace { "005", "3", LineKind::Question, {} } });
        }
        int raced = 0;
        h.files.meanwhile = [&](const std::string& operation, const std::string& file) {
            if (c.racing == 1 && operation == "remove" && file == path(3) && !raced++)
                held[4] = other.tryLock(path(4));
            if (c.racing == 2 && operation == "lock" && file == path(3) && !raced++) {
                other.removeFile(path(2));
                held.erase(2);
            }
        };
        Window window(h);
        ASSERT_TRUE(window.start(h, "5"));
        h.files.meanwhile = nullptr;
        EXPECT_EQ(raced, c.racing ? 1 : 0);
        std::set<std::string> after;
        for (const int number : c.after)
            after.insert(lock(number));
        EXPECT_EQ(windowLocks(h.folder()), after);
        for (const int number : c.after) {
            // Held by the window that started (its own, and the one whose words it keeps), by
            // another that runs, or free.
            const bool heldNow = !other.tryLock(path(number));
            EXPECT_EQ(heldNow, number == c.taken || number == c.draft || held.contains(number)) << number;
        }
    }
}

TEST_F(Recording, ADraftThatCannotBeSavedIsShownWithoutAMessageBoxUntilASaveWorksAgain)
{
    int wakes = 0;
    h.drill.onDraftTrouble([&wakes] { ++wakes; });
    click(Button::NextQuestion);
    // A folder where the draft should be: the new draft cannot be renamed over it.
    const std::filesystem::path draft = h.folder() / ".tolvanex_Student_One.draft1";
    std::filesystem::create_directories(draft / "in the way");
    const auto typed = [&](const std::string& words) {
        h.drill.answerTyped(words);
        return h.drill.draftNotice();
    };
    std::optional<Notice> shown = typed("v");
    ASSERT_TRUE(shown);
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(shown->line, texts::draftNotKeptLine);
    EXPECT_EQ(
        shown->whole.rfind(std::string(texts::draftNotKept) + "\n\nFile: " + testing::utf8Of(draft) + "\nReason: ", 0),
        0u)
        << shown->whole;
    EXPECT_EQ(typed("v ="), shown); // it stays, and does not wake the window at every key
    EXPECT_EQ(wakes, 1);
    std::filesystem::remove_all(draft);
    EXPECT_EQ(typed("v = 6"), std::nullopt); // gone once a save works
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(decodeDraft(fileBytes(draft)).words, "v = 6");
    std::filesystem::remove(draft);
    std::filesystem::create_directories(draft / "in the way");
    EXPECT_EQ(typed("v = 6 m"), shown); // failing again after a save that worked
    EXPECT_EQ(wakes, 3);
    EXPECT_EQ(h.messages.shown, std::vector<std::string> {});
}

struct WatchedMessages : testing::RecordingMessages {
    void showWaiting(const std::string& text) override
    {
        waits.push_back(text);
        if (onWaiting)
            onWaiting();
    }
    void endWaiting() override { ++ended; }
    std::vector<std::string> waits;
    int ended = 0;
    std::function<void()> onWaiting;
};

// The files' lock held by another copy of the program for longer than a filing waits.
TEST(Waiting, AFilingThatWaitsForAnotherCopyShowsItAndSaysWhatToDo)
{
    testing::FakeServices h;
    testing::FaultyFileSystem files;
    WatchedMessages messages;
    Drill drill(h.servicesWith(nullptr, &messages, &files), bank());
    testing::Boxes boxes;
    h.replyAtStartUp("Student One", "5");
    ASSERT_FALSE(testing::ends([&] { boxes.show(drill.load()); }));
    const std::string master = "c:\\tolvanex\\masterFile_Student_One.txt";
    const std::string before = files.bytes(master).value_or("");
    testing::clickOn(drill, boxes, Button::NextQuestion);
    boxes.answer = "v = 6 m/s";
    auto otherCopy = files.tryLock(workFiles("c:\\tolvanex", "Student_One").lock);
    ASSERT_TRUE(otherCopy);
    h.prompter.reply("2");
    testing::clickOn(drill, boxes, Button::EnterResponse);
    EXPECT_EQ(messages.waits, std::vector { std::string(texts::waitingForOtherCopy) });
    EXPECT_EQ(messages.ended, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find(fill(texts::wordsKeptBusy, { { "button", texts::enterResponseCaption } })),
        std::string::npos)
        << messages.shown[0];
    EXPECT_EQ(messages.shown[0].find("disk has room"), std::string::npos);
    EXPECT_EQ(boxes.answer, "v = 6 m/s");
    EXPECT_EQ(files.bytes(master), before);
    otherCopy.reset();
    h.prompter.reply("2");
    testing::clickOn(drill, boxes, Button::EnterResponse);
    EXPECT_EQ(messages.waits.size(), 1u);
    EXPECT_EQ(boxes.answer, "");
    const std::string added = files.bytes(master).value_or("").substr(before.size());
    EXPECT_NE(added.find("v = 6 m/s"), std::string::npos);
    EXPECT_EQ(added.find("v = 6 m/s"), added.rfind("v = 6 m/s")) << "filed once";
}

// Another copy of the program appends a record of its own to the same files, under their lock,
// on the real file system: a filing meanwhile waits for the lock, writes nothing while the other
// copy writes, and puts its record whole after the other's in every file.
TEST(Waiting, AFilingWaitsForAnotherCopysRecordAndPutsItsOwnWholeAfterIt)
{
    testing::FakeServices h;
    WatchedMessages messages;
    Drill drill(h.servicesWith(nullptr, &messages), bank());
    testing::Boxes boxes;
    h.replyAtStartUp("Student One", "5");
    ASSERT_FALSE(testing::ends([&] { boxes.show(drill.load()); }));
    testing::clickOn(drill, boxes, Button::NextQuestion);
    boxes.answer = "v = 6 m/s";
    const std::string before[] = { fileBytes(h.master()), fileBytes(h.send()) };
    const std::string paths[]
        = { "c:\\tolvanex\\masterFile_Student_One.txt", "c:\\tolvanex\\" + testing::utf8Of(h.send().filename()) };
    const std::string halves[] = { "the other copy's record, ", "written in two steps\r\n" };
    // The other copy has the lock and is half way through its record.
    testing::HomeDriveFileSystem otherCopy(h.home);
    auto lock = otherCopy.lock(workFiles("c:\\tolvanex", "Student_One").lock);
    const auto write = [&](const std::string& bytes) {
        for (const std::string& path : paths) {
            const auto file = otherCopy.openForAppend(path);
            file->write(bytes);
            file->commit();
        }
    };
    write(halves[0]);
    messages.onWaiting = [&] {
        EXPECT_EQ(fileBytes(h.master()), before[0] + halves[0]) << "written before the lock was had";
        write(halves[1]);
        lock.reset();
    };
    h.prompter.reply("2");
    testing::clickOn(drill, boxes, Button::EnterResponse);
    EXPECT_EQ(messages.waits.size(), 1u);
    EXPECT_EQ(messages.shown, std::vector<std::string> {});
    EXPECT_EQ(boxes.answer, "");
    int file = 0;
    for (const std::filesystem::path& path : { h.master(), h.send() }) {
        SCOPED_TRACE(path.filename().string());
        const std::string now = fileBytes(path);
        ASSERT_EQ(now.rfind(before[file++] + halves[0] + halves[1] + kOpen, 0), 0u) << now;
        EXPECT_EQ(now.substr(now.size() - kClose.size()), kClose);
        EXPECT_EQ(now.find("v = 6 m/s"), now.rfind("v = 6 m/s"));
        EXPECT_NE(now.find("v = 6 m/s"), std::string::npos);
    }
}

TEST(Recovery, ARecordIsWrittenOverNulBytesAndOnlyAFileThatChangedIsLeftAlone)
{
    const std::string record = "RECORD LINE\r\n";
    const std::string nul(record.size(), '\0');
    const struct {
        const char* name;
        std::string masterTail; // after the length the journal noted
        std::string sendTail;
        std::string masterAfter; // the tails after the next start
        std::string sendAfter;
        bool wordsBack;
    } cases[] = {
        { "the send file's bytes lost", record, nul, record, record, false },
        { "the master file's half lost, the send file untouched", record.substr(0, 4) + nul.substr(4), "", record,
            record, false },
        { "the send file changed since", record, "other bytes\r\n", record, "other bytes\r\n", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeServices h;
        {
            Window first(h);
            ASSERT_TRUE(first.start(h, "5"));
        }
        Journal journal;
        journal.words = "my words";
        std::string told;
        const std::string master = fileBytes(h.master()), send = fileBytes(h.send());
        for (const auto& [path, native, tail] :
            { std::tuple(std::string("c:\\tolvanex\\masterFile_Student_One.txt"), h.master(), c.masterTail),
                std::tuple("c:\\tolvanex\\" + testing::utf8Of(h.send().filename()), h.send(), c.sendTail) }) {
            journal.entries.push_back({ path, std::filesystem::file_size(native), record });
            std::ofstream(native, std::ios::binary | std::ios::app) << tail;
        }
        writeFile(h.folder() / ".tolvanex_Student_One.journal", encodeJournal(journal));
        h.messages.shown.clear();
        Window again(h);
        ASSERT_TRUE(again.start(h, "5"));
        // Then this start's heading, the same as the first's (the same clock and draws).
        EXPECT_EQ(fileBytes(h.master()), master + c.masterAfter + master);
        EXPECT_EQ(fileBytes(h.send()), send + c.sendAfter + send);
        EXPECT_EQ(again.boxes.answer, c.wordsBack ? "my words" : " ");
        ASSERT_EQ(h.messages.shown.size(), 1u);
        // Files are named as the system names them.
        const std::string& message = h.messages.shown[0];
        EXPECT_EQ(message.find("c:\\"), std::string::npos) << message;
        if (c.wordsBack) {
            EXPECT_EQ(message,
                fill(texts::recoveredLeftAlone, { { "files", testing::utf8Of(h.send()) } }) + "\n\n"
                    + fill(texts::wordsBackHeldIn, { { "files", testing::utf8Of(h.master()) } }));
        } else {
            EXPECT_NE(message.find(testing::utf8Of(c.sendTail == "" ? h.master() : h.send())), std::string::npos)
                << message;
        }
    }
}

} // namespace
} // namespace tolvanex
