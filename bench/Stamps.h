// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Moments in a benchmarked process's start-up, for the benchmark that started it to say where the
// time goes. A moment is noted (in memory) only when TOLVANEX_BENCH_STAMPS names a file; the
// moments are written there, "name nanoseconds" of the steady clock a line, when the process ends.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace tolvanex::bench {

class Stamps {
public:
    // The first moment of each name counts.
    static void note(const char* name)
    {
        Stamps& s = instance();
        if (!s.m_file)
            return;
        for (const auto& stamp : s.m_stamps)
            if (stamp.first == name)
                return;
        s.m_stamps.emplace_back(name, std::chrono::steady_clock::now().time_since_epoch().count());
    }

private:
    Stamps()
        : m_file(std::getenv("TOLVANEX_BENCH_STAMPS"))
    {
        m_stamps.reserve(16);
    }
    ~Stamps()
    {
        if (!m_file)
            return;
        if (std::FILE* out = std::fopen(m_file, "w")) {
            for (const auto& [name, at] : m_stamps)
                std::fprintf(out, "%s %lld\n", name.c_str(), static_cast<long long>(at));
            std::fclose(out);
        }
    }
    static Stamps& instance()
    {
        static Stamps stamps;
        return stamps;
    }

    const char* m_file;
    std::vector<std::pair<std::string, std::chrono::steady_clock::rep>> m_stamps;
};

} // namespace tolvanex::bench
