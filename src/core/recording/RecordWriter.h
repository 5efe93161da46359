// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Files.h"
#include "core/platform/Services.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

// One record for several output files: the bytes each file is to get, built line by line. Texts
// are encoded to Windows-1252; every line ends in CR LF.
class Record {
public:
    explicit Record(std::vector<std::string> paths);

    void line(std::size_t file, std::string_view text);
    // Text with no line break after it.
    void text(std::size_t file, std::string_view text);
    // A line the program made of code page characters itself (the filler line).
    void madeLine(std::size_t file, std::string_view text);
    void lineToAll(std::string_view text);
    std::size_t fileCount() const { return m_paths.size(); }
    const std::string& path(std::size_t file) const { return m_paths.at(file); }
    const std::string& bytes(std::size_t file) const { return m_bytes.at(file); }

private:
    std::vector<std::string> m_paths;
    std::vector<std::string> m_bytes;
};

// A filing that failed. It carries the first failure (file and reason) and tells whether every
// file could be put back exactly as it was before the filing; when not, the files that may end in
// an unfinished record, each with the reason it could not be put back.
class FilingError : public FileError {
public:
    FilingError(const FileError& cause, std::vector<FileError> notRestored);
    bool restored() const { return m_notRestored.empty(); }
    const std::vector<FileError>& notRestored() const { return m_notRestored; }

private:
    std::vector<FileError> m_notRestored;
};

// Appends a record to its files, whole or not at all. Each file's length is noted and the file
// opened (appending, created when missing) before anything is written, so a file that cannot be
// opened costs nothing; then each file is written and put on stable storage in turn. When anything
// fails, every file already touched is cut back to its noted length and a file this record created
// is removed, so the files are byte for byte as they were; then FilingError is thrown.
void writeRecord(FileSystem& files, const Record& record);

// Tells the student that a file could not be written or read: what happened, then the file and
// the system's reason.
void reportFileError(MessageService& messages, const FileError& error, std::string_view what);

// What the student is told about a failed filing.
struct FilingWords {
    // The record, as the student knows it: "Your response", "The heading of your files".
    std::string_view record;
    // What the student can do, in one or two sentences.
    std::string whatToDo;
};

// Tells the student that a filing failed: "could not be saved" with the assurance that the files
// are as they were, or, when a file could not be put back, "was not saved whole" and which files
// may end in an unfinished record; then what to do, the file and the system's reason.
void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words);

} // namespace tolvanex
