// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform/RealServices.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

namespace tolvanex {

WorkerThread::~WorkerThread()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void WorkerThread::post(std::function<void()> task)
{
    {
        const std::lock_guard guard(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    m_wake.notify_one();
}

void WorkerThread::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock guard(m_mutex);
            m_wake.wait(guard, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task();
        } catch (...) {
            // A task reports its own failures; nothing may end the thread.
        }
    }
}

// The clock and the files on Windows: WindowsFileSystem.cpp; the files elsewhere: PosixFileSystem.cpp.
#ifndef _WIN32
LocalTime SystemClock::now()
{
    using namespace std::chrono;
    const auto stamp = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(stamp);
    std::tm local {};
    localtime_r(&seconds, &local);
    LocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(duration_cast<milliseconds>(stamp.time_since_epoch()).count() % 1000);
    return t;
}
#endif

void SplitMixRandom::seed(double value)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    m_state = bits ^ 0x9E3779B97F4A7C15ull;
}

float SplitMixRandom::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

std::string extendedLengthPath(const std::string& path)
{
    std::string text = path;
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    std::string prefix;
    std::size_t rest = 0;
    const bool drive = text.size() >= 3 && text[1] == ':' && text[2] == '\\'
        && ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'));
    if (drive) {
        prefix = "\\\\?\\" + text.substr(0, 2);
        rest = 2;
    } else if (text.rfind("\\\\", 0) == 0 && text.size() > 2 && text[2] != '\\' && text[2] != '?' && text[2] != '.') {
        prefix = "\\\\?\\UNC";
        rest = 1;
    } else {
        return {};
    }
    // The names after the root; for a network path, its server and share come first and stay.
    std::vector<std::string> names;
    std::size_t kept = drive ? 0 : 2;
    for (std::size_t at = rest; at <= text.size();) {
        std::size_t end = text.find('\\', at);
        if (end == std::string::npos)
            end = text.size();
        std::string name = text.substr(at, end - at);
        at = end + 1;
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (names.size() > kept)
                names.pop_back();
            continue;
        }
        names.push_back(std::move(name));
    }
    if (names.size() <= kept && !drive)
        return {};
    if (!names.empty() && names.size() > kept) {
        std::string& last = names.back();
        while (!last.empty() && (last.back() == ' ' || last.back() == '.'))
            last.pop_back();
        if (last.empty())
            names.pop_back();
    }
    std::string extended = prefix;
    for (const std::string& name : names)
        extended += "\\" + name;
    return names.empty() ? extended + "\\" : extended;
}

LocalFileSystem::LocalFileSystem(std::string homeFolder)
    : m_home(std::move(homeFolder))
{
}

} // namespace tolvanex
