// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real file layer's part in crash-safe filing, on this system and (as the tests labelled
// "windows") under Wine: a file replaced whole through a new file renamed over it, hidden, with no
// new file left; a lock that keeps a second holder waiting until the first lets go; a worker
// thread that runs every task in order before it ends.
#include "core/platform/RealServices.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tolvanex {
namespace {

TEST(WorkFiles, ReplacedWholeAndHiddenWithNoNewFileLeft)
{
    testing::FakeServices s;
    std::filesystem::create_directory(s.folder());
    const std::string path = "c:\\tolvanex\\.tolvanex_Zo\xC3\xAB.journal";
    const std::filesystem::path native = s.folder() / testing::utf8Path(".tolvanex_Zo\xC3\xAB.journal");
    for (const std::string& bytes : { std::string("first, longer content"), std::string("2nd\0\r\n", 6) }) {
        s.files.replaceFile(path, bytes);
        EXPECT_EQ(testing::fileBytes(native), bytes);
    }
    EXPECT_FALSE(testing::fileExists(native.string() + ".new"));
#ifdef _WIN32
    EXPECT_NE(::GetFileAttributesW(native.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#endif
    s.files.removeFile(path);
    EXPECT_FALSE(testing::fileExists(native));
}

TEST(WorkFiles, ASecondLockWaitsUntilTheFirstIsReleased)
{
    // The first holder may remove the lock file before it lets go (a folder that took nothing
    // keeps no file of the program's): the second then holds the file under the name, made anew.
    for (const bool removed : { false, true }) {
        SCOPED_TRACE(removed ? "removed by its holder" : "kept");
        testing::FakeServices s;
        std::filesystem::create_directory(s.folder());
        const std::string path = "c:\\tolvanex\\.tolvanex_A.lock";
        auto first = s.files.lock(path);
        std::atomic<bool> released = false;
        std::atomic<bool> secondHeld = false;
        std::atomic<bool> checked = false;
        std::thread other([&] {
            // Another file system object, as another copy of the program has.
            testing::HomeDriveFileSystem elsewhere(s.home);
            const auto second = elsewhere.lock(path);
            EXPECT_TRUE(released.load());
            secondHeld = true;
            while (!checked)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (removed)
            s.files.removeFile(path);
        released = true;
        first.reset();
        while (!secondHeld)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(testing::fileExists(s.folder() / ".tolvanex_A.lock"));
        EXPECT_FALSE(s.files.tryLock(path)); // the second holds the lock under the name
        checked = true;
        other.join();
        EXPECT_TRUE(s.files.lock(path)); // free again
    }
}

TEST(WorkFiles, ALockHeldIsNotHadWithoutWaitingAndAFreeOneIsMadeHidden)
{
    testing::FakeServices s;
    std::filesystem::create_directory(s.folder());
    const std::string path = "c:\\tolvanex\\.tolvanex_A.inuse1";
    auto first = s.files.tryLock(path);
    ASSERT_TRUE(first);
#ifdef _WIN32
    const std::filesystem::path native = s.folder() / ".tolvanex_A.inuse1";
    EXPECT_NE(::GetFileAttributesW(native.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#endif
    // Another file system object, as another window has; and this one again.
    testing::HomeDriveFileSystem elsewhere(s.home);
    EXPECT_FALSE(elsewhere.tryLock(path));
    EXPECT_FALSE(s.files.tryLock(path));
    first.reset();
    EXPECT_TRUE(elsewhere.tryLock(path));
}

#ifdef __linux__
std::size_t threadCount()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}
#endif

TEST(WorkFiles, TheWorkerThreadRunsEveryTaskInOrderBeforeItEnds)
{
    std::vector<int> done;
    {
        WorkerThread idle; // no task: no thread, and nothing to wait for at the end
        WorkerThread worker;
#ifdef __linux__
        const std::size_t before = threadCount();
        worker.post([] {});
        EXPECT_EQ(threadCount(), before + 1);
#endif
        for (int task = 0; task < 100; ++task)
            worker.post([&done, task] { done.push_back(task); });
    }
    ASSERT_EQ(done.size(), 100u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
}

} // namespace
} // namespace tolvanex
