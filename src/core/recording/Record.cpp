// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Record.h"

#include "core/recording/Cp1252.h"

namespace tolvanex {

Record::Record(std::vector<std::string> paths, std::string words)
    : m_paths(std::move(paths))
    , m_bytes(m_paths.size())
    , m_words(std::move(words))
{
}

void Record::line(std::size_t file, std::string_view text)
{
    std::string& bytes = m_bytes.at(file);
    bytes += encodeCp1252(text);
    bytes += "\r\n";
}

void Record::text(std::size_t file, std::string_view text)
{
    m_bytes.at(file) += encodeCp1252(text);
}

void Record::madeLine(std::size_t file, std::string_view text)
{
    std::string& bytes = m_bytes.at(file);
    bytes += encodeCp1252Made(text);
    bytes += "\r\n";
}

void Record::lineToAll(std::string_view text)
{
    for (std::size_t file = 0; file < m_paths.size(); ++file)
        line(file, text);
}

} // namespace tolvanex
