// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/Charts.h"

#include "core/report/HtmlReport.h"

#include <algorithm>
#include <sstream>

namespace tolvanex::report {
namespace {

constexpr const char* kBarLabels[kRatingBars] = { "0", "1", "2", "3", "other" };

} // namespace

// A small bar chart: one bar per rating, its count above it.
std::string barChart(const std::array<std::size_t, kRatingBars>& counts, const std::string& what)
{
    const std::size_t most = std::max<std::size_t>(1, *std::max_element(counts.begin(), counts.end()));
    std::ostringstream svg;
    std::ostringstream title;
    title << what << ":";
    for (std::size_t i = 0; i < kRatingBars; ++i)
        title << " " << kBarLabels[i] << ": " << counts[i] << (i + 1 < kRatingBars ? "," : "");
    svg << "<svg class=\"chart\" role=\"img\" width=\"170\" height=\"70\" viewBox=\"0 0 170 70\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(title.str()) << "</title>";
    for (std::size_t i = 0; i < kRatingBars; ++i) {
        const double height = 40.0 * static_cast<double>(counts[i]) / static_cast<double>(most);
        const double x = 4.0 + 33.0 * static_cast<double>(i);
        svg << "<rect x=\"" << x << "\" y=\"" << 52.0 - height << "\" width=\"26\" height=\"" << height
            << "\" class=\"bar\"/>";
        svg << "<text x=\"" << x + 13 << "\" y=\"" << 48.0 - height << "\" text-anchor=\"middle\">" << counts[i]
            << "</text>";
        svg << "<text x=\"" << x + 13 << "\" y=\"66\" text-anchor=\"middle\">" << kBarLabels[i] << "</text>";
    }
    svg << "</svg>";
    return svg.str();
}

// Mean ratings per day worked, as a line of points (0 at the bottom, 3 at the top).
std::string ratingLine(const std::vector<std::pair<std::string, double>>& points, const std::string& what)
{
    std::ostringstream svg;
    const double width = 200;
    svg << "<svg class=\"chart\" role=\"img\" width=\"210\" height=\"50\" viewBox=\"0 0 210 50\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(what) << "</title><rect x=\"4\" y=\"4\" width=\"202\" height=\"40\" class=\"frame\"/>";
    std::string path;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = 5
            + (points.size() == 1 ? width / 2
                                  : width * static_cast<double>(i) / static_cast<double>(points.size() - 1));
        const double y = 43 - 38 * std::clamp(points[i].second, 0.0, 3.0) / 3.0;
        svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"2\" class=\"dot\"/>";
        path += (i == 0 ? "M" : " L") + std::to_string(x) + " " + std::to_string(y);
    }
    if (points.size() > 1)
        svg << "<path d=\"" << path << "\" class=\"line\"/>";
    svg << "</svg>";
    return svg.str();
}

} // namespace tolvanex::report
