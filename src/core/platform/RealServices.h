// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Real implementations of the core's services that need no windowing toolkit.

#include "core/platform/Services.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace tolvanex {

// One thread that runs the tasks given to it in turn; when destroyed, it runs what is left first.
// The thread starts with the first task, so that a program that has none yet (one starting up)
// does not wait for it.
class WorkerThread : public Background {
public:
    WorkerThread() = default;
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    void post(std::function<void()> task) override;

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    // Started by the first post(); posts come from the thread that owns this alone.
    std::thread m_thread;
};

class SystemClock : public Clock {
public:
    LocalTime now() override;
};

// A small, fast generator (SplitMix64) whose values are whole multiples of 2^-24, so a value is
// exactly representable in single precision and can never round up to 1.
class SplitMixRandom : public RandomSource {
public:
    explicit SplitMixRandom(std::uint64_t state = 0x9E3779B97F4A7C15ull)
        : m_state(state)
    {
    }
    void seed(double value) override;
    float next() override;

private:
    std::uint64_t m_state;
};

// Maps the program's Windows-style path texts onto this system. On Windows a path is used as it
// is. Elsewhere "\" separates folders, the drive "c:" (and a path starting with "\") stands for
// the home folder, any other drive letter names a drive that is not there, and a path starting
// with "/" is already native. Throws FileError for a path that cannot exist here.
std::string nativePath(const std::string& path, const std::string& homeFolder);

// A full Windows path in the form that reaches past 260 characters: "\\?\" before it ("\\?\UNC\"
// for a network path), with what the system would otherwise do to it done here, since it does
// nothing to such a path: "/" read as "\", a separator typed twice in a row kept once, "." and ".."
// resolved, a blank or a dot at the end of the last name dropped. Empty for a path that does not
// begin at a drive's top folder or a network share.
std::string extendedLengthPath(const std::string& path);

class LocalFileSystem : public FileSystem {
public:
    // homeFolder: the folder drive c: stands for (the user's home folder in the real program).
    explicit LocalFileSystem(std::string homeFolder);
    static std::string userHomeFolder();

    void createFolder(const std::string& path) override;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    std::optional<std::uintmax_t> fileLength(const std::string& path) override;
    void cutBack(const std::string& path, std::uintmax_t length) override;
    void removeFile(const std::string& path) override;
    void overwriteFile(const std::string& path, std::string_view bytes) override;
    void emptyFile(const std::string& path) override;
    void replaceFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<FileLock> lock(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;
    std::string systemPath(const std::string& path) override;

    // How long a lock is waited for: tries, a pause apart.
    static constexpr int kLockTries = 500;
    static constexpr std::chrono::milliseconds kLockPause { 10 };
    static constexpr const char* kLockBusy
        = "another copy of the program is writing these files and has not finished within five seconds";

private:
    std::string m_home;
};

} // namespace tolvanex
