// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace tolvanex {

std::string_view firstChars(std::string_view text, std::size_t n)
{
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < n; ++count) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return text.substr(0, at);
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::size_t charCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

double numericValue(std::string_view text)
{
    std::string kept;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            kept += c;
    }
    std::size_t at = 0;
    std::string number;
    auto digits = [&] {
        std::size_t start = at;
        while (at < kept.size() && kept[at] >= '0' && kept[at] <= '9')
            number += kept[at++];
        return at > start;
    };
    if (at < kept.size() && (kept[at] == '+' || kept[at] == '-'))
        number += kept[at++];
    bool any = digits();
    if (at < kept.size() && kept[at] == '.') {
        number += kept[at++];
        any = digits() || any;
    }
    if (!any)
        return 0.0;
    if (at < kept.size() && (kept[at] == 'e' || kept[at] == 'E' || kept[at] == 'd' || kept[at] == 'D')) {
        std::size_t mark = at;
        std::string mantissa = number;
        number += 'e';
        ++at;
        if (at < kept.size() && (kept[at] == '+' || kept[at] == '-'))
            number += kept[at++];
        if (!digits()) {
            at = mark;
            number = mantissa;
        }
    }
    double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::string plainNumber(double value)
{
    if (value == 0.0)
        return "0";
    char buffer[64];
    if (std::fabs(value) < 1e15 && value == std::floor(value)) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    return buffer;
}

std::string writtenNumber(double value)
{
    std::string digits = plainNumber(value);
    if (!digits.empty() && digits[0] == '-')
        return digits + " ";
    return " " + digits + " ";
}

std::string widenToThree(std::string text)
{
    switch (charCount(text)) {
    case 1:
        return "00" + text;
    case 2:
        return "0" + text;
    default:
        return text;
    }
}

std::string fill(std::string_view text, std::initializer_list<std::pair<std::string_view, std::string_view>> values)
{
    std::string out;
    out.reserve(text.size() + 64);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::string_view key = text.substr(open + 1, close - open - 1);
        const auto* value = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == key; });
        if (value == values.end()) {
            out.append(text.substr(open, close + 1 - open));
        } else {
            out.append(value->second);
        }
        at = close + 1;
    }
    return out;
}

bool isQuestionLine(std::string_view line)
{
    return line.substr(0, 2) == "`q";
}

bool isAnswerLine(std::string_view line)
{
    return line.substr(0, 2) == "`a";
}

bool isRoutineLine(std::string_view line)
{
    return lowerAscii(line.substr(0, 8)) == "`routine";
}

bool isHeaderLine(std::string_view line)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return line.size() >= 4 && digit(line[0]) && digit(line[1]) && digit(line[2]) && line[3] == '.';
}

} // namespace tolvanex
