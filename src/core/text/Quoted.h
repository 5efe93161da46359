// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A text as a double-quoted literal, for the build-time tools that write the course into C++
// source and the program's texts into JSON. Header-only: the course's tool is built before the
// core it feeds.

#include <cstdio>
#include <string>
#include <string_view>

namespace tolvanex {

enum class Quoting { Cpp, Json };

// The backslash, the double quote, CR and LF escaped as both languages spell them. In C++ a
// question mark too, so that no two of them begin a trigraph; in JSON every other control
// character as \u00XX, since JSON allows none of them as they are. Every other byte (UTF-8
// included) stays as it is.
inline std::string quoted(std::string_view text, Quoting language)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if (language == Quoting::Cpp && c == '?') {
                out += "\\?";
            } else if (language == Quoting::Json && static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace tolvanex
