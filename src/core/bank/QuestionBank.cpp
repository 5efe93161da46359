// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bank/QuestionBank.h"

#include "core/text/Text.h"

namespace tolvanex {

SubscriptOutOfRange::SubscriptOutOfRange(long index)
    : std::out_of_range("Subscript out of range: question bank index " + std::to_string(index))
    , m_index(index)
{
}

QuestionBank::QuestionBank()
    : m_lines(static_cast<std::size_t>(kLastIndex) + 1)
{
}

const std::string& QuestionBank::line(long index) const
{
    if (!validIndex(index))
        throw SubscriptOutOfRange(index);
    return m_lines[static_cast<std::size_t>(index)];
}

void QuestionBank::store(long index, std::string_view text)
{
    if (!validIndex(index))
        throw SubscriptOutOfRange(index);
    m_lines[static_cast<std::size_t>(index)].assign(text);
}

void QuestionBank::append(long index, std::string_view text)
{
    if (!validIndex(index))
        throw SubscriptOutOfRange(index);
    m_lines[static_cast<std::size_t>(index)].append(text);
}

void QuestionBank::storeParts(long index, std::span<const std::string_view> parts)
{
    if (!validIndex(index))
        throw SubscriptOutOfRange(index);
    std::size_t length = 0;
    bool adjacent = true;
    for (std::string_view part : parts) {
        adjacent = adjacent && part.data() == parts.front().data() + length;
        length += part.size();
    }
    std::string& entry = m_lines[static_cast<std::size_t>(index)];
    if (adjacent && !parts.empty()) {
        // Parts that follow each other in memory are joined by one copy.
        entry.assign(parts.front().data(), length);
        return;
    }
    entry.clear();
    entry.reserve(length);
    for (std::string_view part : parts)
        entry.append(part);
}

void loadBank(QuestionBank& bank, long& lineCursor, const BankContent& content)
{
    for (const StoredLine& stored : content.lines) {
        ++lineCursor;
        if (!QuestionBank::validIndex(lineCursor))
            throw SubscriptOutOfRange(lineCursor);
        bank.storeParts(lineCursor, content.parts.subspan(stored.firstPart, stored.partCount));
    }
}

std::optional<long> findAssignmentHeader(const QuestionBank& bank, const std::string& assignmentNumber)
{
    const std::string wanted = assignmentNumber + ".";
    for (long index = 1; index <= QuestionBank::kLastIndex; ++index) {
        if (firstChars(bank.line(index), 4) == wanted)
            return index;
    }
    return std::nullopt;
}

std::vector<std::string> assignmentNumbers(const QuestionBank& bank)
{
    std::vector<std::string> numbers;
    for (long index = 1; index <= QuestionBank::kLastIndex; ++index) {
        if (isHeaderLine(bank.line(index)))
            numbers.emplace_back(bank.line(index).substr(0, 3));
    }
    return numbers;
}

} // namespace tolvanex
