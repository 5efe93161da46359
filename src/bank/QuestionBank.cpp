#include "bank/QuestionBank.h"

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

void QuestionBank::reserve(long index, std::size_t capacity)
{
    if (!validIndex(index))
        throw SubscriptOutOfRange(index);
    m_lines[static_cast<std::size_t>(index)].reserve(capacity);
}

void loadBank(QuestionBank& bank, long& lineCursor, const BankContent& content)
{
    for (const StoredLine& stored : content.lines) {
        ++lineCursor;
        if (!QuestionBank::validIndex(lineCursor))
            throw SubscriptOutOfRange(lineCursor);
        const auto parts = content.parts.subspan(stored.firstPart, stored.partCount);
        if (parts.size() > 1) {
            // One allocation per line: the parts are appended into room made for all of them.
            std::size_t length = 0;
            for (std::string_view part : parts)
                length += part.size();
            bank.reserve(lineCursor, length);
        }
        bank.store(lineCursor, parts[0]);
        for (std::size_t part = 1; part < stored.partCount; ++part)
            bank.append(lineCursor, parts[part]);
    }
}

} // namespace tolvanex
