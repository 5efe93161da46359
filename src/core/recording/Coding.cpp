#include "core/recording/Coding.h"

#include "core/recording/Cp1252.h"

#include <cmath>

namespace tolvanex {
namespace {

// Nearest whole number, a value exactly halfway going to the even neighbour.
unsigned char roundedCode(float value)
{
    return static_cast<unsigned char>(std::nearbyint(value));
}

} // namespace

std::string code(const std::string& aLine, float /*codeNbr*/)
{
    return aLine;
}

std::string makeCodeLine(float codeNbr, RandomSource& random)
{
    std::string line;
    for (float pass = 1; pass <= codeNbr; pass += 1) {
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
