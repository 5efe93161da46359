// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A course of a few bank lines, built inside a test, for a drill to be given instead of the real
// course: each line is one stored part.

#include "core/bank/BankContent.h"

#include <string>
#include <vector>

namespace tolvanex::testing {

class SmallBank {
public:
    explicit SmallBank(std::vector<std::string> lines);
    SmallBank(const SmallBank&) = delete;
    SmallBank& operator=(const SmallBank&) = delete;

    const BankContent& content() const { return m_content; }
    operator const BankContent&() const { return m_content; }

private:
    std::vector<std::string> m_text;
    std::vector<std::string_view> m_parts;
    std::vector<StoredLine> m_lines;
    BankContent m_content;
};

// A course of three assignments, enough for start-up, paging and filing:
//   1 "001.  Timing"        3 "`q001.  ..."   5 "`aIt ..."    7 "`routine graph1"
//   9 "002.  Velocity"     11 "`q001.  ..."  13 "`aA ..."    15 "`q002.  ..."  17 "`a..."
//  19 "003.  Motion"       21 "`q001.  ..."  23 "`a..."
// with a separator (empty line) after every line.
const SmallBank& threeAssignments();

} // namespace tolvanex::testing
