// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The output files' code page: Windows-1252 both ways, checked against the C library's own table.
#include "core/recording/Cp1252.h"

#include <gtest/gtest.h>

#include <cstdio>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define TOLVANEX_HAVE_ICONV 1
#endif

namespace tolvanex {
namespace {

TEST(Cp1252, EncodesTheCodePageAndEscapesTheRest)
{
    EXPECT_EQ(encodeCp1252("plain"), "plain");
    EXPECT_EQ(encodeCp1252("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(encodeCp1252("\xE2\x82\xAC 5"), "\x80 5"); // euro sign
    EXPECT_EQ(encodeCp1252("\xCE\x94v"), "[U+0394]v"); // Greek capital delta
    EXPECT_EQ(encodeCp1252("x\xE2\x88\x9A"), "x[U+221A]"); // square root sign
    EXPECT_EQ(encodeCp1252("\xF0\x9F\x98\x80"), "[U+1F600]"); // emoji
}

TEST(Cp1252, EveryAssignedByteSurvivesDecodingAndEncoding)
{
    for (int byte = 0; byte < 256; ++byte) {
        const std::string file(1, static_cast<char>(byte));
        const bool unassigned = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        char escape[16];
        std::snprintf(escape, sizeof escape, "[U+%04X]", static_cast<unsigned>(byte));
        EXPECT_EQ(encodeCp1252(decodeCp1252(file)), unassigned ? std::string(escape) : file) << byte;
    }
    EXPECT_EQ(decodeCp1252("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
}

// U+0080 to U+009F are not characters of the code page: each is written as its code point, never as
// the byte of the same value, which stands for another character (0x80 is the euro sign). Of those
// 32 bytes, 27 read back as the characters they stand for.
TEST(Cp1252, TheC1RangeIsWrittenAsCodePointsAndItsBytesReadAsTheirCharacters)
{
    int others = 0;
    for (unsigned cp = 0x80; cp <= 0x9F; ++cp) {
        const std::string utf8 { static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)) };
        char escape[16];
        std::snprintf(escape, sizeof escape, "[U+%04X]", cp);
        EXPECT_EQ(encodeCp1252(utf8), escape);
        const std::string file(1, static_cast<char>(cp));
        const std::string read = decodeCp1252(file);
        if (read != utf8) {
            ++others;
            EXPECT_GE(read.size(), 2u);
            EXPECT_EQ(encodeCp1252(read), file) << std::hex << cp;
        }
    }
    EXPECT_EQ(others, 27);
}

// Every byte from 0x80 to 0xFF as the C library converts it from Windows-1252 to UTF-8, and back
// again: an independent reference for the program's own table. The C library refuses the five
// unassigned bytes, which keep the program's mapping to the control characters of the same value.
TEST(Cp1252, AgreesWithTheCLibraryOnEveryByte)
{
#ifdef TOLVANEX_HAVE_ICONV
    iconv_t toUtf8 = iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1)) << "the C library has no Windows-1252 converter";
    int refused = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in[1] = { static_cast<char>(byte) };
        char out[8] = {};
        char* inAt = in;
        char* outAt = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
        const std::string file(1, static_cast<char>(byte));
        if (iconv(toUtf8, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) {
            ++refused;
            EXPECT_EQ(decodeCp1252(file), (std::string { '\xC2', static_cast<char>(byte) })) << std::hex << byte;
            continue;
        }
        const std::string reference(out, static_cast<std::size_t>(outAt - out));
        EXPECT_EQ(decodeCp1252(file), reference) << std::hex << byte;
        EXPECT_EQ(encodeCp1252(reference), file) << std::hex << byte;
    }
    iconv_close(toUtf8);
    EXPECT_EQ(refused, 5);
#else
    GTEST_SKIP() << "no iconv in this C library";
#endif
}

} // namespace
} // namespace tolvanex
