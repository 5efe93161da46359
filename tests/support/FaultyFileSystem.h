// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file system that passes every call on to another and makes one chosen file operation fail the
// way a system does, for sweeping a filing through every point at which it can break.

#include "core/platform/Services.h"

#include <string>

namespace tolvanex::testing {

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner)
        : m_inner(inner)
    {
    }

    // Counts operations afresh and makes the failAt-th fail (0: none). Operations, in the order a
    // filing makes them: "lock", "length", "journal" (its whole new content), "open", "write"
    // (nothing written, or with shortWrite half), "sync", "close", "folder sync" (of a file the
    // open created; these three fail after the bytes reached the file), "remove" (the journal, a
    // file an undo takes away), and when undoing "cut back". With undoFails the first
    // "cut back" or "remove" after the failure fails too.
    void arm(int failAt, bool shortWrite = false, bool undoFails = false);
    // The same, making the first operation of this name fail.
    void armFirst(const char* operation);
    // Counts an operation; true when it is the one to fail.
    bool fails(const char* operation);

    int operations = 0;
    // The operation made to fail; empty when the run had none left to fail.
    std::string failed;
    bool shortWrite = false;
    bool undoFailed = false;
    // "cut back" and "remove" calls since arm().
    int undos = 0;

    void createFolder(const std::string& path) override { m_inner.createFolder(path); }
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override { return m_inner.readAll(path); }
    std::optional<std::uintmax_t> fileLength(const std::string& path) override;
    void cutBack(const std::string& path, std::uintmax_t length) override;
    void removeFile(const std::string& path) override;
    void overwriteFile(const std::string& path, std::string_view bytes) override;
    void emptyFile(const std::string& path) override;
    void replaceFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<FileLock> lock(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;
    std::string systemPath(const std::string& path) override { return m_inner.systemPath(path); }

private:
    void undo(const std::string& path, const char* operation);

    FileSystem& m_inner;
    int m_failAt = 0;
    std::string m_failFirst;
    bool m_undoFails = false;
};

} // namespace tolvanex::testing
