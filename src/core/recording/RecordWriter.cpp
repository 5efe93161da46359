// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/RecordWriter.h"

#include "core/recording/Cp1252.h"

namespace tolvanex {

FilingError::FilingError(const FileError& cause, std::vector<FileError> notRestored)
    : FileError(cause)
    , m_notRestored(std::move(notRestored))
{
}

RecordWriter::RecordWriter(FileSystem& files, const std::vector<std::string>& paths)
    : m_files(files)
{
    m_slots.reserve(paths.size());
    try {
        for (const std::string& path : paths) {
            Slot slot;
            slot.path = path;
            slot.lengthBefore = files.fileLength(path);
            m_slots.push_back(std::move(slot));
            m_slots.back().file = files.openForAppend(path);
        }
    } catch (const FileError& error) {
        fail(error);
    }
}

RecordWriter::~RecordWriter()
{
    if (!m_finished) {
        try {
            rollBack();
        } catch (...) {
            // Nothing was written; at worst an empty file this record created stays behind.
        }
    }
}

void RecordWriter::line(std::size_t file, const std::string& text)
{
    m_slots.at(file).pending += encodeCp1252(text);
    m_slots.at(file).pending += "\r\n";
}

void RecordWriter::text(std::size_t file, const std::string& text)
{
    m_slots.at(file).pending += encodeCp1252(text);
}

void RecordWriter::lineToAll(const std::string& text)
{
    for (std::size_t file = 0; file < m_slots.size(); ++file)
        line(file, text);
}

void RecordWriter::commit()
{
    try {
        for (Slot& slot : m_slots) {
            slot.written = true;
            slot.file->write(slot.pending);
            slot.file->commit();
        }
    } catch (const FileError& error) {
        fail(error);
    }
    m_finished = true;
}

bool RecordWriter::stillAsBefore(const Slot& slot)
{
    try {
        return m_files.fileLength(slot.path) == slot.lengthBefore;
    } catch (const FileError&) {
        return false;
    }
}

std::vector<FileError> RecordWriter::rollBack()
{
    m_finished = true;
    std::vector<FileError> notRestored;
    for (Slot& slot : m_slots) {
        const bool opened = slot.file != nullptr;
        // Closed first: a file is cut back or removed through a handle of its own.
        slot.file.reset();
        try {
            if (!slot.lengthBefore) {
                if (opened)
                    m_files.removeFile(slot.path);
            } else if (slot.written) {
                m_files.cutBack(slot.path, *slot.lengthBefore);
            }
        } catch (const FileError& error) {
            // The files are only ever appended to: one that still has its old length (or is still
            // missing) holds what it held, even when the undo itself failed.
            if (!stillAsBefore(slot))
                notRestored.push_back(error);
        }
    }
    return notRestored;
}

void RecordWriter::fail(const FileError& cause)
{
    throw FilingError(cause, rollBack());
}

namespace {

std::string fileAndReason(const FileError& error)
{
    std::string text = "File: " + error.systemPath();
    if (error.systemPath() != error.path())
        text += "\n(" + error.path() + " in this program)";
    return text + "\nReason: " + error.reason();
}

} // namespace

void reportFileError(MessageService& messages, const FileError& error, const std::string& what)
{
    messages.showMessage(what + "\n\n" + fileAndReason(error));
}

void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words)
{
    std::string text;
    if (error.restored()) {
        text = words.record
            + " could not be saved. Nothing of it is in your files: they are exactly as they were before.";
    } else {
        text = words.record
            + " was not saved whole, and what had been written of it could not all be taken back out. "
              "These files may end in an unfinished record; before you send one, delete what follows "
              "its last complete record:";
        for (const FileError& file : error.notRestored())
            text += "\n" + file.systemPath() + " (" + file.reason() + ")";
    }
    messages.showMessage(text + "\n\n" + words.whatToDo + "\n\n" + fileAndReason(error));
}

} // namespace tolvanex
