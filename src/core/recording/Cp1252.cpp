// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Cp1252.h"

#include <cstdint>
#include <cstdio>

namespace tolvanex {
namespace {

// Code points of bytes 0x80 to 0x9F; unassigned bytes keep their own value.
constexpr char32_t kHigh[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

char32_t codePointOf(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

int byteOf(char32_t cp, bool unassignedAsBytes)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    // U+0080 to U+009F are no characters of the code page (its bytes 0x80 to 0x9F stand for
    // others), so they are written as code points like every other character it lacks.
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp && (cp > 0xFF || unassignedAsBytes))
            return 0x80 + i;
    }
    return -1;
}

// Reads one code point at `at` and moves past it; a malformed sequence gives U+FFFD for one byte.
char32_t nextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return 0xFFFD;
    }
    char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    at += static_cast<std::size_t>(length);
    return cp;
}

std::string encode(std::string_view utf8, bool unassignedAsBytes)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            out += utf8[at++];
            continue;
        }
        const char32_t cp = nextCodePoint(utf8, at);
        const int byte = byteOf(cp, unassignedAsBytes);
        if (byte >= 0) {
            out += static_cast<char>(byte);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "[U+%04X]", static_cast<unsigned>(cp));
            out += escape;
        }
    }
    return out;
}

} // namespace

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string encodeCp1252(std::string_view utf8)
{
    return encode(utf8, false);
}

std::string encodeCp1252Made(std::string_view utf8)
{
    return encode(utf8, true);
}

std::string decodeCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    // Runs of ASCII, most of any text, copied whole.
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = at;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80)
            ++end;
        out.append(bytes.data() + at, end - at);
        if (end < bytes.size())
            appendUtf8(out, codePointOf(static_cast<unsigned char>(bytes[end++])));
        at = end;
    }
    return out;
}

std::string cp1252Char(unsigned char code)
{
    std::string out;
    appendUtf8(out, codePointOf(code));
    return out;
}

} // namespace tolvanex
