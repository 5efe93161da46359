// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The files as the core of the program sees them: paths are texts as the program forms them,
// Windows style ("c:\tolvanex\notes_A.txt"); the real file systems map them onto the system.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvanex {

// What kept a file from being written, where the student can do something about the file itself
// rather than its folder or disk.
enum class FileTrouble {
    // Anything else: the folder, the disk, the drive.
    Other,
    // Another program has the file open and shares it with no one (Windows).
    InUse,
    // The file itself is read-only.
    ReadOnly,
};

// A file operation that failed: which file, and the system's reason in words. The file is named
// as the program names it (path) and, when known, as this system names it (systemPath).
class FileError : public std::runtime_error {
public:
    FileError(
        std::string path, std::string reason, std::string systemPath = {}, FileTrouble trouble = FileTrouble::Other);
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }
    // The file's name on this system; the program's name for it when the system's is not known.
    const std::string& systemPath() const { return m_systemPath.empty() ? m_path : m_systemPath; }
    FileTrouble trouble() const { return m_trouble; }

private:
    std::string m_path;
    std::string m_reason;
    std::string m_systemPath;
    FileTrouble m_trouble;
};

// A file opened for appending (created when missing). Bytes written go to its end; commit()
// puts them on stable storage and closes the file. Every failure throws FileError.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;
};

// An exclusive lock on a file, held until this is destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// A lock that another copy of the program held for longer than the program waits.
class LockBusy : public FileError {
public:
    using FileError::FileError;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual void createFolder(const std::string& path) = 0;
    virtual std::unique_ptr<AppendFile> openForAppend(const std::string& path) = 0;
    virtual std::string readAll(const std::string& path) = 0;
    // The length of a file in bytes; nothing when there is no such file.
    virtual std::optional<std::uintmax_t> fileLength(const std::string& path) = 0;
    // Cuts a file back to the given length and puts it on stable storage.
    virtual void cutBack(const std::string& path, std::uintmax_t length) = 0;
    // Removes a file and puts its folder on stable storage.
    virtual void removeFile(const std::string& path) = 0;
    // Gives a file the bytes as its whole content (made, hidden, when missing) and puts them on
    // stable storage, the folder too when the file is new. Not whole or nothing: a file cut short
    // holds part of the bytes, or none.
    virtual void overwriteFile(const std::string& path, std::string_view bytes) = 0;
    // Empties a file, without waiting for stable storage: for a file whose old content coming
    // back after a power cut does no harm. A missing file is left missing.
    virtual void emptyFile(const std::string& path) = 0;
    // Gives a file the bytes as its whole content, so that whenever the program or the computer
    // stops, the file holds either what it held or all of the bytes: they are written to a new
    // file beside it (its name and ".new"), put on stable storage and renamed over it, and the
    // folder is put on stable storage. The program's own files are made hidden where the system
    // has hidden files.
    virtual void replaceFile(const std::string& path, std::string_view bytes) = 0;
    // An exclusive lock on the file (made, hidden, when missing), shared by every program that
    // locks it; waits while another holds it, up to a few seconds, then throws LockBusy.
    virtual std::unique_ptr<FileLock> lock(const std::string& path) = 0;
    // The same lock without waiting: nothing when another holds it (another copy of the program,
    // or another lock of this one on the same file).
    virtual std::unique_ptr<FileLock> tryLock(const std::string& path) { return lock(path); }
    // The file's name as this system knows it, for the student's messages.
    virtual std::string systemPath(const std::string& path) { return path; }
};

} // namespace tolvanex
