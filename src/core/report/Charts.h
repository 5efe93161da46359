// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report's small charts, as inline SVG. Each chart is an image with its numbers in its title
// for a screen reader; the pages print the same numbers as text beside it.

#include "core/report/ClassReport.h"

#include <array>
#include <string>
#include <vector>

namespace tolvanex::report {

// "0: 3, 1: 5, 2: 0, 3: 1, other: 0"
std::string ratingCountsText(const std::array<std::size_t, kRatingBars>& counts);

// A small bar chart: one bar per rating, its count above it.
std::string barChart(const std::array<std::size_t, kRatingBars>& counts, const std::string& what);

// A mean rating on a day.
struct DayValue {
    std::string date; // YYYY-MM-DD
    double value = 0; // 0 to 3
};

// Days since 1970-01-01 of a YYYY-MM-DD date; 0 when it is none.
long dayNumber(std::string_view isoDate);

// Mean ratings over time: each day at its place on a time axis labelled with dates (the first, the
// last and one between), 0 at the bottom, 3 at the top.
std::string dateChart(const std::vector<DayValue>& points, const std::string& what);

} // namespace tolvanex::report
