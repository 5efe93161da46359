// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvanex {

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

// Writes one record to several output files, whole or not at all. Each file's length is noted and
// the file opened (appending, created when missing) before anything is written, so a file that
// cannot be opened costs nothing; each file's lines are gathered and then written and put on
// stable storage by commit(). When anything fails, every file already touched is cut back to its
// noted length and a file this record created is removed, so the files are byte for byte as they
// were; then FilingError is thrown. Texts are encoded to Windows-1252; every line ends in CR LF.
class RecordWriter {
public:
    // Throws FilingError when a file cannot be opened (the files are then as they were).
    RecordWriter(FileSystem& files, const std::vector<std::string>& paths);
    // A record never committed is taken back out (a file it created is removed).
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void line(std::size_t file, const std::string& text);
    // Text with no line break after it.
    void text(std::size_t file, const std::string& text);
    void lineToAll(const std::string& text);
    std::size_t fileCount() const { return m_slots.size(); }

    // Writes and syncs the files in the order they were opened. On a failure the files are put
    // back as they were and FilingError is thrown.
    void commit();

private:
    struct Slot {
        std::string path;
        // The length before this record; nothing when the record creates the file.
        std::optional<std::uintmax_t> lengthBefore;
        std::unique_ptr<AppendFile> file;
        std::string pending;
        bool written = false;
    };

    // Puts every touched file back; the files that could not be, with the reason.
    std::vector<FileError> rollBack();
    bool stillAsBefore(const Slot& slot);
    [[noreturn]] void fail(const FileError& cause);

    FileSystem& m_files;
    std::vector<Slot> m_slots;
    bool m_finished = false;
};

// Tells the student that a file could not be written or read: what happened, then the file and
// the system's reason.
void reportFileError(MessageService& messages, const FileError& error, const std::string& what);

// What the student is told about a failed filing.
struct FilingWords {
    // The record, as the student knows it: "Your response", "The heading of your files".
    std::string record;
    // What the student can do, in one or two sentences.
    std::string whatToDo;
};

// Tells the student that a filing failed: "could not be saved" with the assurance that the files
// are as they were, or, when a file could not be put back, "was not saved whole" and which files
// may end in an unfinished record; then what to do, the file and the system's reason.
void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words);

} // namespace tolvanex
