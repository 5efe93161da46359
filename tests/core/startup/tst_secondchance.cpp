// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up second chances: a name that cannot go into a file name is asked for again, an unusable
// folder is asked for again, each prompt saying what went wrong, and names that fit keep their
// file names.
#include "core/text/Text.h"
#include "core/text/Texts.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tolvanex {
namespace {

using Harness = testing::StartUpHarness;
using testing::fileExists;

std::size_t entriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(SecondChance, ANameNoFileNameCanHoldIsAskedForAgain)
{
    const std::string delta = "\xCE\x94";
    std::string deltas;
    for (int i = 0; i < 120; ++i)
        deltas += delta;
    // The problem as the prompt words it; empty: only its opening is checked.
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "a/b", "it holds \"/\"," },
        { "a\\b", "" },
        { "a:b", "" },
        { "a*b", "" },
        { "a?b", "" },
        { "a\"b", "it holds a quotation mark, and a file name cannot contain" },
        { "a<b", "" },
        { "a>b", "" },
        { "a|b", "" },
        { "a\tb", "it holds a tab," },
        { "a\x01z", "it holds a control character (code 1)," },
        { "a\x7f", "" },
        { std::string(234, 'x'),
            "it has 234 characters, and a file name holds at most 255, which leaves 233 for a name." },
        { std::string(300, 'y'), "it has 300 characters," },
        // Counted as the student counts: 120 letters, each of two bytes in a file name.
        { deltas,
            "its 120 characters take 240 bytes in a file name (a letter beyond A to Z takes two or more), and a file "
            "name holds at most 255 bytes, which leaves 233 for a name." },
    };
    for (const auto& [name, problem] : cases) {
        Harness h(testing::threeAssignments());
        // Refused at once, once: by the prompt that asks for the name again, before the folder question.
        for (const std::string& reply : { name, std::string("Ann Lee"), std::string(), std::string("2") })
            h.prompter.reply(reply);
        ASSERT_TRUE(h.load()) << name;
        EXPECT_TRUE(h.messages.shown.empty()) << name;
        ASSERT_EQ(h.prompter.asked.size(), 4u);
        const std::string& again = h.prompter.asked[1];
        EXPECT_EQ(again.find("Your name cannot be used in a file name: it"), 0u) << again;
        EXPECT_NE(again.find(problem), std::string::npos) << again;
        EXPECT_NE(again.find("Type your full name again:  "), std::string::npos);
        EXPECT_EQ(h.prompter.asked[2], texts::folderQuestion);
        EXPECT_TRUE(fileExists(h.folder() / "masterFile_Ann_Lee.txt"));
        EXPECT_EQ(entriesIn(h.folder()), 4u); // the two files, the hidden lock and the empty journal
    }
}

TEST(SecondChance, NamesThatFitKeepTheirFileNames)
{
    for (const std::string& name : std::vector<std::string> { std::string(233, 'x'),
             std::string("Zo\xC3\xAB O'Brien-Smith (2nd) #1, a.b;c"), std::string(231, 'x') + "\xC3\xAB" }) {
        Harness h(testing::threeAssignments());
        ASSERT_TRUE(h.start(name, "2"));
        EXPECT_TRUE(h.messages.shown.empty());
        EXPECT_TRUE(fileExists(h.master()));
        EXPECT_EQ(testing::utf8Of(h.master().filename()), "masterFile_" + h.setup.namePart + ".txt");
    }
}

TEST(SecondChance, AnUnusableDefaultFolderIsAskedForWithoutTheFolderChangeText)
{
    Harness h(testing::threeAssignments());
    std::ofstream(h.folder()) << "a file where the folder should be";
    std::filesystem::create_directory(h.home / "elsewhere");
    for (const char* reply : { "Ann Lee", "", "2", "c:\\elsewhere" })
        h.prompter.reply(reply);
    ASSERT_TRUE(h.load());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    const std::string& message = h.messages.shown[0];
    EXPECT_EQ(message.find("The heading of your files could not be saved. Nothing of it is in your files"), 0u);
#ifndef _WIN32 // Windows words its reasons, and names its paths, its own way (see tst_windowsfiles)
    EXPECT_NE(message.find("File: " + (h.folder() / "masterFile_Ann_Lee.txt").string()), std::string::npos);
    EXPECT_NE(message.find("(c:\\tolvanex\\masterFile_Ann_Lee.txt in this program)"), std::string::npos);
    EXPECT_NE(message.find("Reason: Not a directory"), std::string::npos);
#endif
    ASSERT_EQ(h.prompter.asked.size(), 4u);
    // The message said what went wrong; the prompt does not say it again.
    EXPECT_EQ(h.prompter.asked[3],
        "Enter the path to another folder for your files, or just hit the Enter key to try c:\\tolvanex again.");
    EXPECT_EQ(entriesIn(h.home / "elsewhere"), 4u); // the two files, the hidden lock and the empty journal
}

TEST(SecondChance, AFolderThatTookNothingKeepsNoFileOfTheProgram)
{
    Harness h(testing::threeAssignments());
    std::filesystem::create_directory(h.home / "elsewhere");
    // The default folder's disk is full: the heading reaches none of its files.
    h.files.failOpenContaining = "c:\\tolvanex\\";
    h.files.failReason = "No space left on device";
    for (const char* reply : { "Ann Lee", "", "2", "c:\\elsewhere" })
        h.prompter.reply(reply);
    ASSERT_TRUE(h.load());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("Nothing of it is in your files"), std::string::npos);
    EXPECT_EQ(entriesIn(h.folder()), 0u); // no journal, no lock
    EXPECT_EQ(entriesIn(h.home / "elsewhere"), 4u); // the two files, the hidden lock and the empty journal
    // A folder that holds the files already keeps its journal and lock when a filing fails there.
    Harness again(testing::threeAssignments());
    ASSERT_TRUE(again.start("Ann Lee", "2"));
    again.files.failOpenContaining = "send_";
    again.replyAtStartUp("Ann Lee", "2");
    again.prompter.cancel();
    EXPECT_FALSE(again.load());
    EXPECT_EQ(entriesIn(again.folder()), 4u);
}

} // namespace
} // namespace tolvanex
