// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/BankContent.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

// Raised instead of touching an entry outside the bank.
class SubscriptOutOfRange : public std::out_of_range {
public:
    explicit SubscriptOutOfRange(long index);
    long index() const { return m_index; }

private:
    long m_index;
};

// The course content as a fixed array of 5001 lines, indices 0 to 5000; every access is checked.
class QuestionBank {
public:
    static constexpr long kLastIndex = 5000;

    QuestionBank();

    static bool validIndex(long index) { return index >= 0 && index <= kLastIndex; }
    const std::string& line(long index) const;
    void store(long index, std::string_view text);
    void append(long index, std::string_view text);
    // Stores the first part at the index and appends the others to it, with room made for all.
    void storeParts(long index, std::span<const std::string_view> parts);

private:
    std::vector<std::string> m_lines;
};

// Fills the bank in content order: the cursor is advanced before each store, so with the cursor
// at 0 the first line lands at index 1; parts of a line are appended at the same index.
void loadBank(QuestionBank& bank, long& lineCursor, const BankContent& content = builtInContent());

// The index of the chosen assignment's header line: the first line from index 1 on whose first
// four characters are the assignment number and "."; nothing when no line is.
std::optional<long> findAssignmentHeader(const QuestionBank& bank, const std::string& assignmentNumber);

// The numbers of the assignments the bank holds ("001", "002", ...), in bank order.
std::vector<std::string> assignmentNumbers(const QuestionBank& bank);

} // namespace tolvanex
