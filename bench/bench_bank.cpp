// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The bank loader against copying the same finished lines into a fresh 5001-entry array.
#include "BenchSupport.h"

#include "core/bank/QuestionBank.h"

#include <memory>

using namespace tolvanex;
using namespace tolvanex::bench;

namespace {

constexpr int kRuns = 101;

} // namespace

int main()
{
    std::vector<std::string> lines;
    {
        QuestionBank bank;
        long cursor = 0;
        loadBank(bank, cursor);
        for (long i = 1; i <= cursor; ++i)
            lines.push_back(bank.line(i));
    }
    if (lines.size() != builtInContent().lines.size()) {
        std::fprintf(stderr, "bench: the bank has %zu lines\n", lines.size());
        return 2;
    }
    // Both start from an array made beforehand, so only the filling is timed.
    auto baseline = [&] {
        auto array = std::make_unique<std::vector<std::string>>(static_cast<std::size_t>(QuestionBank::kLastIndex) + 1);
        return timeMs([&] {
            for (std::size_t i = 0; i < lines.size(); ++i)
                (*array)[i + 1] = lines[i];
        });
    };
    auto ours = [&] {
        auto bank = std::make_unique<QuestionBank>();
        long cursor = 0;
        const double ms = timeMs([&] { loadBank(*bank, cursor); });
        if (cursor != static_cast<long>(lines.size()))
            std::exit(2);
        return ms;
    };
    baseline();
    ours();
    const Medians m = measurePair(kRuns, baseline, ours);
    bool met = printRatio("B7", "bank loader (" + std::to_string(lines.size()) + " lines)", m, 1.5);
    met = printLimit("B7", "  bank loader, absolute", m.ours, m.runs, 1, "ms") && met;
    return met ? 0 : 1;
}
