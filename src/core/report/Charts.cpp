// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/Charts.h"

#include "core/report/HtmlReport.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

namespace tolvanex::report {
namespace {

constexpr const char* kBarLabels[kRatingBars] = { "0", "1", "2", "3", "other" };

// A chart's text, made by appending; a number is written as a stream writes it by default (six
// significant digits, "%g"), without a stream's cost: a report draws some 100,000 charts.
struct Svg {
    std::string text;

    Svg& operator<<(std::string_view part)
    {
        text += part;
        return *this;
    }
    template <typename Number>
    requires std::is_arithmetic_v<Number> Svg& operator<<(Number value)
    {
        char digits[32];
        std::to_chars_result written {};
        if constexpr (std::is_floating_point_v<Number>)
            written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
        else
            written = std::to_chars(digits, digits + sizeof digits, value);
        text.append(digits, written.ptr);
        return *this;
    }
};

} // namespace

std::string ratingCountsText(const std::array<std::size_t, kRatingBars>& counts)
{
    std::string text;
    for (std::size_t i = 0; i < kRatingBars; ++i)
        text += std::string(i == 0 ? "" : ", ") + kBarLabels[i] + ": " + std::to_string(counts[i]);
    return text;
}

std::string barChart(const std::array<std::size_t, kRatingBars>& counts, const std::string& what)
{
    const std::size_t most = std::max<std::size_t>(1, *std::max_element(counts.begin(), counts.end()));
    Svg svg;
    svg << "<svg class=\"chart\" role=\"img\" width=\"170\" height=\"70\" viewBox=\"0 0 170 70\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(what + ": " + ratingCountsText(counts)) << "</title>";
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
    return svg.text;
}

long dayNumber(std::string_view isoDate)
{
    if (isoDate.size() != 10 || isoDate[4] != '-' || isoDate[7] != '-')
        return 0;
    const auto digits = [&](std::size_t from, std::size_t count) {
        long value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (isoDate[i] < '0' || isoDate[i] > '9')
                return -1L;
            value = value * 10 + (isoDate[i] - '0');
        }
        return value;
    };
    long year = digits(0, 4);
    const long month = digits(5, 2);
    const long day = digits(8, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    // The days of the proleptic Gregorian calendar, counted from a year that starts in March.
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string dateChart(const std::vector<DayValue>& points, const std::string& what)
{
    constexpr double left = 22;
    constexpr double width = 300;
    constexpr double top = 6;
    constexpr double height = 60;
    Svg svg;
    svg << "<svg class=\"chart\" role=\"img\" width=\"340\" height=\"96\" viewBox=\"0 0 340 96\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(what) << "</title><rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << width
        << "\" height=\"" << height << "\" class=\"frame\"/>"
        << "<text x=\"" << left - 4 << "\" y=\"" << top + height << "\" text-anchor=\"end\">0</text>"
        << "<text x=\"" << left - 4 << "\" y=\"" << top + 8 << "\" text-anchor=\"end\">3</text>";
    if (points.empty()) {
        svg << "</svg>";
        return svg.text;
    }
    const long first = dayNumber(points.front().date);
    const long span = std::max(1L, dayNumber(points.back().date) - first);
    const auto xOf = [&](const DayValue& point) {
        if (points.size() == 1)
            return left + width / 2;
        return left + width * static_cast<double>(dayNumber(point.date) - first) / static_cast<double>(span);
    };
    Svg path;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = xOf(points[i]);
        const double y = top + height - height * std::clamp(points[i].value, 0.0, 3.0) / 3.0;
        svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"2.5\" class=\"dot\"/>";
        path << (i == 0 ? "M" : " L") << x << " " << y;
    }
    if (points.size() > 1)
        svg << "<path d=\"" << path.text << "\" class=\"line\"/>";
    // The axis's dates: the first, the last and the one nearest the middle.
    std::vector<std::size_t> ticks { 0 };
    if (points.size() > 2)
        ticks.push_back(points.size() / 2);
    if (points.size() > 1)
        ticks.push_back(points.size() - 1);
    for (std::size_t i : ticks) {
        const double x = xOf(points[i]);
        const char* anchor = points.size() == 1 ? "middle"
            : i == 0                            ? "start"
            : i + 1 == points.size()            ? "end"
                                                : "middle";
        svg << "<line x1=\"" << x << "\" y1=\"" << top + height << "\" x2=\"" << x << "\" y2=\"" << top + height + 4
            << "\" class=\"tick\"/><text x=\"" << x << "\" y=\"" << top + height + 16 << "\" text-anchor=\"" << anchor
            << "\">" << htmlEscape(points[i].date) << "</text>";
    }
    svg << "</svg>";
    return svg.text;
}

} // namespace tolvanex::report
