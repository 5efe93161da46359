// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the prompts, file names, assignment numbers, positioning and the heading block.
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

using Harness = testing::StartUpHarness;
using testing::fileBytes;
using testing::fileExists;

// Headers of every form: plain, with a trailing blank, with line breaks, the number alone.
const testing::SmallBank& bank()
{
    static const testing::SmallBank lines({
        "002.  Velocity", "", "`q001.  How fast?", "", // 1 to 4
        "003.  Velocity Relationships", "", // 5
        "004.  Acceleration ", "", // 7
        "005.  Uniformly Accelerated Motion", "", // 9
        "007.  Projectiles", "", // 11
        "010.  Note that there are 10 questions in this set.\r\n\r\n.Force and Acceleration.", "", // 13
        "018.", "", // 15
    });
    return lines;
}

// Code number 19 and a filler line of 19 characters of code 118.
void scriptPlainFiller(Harness& h)
{
    h.random.scripted.push_back(0.0f);
    for (int pass = 0; pass < 19; ++pass) {
        h.random.scripted.push_back(0.5f);
        h.random.scripted.push_back(0.0f);
    }
}

std::string heading(const std::string& assignment, const std::string& header, const std::string& date)
{
    return std::string(19, 'v') + "\r\nassignment #" + assignment + "\r\n" + header + "\r\nPhysics I\r\n" + date
        + "\r\n";
}

TEST(StartUp, AsksTheThreePromptsWithTheirExactTexts)
{
    Harness h(bank());
    h.prompter.reply("Student One");
    h.prompter.reply("1");
    h.prompter.reply("");
    h.prompter.reply("5");
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.prompter.asked,
        (std::vector<std::string> { std::string(texts::namePrompt), std::string(texts::folderQuestion),
            std::string(texts::pathPrompt), std::string(texts::assignmentPrompt) }));
    EXPECT_EQ(h.prompter.unexpected, 0);
    const RunSetup& s = h.setup;
    EXPECT_EQ(s.courseTitle, "Physics I");
    EXPECT_EQ(s.outputFolder, "c:\\tolvanex");
    EXPECT_EQ(s.assignmentNumber, "005");
    EXPECT_EQ(s.nextAssignmentNumber, "006");
    EXPECT_EQ(s.responsePrompt.find("Enter, as appropriate, an answer"), 0u);
    EXPECT_NE(s.responsePrompt.find("just an OK.\r\n\r\nAlways critique your solutions"), std::string::npos);
    EXPECT_EQ(s.responsePrompt.substr(s.responsePrompt.size() - 19), "series of problems.");
    ASSERT_EQ(h.random.seeds.size(), 1u);
    EXPECT_EQ(h.random.seeds[0], 14 * 3600 + 5 * 60 + 9);
}

TEST(StartUp, OnlyAPlainOneOffersThePathPrompt)
{
    for (const char* reply : { " 1", "1 ", "one", "11", "" }) {
        Harness h(bank());
        h.prompter.reply("A");
        h.prompter.reply(reply);
        h.prompter.reply("2");
        ASSERT_TRUE(h.load());
        EXPECT_EQ(h.prompter.asked.size(), 3u) << '"' << reply << '"';
        EXPECT_EQ(h.prompter.unexpected, 0);
    }
}

TEST(StartUp, FileNamesFromFolderNameAndDate)
{
    Harness h(bank());
    h.clock.set(2026, 1, 7, 9, 0, 0);
    ASSERT_TRUE(h.start("Student One", "2"));
    const RunSetup& s = h.setup;
    EXPECT_EQ(s.masterFile, "c:\\tolvanex\\masterFile_Student_One.txt");
    EXPECT_EQ(s.sendFile, "c:\\tolvanex\\send_0107Student_One.txt");
    EXPECT_EQ(s.notesFile, "c:\\tolvanex\\notes_Student_One.txt");
    EXPECT_TRUE(fileExists(h.folder() / "send_0107Student_One.txt"));
    EXPECT_FALSE(fileExists(h.notes()));
}

TEST(StartUp, NamesKeepEverythingButBlanks)
{
    Harness h(bank());
    ASSERT_TRUE(h.start("a  b,c.d", "3"));
    EXPECT_EQ(h.setup.notesFile, "c:\\tolvanex\\notes_a__b,c.d.txt");
    Harness empty(bank());
    empty.clock.set(2030, 12, 31, 0, 0, 1);
    ASSERT_TRUE(empty.start("", "3"));
    EXPECT_EQ(empty.setup.masterFile, "c:\\tolvanex\\masterFile_.txt");
    EXPECT_EQ(empty.setup.sendFile, "c:\\tolvanex\\send_1231.txt");
    EXPECT_EQ(empty.setup.notesFile, "c:\\tolvanex\\notes_.txt");
}

TEST(StartUp, AFolderTypedWithATrailingBackslashIsUsedAsTyped)
{
    Harness h(bank());
    h.prompter.reply("Student One");
    h.prompter.reply("1");
    h.prompter.reply("d:\\work\\");
    h.prompter.reply("5");
    h.prompter.cancel(); // the second chance after drive d: turns out to be missing
    EXPECT_FALSE(h.load());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    // Shown as the system reads it, with one separator.
    EXPECT_NE(h.messages.shown[0].find("File: d:\\work\\masterFile_Student_One.txt\n"), std::string::npos)
        << h.messages.shown[0];
    EXPECT_EQ(h.messages.shown[0].find("\\\\"), std::string::npos);
}

TEST(StartUp, CodeNumberIsNineteenToTwentyEight)
{
    const std::pair<float, float> draws[] = { { 0.0f, 19 }, { 0.5f, 24 }, { 0.95f, 28 }, { 0.99999994f, 28 } };
    for (const auto& [r, expected] : draws) {
        Harness h(bank());
        h.random.scripted.push_back(r);
        ASSERT_TRUE(h.start("A", "2"));
        EXPECT_EQ(h.setup.codeNumber, expected) << r;
    }
    int seen[30] = {};
    for (int second = 0; second < 300; ++second) {
        Harness h(bank());
        h.clock.set(2026, 3, 4, 10, second / 60, second % 60);
        ASSERT_TRUE(h.start("A", "2"));
        const auto code = static_cast<int>(h.setup.codeNumber);
        ASSERT_GE(code, 19);
        ASSERT_LE(code, 28);
        ++seen[code];
    }
    for (int code = 19; code <= 28; ++code)
        EXPECT_GT(seen[code], 0) << code;
}

TEST(Positioning, HeadingBlockInBothFilesByteForByte)
{
    Harness h(bank());
    scriptPlainFiller(h);
    ASSERT_TRUE(h.start("Student One", "5"));
    const std::string header = "005.  Uniformly Accelerated Motion";
    EXPECT_EQ(h.setup.headerLine, 9);
    EXPECT_EQ(fileBytes(h.master()), heading("005", header, "01-07-2026"));
    EXPECT_EQ(fileBytes(h.send()), heading("005", header, "01-07-2026"));
    EXPECT_FALSE(fileExists(h.notes()));
}

TEST(Positioning, TheSameFillerLineHeadsBothFiles)
{
    Harness h(bank());
    ASSERT_TRUE(h.start("A", "7"));
    const std::string master = fileBytes(h.master());
    const std::string send = fileBytes(h.send());
    EXPECT_EQ(master, send);
    const std::string filler = master.substr(0, master.find("\r\n"));
    EXPECT_GE(filler.size(), 19u);
    EXPECT_LE(filler.size(), 56u);
    EXPECT_GE(static_cast<unsigned char>(filler.back()), 118);
}

TEST(Positioning, HeadersWithLineBreaksOrATrailingBlankAreWrittenAsStored)
{
    Harness h(bank());
    scriptPlainFiller(h);
    ASSERT_TRUE(h.start("A", "10"));
    EXPECT_EQ(h.setup.headerLine, 13);
    EXPECT_EQ(fileBytes(h.master()),
        heading("010", "010.  Note that there are 10 questions in this set.\r\n\r\n.Force and Acceleration.",
            "01-07-2026"));
    Harness four(bank());
    scriptPlainFiller(four);
    ASSERT_TRUE(four.start("B", "4"));
    EXPECT_EQ(fileBytes(four.send()), heading("004", "004.  Acceleration ", "01-07-2026"));
    Harness last(bank());
    scriptPlainFiller(last);
    ASSERT_TRUE(last.start("C", "018"));
    EXPECT_EQ(last.setup.headerLine, 15);
    EXPECT_EQ(fileBytes(last.master()), heading("018", "018.", "01-07-2026"));
}

TEST(Positioning, RunsAccumulateAndTheSendFileFollowsTheDay)
{
    Harness first(bank());
    scriptPlainFiller(first);
    ASSERT_TRUE(first.start("Student One", "5"));
    // A second run in the same home folder, on the same day and then on the next day.
    Harness* runs[2];
    Harness second(bank());
    Harness third(bank());
    runs[0] = &second;
    runs[1] = &third;
    for (Harness* run : runs) {
        std::filesystem::remove_all(run->home);
        std::filesystem::create_directories(run->home);
        std::filesystem::copy(first.home, run->home, std::filesystem::copy_options::recursive);
        scriptPlainFiller(*run);
    }
    ASSERT_TRUE(second.start("Student One", "5"));
    const std::string block = heading("005", "005.  Uniformly Accelerated Motion", "01-07-2026");
    EXPECT_EQ(fileBytes(second.master()), block + block);
    EXPECT_EQ(fileBytes(second.send()), block + block);
    third.clock.set(2026, 1, 8, 8, 0, 0);
    ASSERT_TRUE(third.start("Student One", "5"));
    const std::string nextDay = heading("005", "005.  Uniformly Accelerated Motion", "01-08-2026");
    EXPECT_EQ(fileBytes(third.master()), block + nextDay);
    EXPECT_EQ(fileBytes(third.folder() / "send_0108Student_One.txt"), nextDay);
    EXPECT_EQ(fileBytes(third.folder() / "send_0107Student_One.txt"), block);
}

TEST(Positioning, TheYearIsNotPartOfTheSendFileName)
{
    Harness h(bank());
    h.clock.set(2027, 1, 7, 9, 0, 0);
    ASSERT_TRUE(h.start("Student One", "2"));
    EXPECT_EQ(h.setup.sendFile, "c:\\tolvanex\\send_0107Student_One.txt");
}

TEST(Positioning, AnUnknownAssignmentIsAskedForAgain)
{
    for (const char* reply : { "019", "", "000", "0", "-1", "5a", "0005", "7b", " 5" }) {
        Harness h(bank());
        h.prompter.reply("A");
        h.prompter.reply("");
        h.prompter.reply(reply);
        h.prompter.reply("3");
        ASSERT_TRUE(h.load()) << reply;
        ASSERT_EQ(h.messages.shown.size(), 1u) << reply;
        // The number is quoted as typed, not as widened.
        EXPECT_EQ(
            h.messages.shown[0].find("There is no assignment \"" + std::string(reply) + "\" in this program."), 0u)
            << h.messages.shown[0];
        EXPECT_NE(h.messages.shown[0].find("002 to 018 (you may type 2 to 18)"), std::string::npos);
        EXPECT_EQ(h.prompter.asked.back(), texts::assignmentPrompt);
        EXPECT_EQ(h.setup.assignmentNumber, "003");
        EXPECT_EQ(h.setup.nextAssignmentNumber, "004");
        EXPECT_EQ(h.setup.headerLine, 5);
    }
}

TEST(Positioning, CancelOnTheSecondAskingEndsWithNothingWritten)
{
    Harness h(bank());
    h.prompter.reply("A");
    h.prompter.reply("");
    h.prompter.reply("019");
    h.prompter.cancel();
    EXPECT_FALSE(h.load());
    EXPECT_TRUE(std::filesystem::is_empty(h.folder()));
}

TEST(Positioning, AMissingFolderGetsAMessageAndASecondChance)
{
    // At the second chance, an empty reply means the default folder, like a typed one.
    for (const char* again : { "c:\\tolvanex\\", "" }) {
        Harness h(bank());
        h.prompter.reply("A");
        h.prompter.reply("1");
        h.prompter.reply("c:\\no such folder");
        h.prompter.reply("5");
        h.prompter.reply(again);
        ASSERT_TRUE(h.load());
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_NE(h.messages.shown[0].find("c:\\no such folder\\masterFile_A.txt"), std::string::npos);
        EXPECT_NE(h.messages.shown[0].find("No such file or directory"), std::string::npos);
        EXPECT_EQ(h.prompter.asked.back(), texts::pathPrompt);
        EXPECT_FALSE(fileExists(h.home / "no such folder"));
        EXPECT_EQ(h.setup.outputFolder, again[0] ? again : "c:\\tolvanex") << again;
        EXPECT_NE(fileBytes(h.folder() / "masterFile_A.txt").find("assignment #005"), std::string::npos) << again;
    }
}

TEST(Positioning, AFolderNotThereIsNamedWithABlankAtItsEndPointedOut)
{
    const struct {
        const char* folder;
        std::string says;
    } cases[] = {
        { "c:\\no such folder\\deeper", "the folder \"/no such folder\" does not exist (No such file or directory)" },
        { "c:\\tolvanex ", "the folder \"/tolvanex \" does not exist: its name ends in a blank (No such file" },
        { "c:\\tolvanex.", "the folder \"/tolvanex.\" does not exist: its name ends in a dot (No such file" },
    };
    for (const auto& c : cases) {
        Harness h(bank());
        h.prompter.reply("A");
        h.prompter.reply("1");
        h.prompter.reply(c.folder);
        h.prompter.reply("5");
        h.prompter.cancel();
        EXPECT_FALSE(h.load());
        ASSERT_EQ(h.messages.shown.size(), 1u);
        const std::string home = testing::utf8Of(h.home);
        const std::string says = c.says.substr(0, 12) + home + c.says.substr(12);
        EXPECT_NE(h.messages.shown[0].find("Reason: " + says), std::string::npos) << h.messages.shown[0];
    }
}

TEST(Positioning, AFailedSendFileWritesNothingAndCancelEnds)
{
    Harness h(bank());
    h.files.failOpenContaining = "send_";
    h.replyAtStartUp("A", "5");
    h.prompter.cancel();
    EXPECT_FALSE(h.load());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("Permission denied"), std::string::npos);
    EXPECT_TRUE(fileExists(h.folder()));
    EXPECT_FALSE(fileExists(h.master()));
}

TEST(Positioning, ANameWithASeparatorNeverWritesOutsideTheFolder)
{
    for (const char* name : { "..\\evil", "a/b" }) {
        Harness h(bank());
        for (const char* reply : { name, "Fixed Name", "", "5" })
            h.prompter.reply(reply);
        ASSERT_TRUE(h.load());
        EXPECT_TRUE(h.messages.shown.empty());
        EXPECT_NE(h.prompter.asked[1].find("cannot contain"), std::string::npos);
        EXPECT_NE(h.prompter.asked[1].find("Type your full name again"), std::string::npos);
        EXPECT_EQ(h.setup.namePart, "Fixed_Name");
        EXPECT_TRUE(fileExists(h.folder() / "masterFile_Fixed_Name.txt"));
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::recursive_directory_iterator(h.home))
            ++entries;
        EXPECT_EQ(entries, 5u); // the folder, its two files, the hidden lock and the empty journal
    }
}

TEST(Paths, WindowsPathsMapOntoTheHomeFolder)
{
    EXPECT_EQ(nativePath("c:\\tolvanex\\a.txt", "/h"), "/h/tolvanex/a.txt");
    EXPECT_EQ(nativePath("C:\\x\\\\y.txt", "/h"), "/h/x//y.txt");
    EXPECT_EQ(nativePath("\\top\\f.txt", "/h"), "/h/top/f.txt");
    EXPECT_EQ(nativePath("c:rel", "/h"), "/h/rel");
    EXPECT_EQ(nativePath("/tmp/x\\y", "/h"), "/tmp/x/y");
    EXPECT_EQ(nativePath("sub\\f", "/h"), "sub/f");
    EXPECT_THROW(nativePath("d:\\work\\f.txt", "/h"), FileError);
    EXPECT_THROW(nativePath("\\\\server\\share", "/h"), FileError);
}

} // namespace
} // namespace tolvanex
