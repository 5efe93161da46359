// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report's small charts, as inline SVG.

#include "core/report/ClassReport.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace tolvanex::report {

// A small bar chart: one bar per rating, its count above it.
std::string barChart(const std::array<std::size_t, kRatingBars>& counts, const std::string& what);

// Mean ratings per day worked, as a line of points (0 at the bottom, 3 at the top).
std::string ratingLine(const std::vector<std::pair<std::string, double>>& points, const std::string& what);

} // namespace tolvanex::report
