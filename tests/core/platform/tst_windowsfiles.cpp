// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer on Windows: real drive letters, folders used as typed, names stored in UTF-16
// exactly as typed, and clear reasons. Built for both systems; the Windows cases run under Wine
// (the tests labelled "windows") and skip elsewhere.
#include "support/Fakes.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tolvanex {
namespace {

namespace fs = std::filesystem;
using testing::DrillHarness;
using testing::fileBytes;

std::string utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return { text.begin(), text.end() };
}

fs::path fromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

// Starts a drill over the small course, writing to the folder typed, which reaches the real drives
// as typed (so does the default folder c:\tolvanex that start-up makes, as the program does).
// True when start-up went through without a message.
bool startIn(DrillHarness& h, const std::string& name, const std::string& folder)
{
    h.files.driveCIsHome = false;
    h.random.scripted = { 0.0f }; // code number 19; then a filler line of 19 characters "v"
    for (int pass = 0; pass < 19; ++pass)
        h.random.scripted.insert(h.random.scripted.end(), { 0.5f, 0.0f });
    h.prompter.reply(name);
    h.prompter.reply("1");
    h.prompter.reply(folder);
    h.prompter.reply("1");
    h.prompter.cancel(); // ends the run at a second chance
    return h.load() && h.messages.shown.empty();
}

const std::string kHeading
    = std::string(19, 'v') + "\r\nassignment #001\r\n001.  Timing\r\nPhysics I\r\n01-07-2026\r\n";

class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef _WIN32
        GTEST_SKIP() << "drive letters and UTF-16 names are Windows matters";
#endif
        first.files.driveCIsHome = false;
        second.files.driveCIsHome = false;
        // The temporary folder is on drive c: under Wine; written the way a student types it.
        base = utf8(first.home);
        if (base.rfind("C:", 0) == 0)
            base[0] = 'c';
    }

    DrillHarness first { testing::threeAssignments() };
    DrillHarness second { testing::threeAssignments() };
    std::string base;
};

TEST_F(WindowsFiles, HeadingBlocksAccumulateByteForByteInAFolderTypedWithATrailingBackslash)
{
    fs::create_directory(first.home / "physics");
    const std::string folder = base + "\\physics\\";
    ASSERT_TRUE(startIn(first, "Student One", folder)) << first.messages.shown.at(0);
    ASSERT_TRUE(startIn(second, "Student One", folder)) << second.messages.shown.at(0);
    EXPECT_EQ(fileBytes(first.home / "physics" / "masterFile_Student_One.txt"), kHeading + kHeading);
    EXPECT_EQ(fileBytes(first.home / "physics" / "send_0107Student_One.txt"), kHeading + kHeading);
}

TEST_F(WindowsFiles, AFolderAndANameBeyondTheCodePageKeepTheirExactNames)
{
    const std::string folder = base + "\\Zo\xC3\xAB \xCE\xA9"; // "Zoë Ω"
    first.files.createFolder(folder);
    ASSERT_TRUE(startIn(first, "J\xC3\xBCrgen \xCE\x94", folder)) // "Jürgen Δ"
        << first.messages.shown.at(0);
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(fromUtf8(folder)))
        names.insert(entry.path().filename().wstring());
    // The hidden lock and the empty journal stay beside the records, and the window's own lock on its
    // draft while it runs.
    EXPECT_EQ(names,
        (std::set<std::wstring> { L"masterFile_J\u00FCrgen_\u0394.txt", L"send_0107J\u00FCrgen_\u0394.txt",
            L".tolvanex_J\u00FCrgen_\u0394.inuse1", L".tolvanex_J\u00FCrgen_\u0394.lock",
            L".tolvanex_J\u00FCrgen_\u0394.journal" }));
    EXPECT_EQ(fileBytes(fromUtf8(folder) / L"send_0107J\u00FCrgen_\u0394.txt"), kHeading);
    first.click(testing::Button::DisplaySendFile);
    EXPECT_NE(first.boxes.question.find("\r\nassignment #001\r\n001.  Timing\r\n"), std::string::npos);
}

TEST_F(WindowsFiles, AMissingDriveAndAFolderThatIsAFileAreSaidPlainly)
{
#ifdef _WIN32
    char missing = 'D';
    while (missing < 'Z' && (::GetLogicalDrives() >> (missing - 'A') & 1u) != 0)
        ++missing;
#else
    const char missing = 'Q';
#endif
    std::ofstream(first.home / "plain.txt") << "a file";
    fs::create_directory(first.home / "there");
    const std::pair<std::string, std::string> cases[] = {
        { std::string(1, missing) + ":\\physics", std::string("drive ") + missing + ": is not available" },
        { base + "\\plain.txt", base + "\\plain.txt is a file, not a folder" },
        { base + "\\plain.txt\\deeper", base + "\\plain.txt is a file, not a folder" },
        { base + "\\absent\\deeper", "the folder \"" + base + "\\absent\" does not exist" },
        // Asked about the folder alone, Windows drops the blank and finds the folder "there".
        { base + "\\there ", "the folder \"" + base + "\\there \" does not exist: its name ends in a blank" },
    };
    for (const auto& [folder, says] : cases) {
        DrillHarness h { testing::threeAssignments() };
        EXPECT_FALSE(startIn(h, "A", folder));
        ASSERT_EQ(h.messages.shown.size(), 1u) << folder;
        EXPECT_NE(h.messages.shown[0].find(folder + "\\masterFile_A.txt"), std::string::npos) << h.messages.shown[0];
        EXPECT_NE(h.messages.shown[0].find(says), std::string::npos) << h.messages.shown[0];
    }
}

#ifdef _WIN32
// Starts in a folder of its own, then files a response while the send file is held as hold()
// holds it (false: it could not be, nothing is filed): the message shown, and the send file as the
// student sees its name.
std::pair<std::string, std::string> respondWhileHeld(
    DrillHarness& h, const std::string& base, const std::function<bool(const fs::path&)>& hold)
{
    fs::create_directory(h.home / "physics");
    if (!startIn(h, "A", base + "\\physics"))
        return { "start-up: " + h.messages.shown.at(0), "" };
    h.prompter.replies.clear(); // the second chance start-up did not need
    const fs::path send = h.home / "physics" / "send_0107A.txt";
    if (!hold(send))
        return { "not held", "" };
    h.boxes.answer = "words";
    h.prompter.reply("1");
    h.click(testing::Button::EnterResponse);
    EXPECT_EQ(h.boxes.answer, "words");
    return { h.messages.shown.size() == 1 ? h.messages.shown[0] : std::string(), base + "\\physics\\send_0107A.txt" };
}
#endif

TEST_F(WindowsFiles, AFileAnotherProgramHasOpenIsSaidSo)
{
#ifdef _WIN32
    HANDLE held = INVALID_HANDLE_VALUE;
    // Another program has it open and shares it with no one.
    const auto [message, send] = respondWhileHeld(first, base, [&held](const fs::path& file) {
        held = ::CreateFileW(
            file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return held != INVALID_HANDLE_VALUE;
    });
    ::CloseHandle(held);
    ASSERT_NE(message, "not held");
    EXPECT_EQ(fileBytes(first.home / "physics" / "send_0107A.txt"), kHeading); // nothing of the response
    EXPECT_NE(message.find("Another program has " + send + " open and lets no other program write it. Your words"),
        std::string::npos)
        << message;
    EXPECT_EQ(message.find("disk has room"), std::string::npos) << message;
#endif
}

TEST_F(WindowsFiles, AReadOnlyFileIsSaidSo)
{
#ifdef _WIN32
    const auto [message, send] = respondWhileHeld(first, base, [](const fs::path& file) {
        if (!::SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_READONLY))
            return false;
        const HANDLE probe = ::CreateFileW(file.wstring().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return true;
        ::CloseHandle(probe);
        return false;
    });
    ::SetFileAttributesW(fs::path(first.home / "physics" / "send_0107A.txt").wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (message == "not held")
        GTEST_SKIP() << "a read-only file takes writes here (Wine run by the superuser)";
    EXPECT_NE(message.find(send + " is read-only. Your words"), std::string::npos) << message;
    EXPECT_EQ(fileBytes(first.home / "physics" / "send_0107A.txt"), kHeading); // nothing of the response
#endif
}

TEST_F(WindowsFiles, AColonNeverReachesAnotherFilesHiddenStream)
{
    LocalFileSystem files("");
    const std::string path = base + "\\masterFile_a:b.txt";
    EXPECT_THROW(files.openForAppend(path), FileError);
    EXPECT_THROW(files.createFolder(base + "\\a:b"), FileError);
    EXPECT_TRUE(fs::is_empty(first.home));
}

TEST_F(WindowsFiles, LengthCutBackRemoveAndReasonsOnAWideName)
{
    LocalFileSystem files("");
    const std::string path = base + "\\\xCE\xA9.txt"; // "Ω.txt"
    EXPECT_EQ(files.fileLength(path), std::nullopt);
    for (const char* line : { "abc\r\n", "def\r\n" }) {
        auto file = files.openForAppend(path);
        file->write(line);
        file->commit();
    }
    EXPECT_EQ(fileBytes(first.home / L"\u03A9.txt"), "abc\r\ndef\r\n");
    EXPECT_EQ(files.fileLength(path), 10u);
    files.cutBack(path, 5);
    EXPECT_EQ(files.readAll(path), "abc\r\n");
    files.removeFile(path);
    EXPECT_EQ(files.fileLength(path), std::nullopt);
    try {
        files.readAll(path);
        ADD_FAILURE() << "read a removed file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
#ifdef _WIN32
        char words[256] = {};
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
            words, sizeof words, nullptr);
        EXPECT_EQ(error.reason() + "\r\n", words); // the system's words, without the line break
#endif
    }
}

TEST_F(WindowsFiles, AFolderPathLongerThanTheSystemsPlainLimitIsWrittenIn)
{
    LocalFileSystem files("");
    std::string folder = base;
    while (folder.size() < 300) {
        folder += "\\a folder of forty characters, give or take";
        files.createFolder(folder);
    }
    ASSERT_TRUE(startIn(first, "Student One", folder + "\\")) << first.messages.shown.at(0);
    EXPECT_EQ(files.readAll(folder + "\\masterFile_Student_One.txt"), kHeading);
    EXPECT_EQ(files.fileLength(folder + "\\.tolvanex_Student_One.journal"), 0u);
}

TEST(WindowsPaths, TheExtendedFormIsTheFullPathAsTheSystemWouldReadIt)
{
    const std::pair<std::string, std::string> cases[] = {
        { "c:\\tolvanex\\masterFile_A.txt", "\\\\?\\c:\\tolvanex\\masterFile_A.txt" },
        { "C:/work//physics\\\\notes_A.txt", "\\\\?\\C:\\work\\physics\\notes_A.txt" },
        { "c:\\a\\.\\b\\..\\..\\..\\c\\", "\\\\?\\c:\\c" },
        { "c:\\", "\\\\?\\c:\\" },
        // A blank or a dot at the end of the last name is dropped, inside the path it stays.
        { "c:\\tolvanex \\notes. ", "\\\\?\\c:\\tolvanex \\notes" },
        { "\\\\server\\share\\..\\..\\f.txt", "\\\\?\\UNC\\server\\share\\f.txt" },
        // Not full paths: left to the system.
        { "tolvanex\\a.txt", "" },
        { "\\top\\a.txt", "" },
        { "c:relative", "" },
        { "\\\\server", "" },
        { "\\\\?\\c:\\already", "" },
    };
    for (const auto& [path, extended] : cases)
        EXPECT_EQ(extendedLengthPath(path), extended) << path;
}

TEST(WindowsServices, TheClockIsLocalTimeAndTheRandomSequenceIsTheSameEverywhere)
{
    SplitMixRandom random;
    random.seed(50709.0);
    for (const double expected : { 9861088.0, 1219918.0, 385049.0 })
        EXPECT_EQ(random.next() * 16777216.0, expected);
#ifdef _WIN32
    SYSTEMTIME before;
    ::GetLocalTime(&before);
    const LocalTime now = SystemClock().now();
    const auto minutes = [](int hour, int minute) { return hour * 60 + minute; };
    EXPECT_EQ(now.year * 10000 + now.month * 100 + now.day, before.wYear * 10000 + before.wMonth * 100 + before.wDay);
    EXPECT_LE(minutes(now.hour, now.minute) - minutes(before.wHour, before.wMinute), 1);
    EXPECT_GE(minutes(now.hour, now.minute), minutes(before.wHour, before.wMinute));
#endif
}

} // namespace
} // namespace tolvanex
