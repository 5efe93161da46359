// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The record counts by hash the reader and the counting keep from file to file.
#include "core/report/HashCounts.h"

#include <gtest/gtest.h>

#include <vector>

using tolvanex::report::HashCounts;

// Each hash keeps its own number while the table grows many times over, 0 and the largest hash
// among them; clear() empties it for the next file, which counts from 0 again.
TEST(HashCounts, EachHashKeepsItsNumberThroughGrowthAndClear)
{
    std::vector<std::size_t> hashes { 0, 1, 64, 1ull << 40, ~std::size_t { 0 } };
    for (std::size_t i = 2; hashes.size() < 1000; ++i)
        hashes.push_back(i * 7919);
    HashCounts counts;
    for (int file = 0; file < 2; ++file) {
        for (std::size_t i = 0; i < hashes.size(); ++i) {
            EXPECT_EQ(counts[hashes[i]], 0u) << hashes[i];
            counts[hashes[i]] += i + 1;
        }
        for (std::size_t i = 0; i < hashes.size(); ++i)
            EXPECT_EQ(counts[hashes[i]], i + 1) << hashes[i];
        counts.clear();
    }
}
