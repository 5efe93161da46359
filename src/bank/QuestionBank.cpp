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

void loadBank(QuestionBank& bank, long& lineCursor, const BankContent& content)
{
    for (const StoredLine& stored : content.lines) {
        ++lineCursor;
        if (!QuestionBank::validIndex(lineCursor))
            throw SubscriptOutOfRange(lineCursor);
        bank.store(lineCursor, content.parts[stored.firstPart]);
        for (std::size_t part = 1; part < stored.partCount; ++part)
            bank.append(lineCursor, content.parts[stored.firstPart + part]);
    }
}

} // namespace tolvanex
