// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Coding.h"

#include "core/recording/Cp1252.h"

#include <cmath>
#include <cstdint>

namespace tolvanex {
namespace {

// Nearest whole number, a value exactly halfway going to the even neighbour.
unsigned char roundedCode(float value)
{
    return static_cast<unsigned char>(std::nearbyint(value));
}

// Passes 1 to codeNbr: the whole part of codeNbr, none below 1 or for a value that is not a
// number. The count is a whole number because a float counter stops growing at 2^24 and would
// never reach a larger code number. Every pass adds a character, so no line has more passes than
// a string can hold characters: larger values (infinity too) are counted as that many.
std::uint64_t passCount(float codeNbr, std::uint64_t most)
{
    if (!(codeNbr >= 1.0f))
        return 0;
    if (codeNbr >= static_cast<float>(most))
        return most;
    return static_cast<std::uint64_t>(codeNbr);
}

} // namespace

std::string code(const std::string& aLine, float /*codeNbr*/)
{
    return aLine;
}

std::string makeCodeLine(float codeNbr, RandomSource& random)
{
    std::string line;
    const std::uint64_t passes = passCount(codeNbr, line.max_size());
    for (std::uint64_t pass = 1; pass <= passes; ++pass) {
        const float r1 = random.next();
        if (r1 < 0.1f) {
            const float r2 = random.next();
            line += cp1252Char(roundedCode(r2 * 50.0f + 66.0f));
        }
        const float r3 = random.next();
        line += cp1252Char(roundedCode(r3 * 137.0f + 118.0f));
    }
    return line;
}

} // namespace tolvanex
