// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/RecordWriter.h"

#include "core/recording/Cp1252.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tolvanex {

Record::Record(std::vector<std::string> paths)
    : m_paths(std::move(paths))
    , m_bytes(m_paths.size())
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

FilingError::FilingError(const FileError& cause, std::vector<FileError> notRestored)
    : FileError(cause)
    , m_notRestored(std::move(notRestored))
{
}

namespace {

// One file of a record on its way: its length before, and how far the writing got.
struct Target {
    const std::string& path;
    // The length before this record; nothing when the record creates the file.
    std::optional<std::uintmax_t> lengthBefore;
    std::unique_ptr<AppendFile> file;
    bool opened = false;
    bool written = false;
};

// Puts every touched file back; the files that could not be, with the reason.
std::vector<FileError> rollBack(FileSystem& files, std::vector<Target>& targets)
{
    std::vector<FileError> notRestored;
    for (Target& target : targets) {
        // Closed first: a file is cut back or removed through a handle of its own.
        target.file.reset();
        try {
            if (!target.lengthBefore) {
                if (target.opened)
                    files.removeFile(target.path);
            } else if (target.written) {
                files.cutBack(target.path, *target.lengthBefore);
            }
        } catch (const FileError& error) {
            // The files are only ever appended to: one that still has its old length (or is still
            // missing) holds what it held, even when the undo itself failed.
            bool asBefore = false;
            try {
                asBefore = files.fileLength(target.path) == target.lengthBefore;
            } catch (const FileError&) {
            }
            if (!asBefore)
                notRestored.push_back(error);
        }
    }
    return notRestored;
}

} // namespace

void writeRecord(FileSystem& files, const Record& record)
{
    std::vector<Target> targets;
    targets.reserve(record.fileCount());
    try {
        for (std::size_t file = 0; file < record.fileCount(); ++file) {
            targets.push_back({ record.path(file), files.fileLength(record.path(file)), nullptr });
            targets.back().file = files.openForAppend(record.path(file));
            targets.back().opened = true;
        }
        for (std::size_t file = 0; file < record.fileCount(); ++file) {
            targets[file].written = true;
            targets[file].file->write(record.bytes(file));
            targets[file].file->commit();
        }
    } catch (const FileError& error) {
        throw FilingError(error, rollBack(files, targets));
    }
}

namespace {

std::string fileAndReason(const FileError& error)
{
    std::string text = fill(texts::fileLine, { { "file", error.systemPath() } });
    if (error.systemPath() != error.path())
        text += "\n" + fill(texts::programsName, { { "path", error.path() } });
    return text + "\n" + fill(texts::reasonLine, { { "reason", error.reason() } });
}

} // namespace

void reportFileError(MessageService& messages, const FileError& error, std::string_view what)
{
    messages.showMessage(std::string(what) + "\n\n" + fileAndReason(error));
}

void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words)
{
    std::string text;
    if (error.restored()) {
        text = fill(texts::notSaved, { { "record", words.record } });
    } else {
        text = fill(texts::notSavedWhole, { { "record", words.record } });
        for (const FileError& file : error.notRestored())
            text += "\n" + file.systemPath() + " (" + file.reason() + ")";
    }
    messages.showMessage(text + "\n\n" + words.whatToDo + "\n\n" + fileAndReason(error));
}

} // namespace tolvanex
