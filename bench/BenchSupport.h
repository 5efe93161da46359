// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the benchmark programs: timing, medians, the printed figure and a temporary home folder.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvanex::bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double timeMs(const std::function<void()>& work)
{
    const Clock::time_point start = Clock::now();
    work();
    return millisecondsSince(start);
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Runs count rounds; each round times the baseline and then the program's own work (each with its
// untimed preparation), so both see the same machine state. Returns the medians in milliseconds.
struct Medians {
    double ours = 0;
    double baseline = 0;
    int runs = 0;
};

inline Medians measurePair(int count, const std::function<double()>& baseline, const std::function<double()>& ours)
{
    std::vector<double> b;
    std::vector<double> o;
    for (int i = 0; i < count; ++i) {
        b.push_back(baseline());
        o.push_back(ours());
    }
    return { median(o), median(b), count };
}

// One line per figure: "B3  display notes 1 MB   0.42 x  (ours 301.2 ms, baseline 712.9 ms, median of 5)
// goal <= 0.60 x  met".
inline bool printRatio(const char* id, const std::string& what, const Medians& m, double goal, const char* unit = "ms")
{
    const double ratio = m.baseline > 0 ? m.ours / m.baseline : 0;
    const bool met = ratio <= goal;
    std::printf("%-4s %-44s %6.2f x   (ours %9.3f %s, baseline %9.3f %s, median of %d)   goal <= %.2f x   %s\n", id,
        what.c_str(), ratio, m.ours, unit, m.baseline, unit, m.runs, goal, met ? "met" : "MISSED");
    std::fflush(stdout);
    return met;
}

inline bool printLimit(const char* id, const std::string& what, double value, int runs, double limit, const char* unit)
{
    const bool met = value < limit;
    std::printf("%-4s %-44s %9.3f %s (median of %d)   goal < %.0f %s   %s\n", id, what.c_str(), value, unit, runs,
        limit, unit, met ? "met" : "MISSED");
    std::fflush(stdout);
    return met;
}

#ifndef _WIN32
// A fresh folder for drive c:, named in HOME while it lives, removed afterwards. (On Windows drive
// c: is the real one: the start-up benchmark's programs run there under Wine.)
class TempHome {
public:
    TempHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvanex-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        path = pattern;
        if (const char* old = std::getenv("HOME"))
            m_oldHome = old;
        ::setenv("HOME", path.c_str(), 1);
    }
    ~TempHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
        if (m_oldHome)
            ::setenv("HOME", m_oldHome->c_str(), 1);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    std::filesystem::path path;

private:
    std::optional<std::string> m_oldHome;
};
#endif

} // namespace tolvanex::bench
