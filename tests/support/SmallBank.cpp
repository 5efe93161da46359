// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SmallBank.h"

namespace tolvanex::testing {

SmallBank::SmallBank(std::vector<std::string> lines)
    : m_text(std::move(lines))
{
    for (const std::string& line : m_text) {
        m_lines.push_back({ m_parts.size(), 1 });
        m_parts.push_back(line);
    }
    m_content = { m_parts, m_lines };
}

const SmallBank& threeAssignments()
{
    static const SmallBank bank({
        "001.  Timing",
        "",
        "`q001.  A pendulum swings 10 times in 8.0 s. What is its period?",
        "",
        "`aIt takes 8.0 s / 10 = 0.80 s for one swing.",
        "",
        "`routine graph1",
        "",
        "002.  Velocity",
        "",
        "`q001.  A cart rolls 6.0 m in 3.0 s.{}How fast does it go on average?",
        "",
        "`aAverage speed = 6.0 m / 3.0 s = 2.0 m/s.",
        "",
        "`q002.  How far does it go in 5.0 s at that speed?",
        "",
        "`a2.0 m/s * 5.0 s = 10 m.",
        "",
        "003.  Motion",
        "",
        "`q001.  What is a change in velocity called?",
        "",
        "`aAn acceleration.",
        "",
    });
    return bank;
}

} // namespace tolvanex::testing
