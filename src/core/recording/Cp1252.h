// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tolvanex {

// The output files are Windows-1252. A character that code page cannot hold is written as
// "[U+XXXX]" (its Unicode code point in hex), so nothing a student types is lost or turned into "?".
std::string encodeCp1252(std::string_view utf8);

// The same for a text the program made of code page characters itself (the filler line): the five
// unassigned bytes, which it holds as the control characters of the same value, are written as
// those bytes.
std::string encodeCp1252Made(std::string_view utf8);

// File bytes back to text. Every byte maps to one character; the five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value,
// which the encoder, like every code point from U+0080 to U+009F, writes as "[U+0081]".
std::string decodeCp1252(std::string_view bytes);

// A code point appended to a text as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// The one character whose Windows-1252 code is the given byte value, as UTF-8.
std::string cp1252Char(unsigned char code);

} // namespace tolvanex
