// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

// One record for several output files: the bytes each file is to get, built line by line, and the
// words the student filed with it. Texts are encoded to Windows-1252; every line ends in CR LF.
class Record {
public:
    // words: as typed (UTF-8); none for a record that files none (the heading block).
    explicit Record(std::vector<std::string> paths, std::string words = {});

    void line(std::size_t file, std::string_view text);
    // Text with no line break after it.
    void text(std::size_t file, std::string_view text);
    // A line the program made of code page characters itself (the filler line).
    void madeLine(std::size_t file, std::string_view text);
    void lineToAll(std::string_view text);
    std::size_t fileCount() const { return m_paths.size(); }
    const std::string& path(std::size_t file) const { return m_paths.at(file); }
    const std::string& bytes(std::size_t file) const { return m_bytes.at(file); }
    const std::string& words() const { return m_words; }

private:
    std::vector<std::string> m_paths;
    std::vector<std::string> m_bytes;
    std::string m_words;
};

} // namespace tolvanex
