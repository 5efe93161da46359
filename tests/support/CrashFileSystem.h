// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file system in memory that keeps apart what was only written and what was put on stable
// storage, and can stop the program at any one of its operations: then what is left is what a
// process that died leaves (everything written), or, after powerCut(), what a computer that lost
// its power leaves (only what was synced: a file's bytes by its sync, a folder's names by the
// folder's sync). For sweeping a filing through every point at which it can be cut short.

#include "core/platform/Files.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace tolvanex::testing {

class CrashFile;

// Thrown instead of the operation the program is stopped at; no program code catches it.
struct SimulatedCrash { };

class CrashFileSystem : public FileSystem {
public:
    // Counts operations afresh; the crashAt-th (0: none) stops the program before it happens (a
    // write: after half its bytes), the failAt-th fails as on a full disk (a write: after half).
    void arm(int crashAt, int failAt = 0);
    // The power goes: every file and folder falls back to what was put on stable storage. With
    // zeroTails, a file written beyond its synced length keeps that length, the bytes past its
    // synced ones NUL (a file system that put the length on disk before the data).
    void powerCut(bool zeroTails = false);
    // Everything as it stands put on stable storage, as after a clean run.
    void settle();
    // The files as they stand, by name within their folder.
    std::map<std::string, std::string> files() const;

    int operations = 0;

    void createFolder(const std::string& path) override;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    std::optional<std::uintmax_t> fileLength(const std::string& path) override;
    void cutBack(const std::string& path, std::uintmax_t length) override;
    void removeFile(const std::string& path) override;
    void overwriteFile(const std::string& path, std::string_view bytes) override;
    void emptyFile(const std::string& path) override;
    void replaceFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<FileLock> lock(const std::string& path) override;
    // Locks are held until released, within this one program: a second lock on a held file is
    // not had (the file's lock, which no two windows of this one program take at once, is).
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;

    struct Inode {
        std::string data;
        std::string synced;
    };
    // Counts an operation: throws SimulatedCrash at the one to stop at; true at the one to fail.
    bool step();
    void append(Inode& inode, std::string_view bytes, const std::string& path);
    void syncFolderOf(const std::string& path);

private:
    std::shared_ptr<Inode> existing(const std::string& path) const;
    // Opens for writing, made (its name not yet on stable storage) when missing.
    std::unique_ptr<CrashFile> open(const std::string& path);

    std::map<std::string, std::shared_ptr<Inode>> m_names;
    std::map<std::string, std::shared_ptr<Inode>> m_syncedNames;
    std::set<std::string> m_folders;
    int m_crashAt = 0;
    int m_failAt = 0;
    std::shared_ptr<std::set<std::string>> m_held = std::make_shared<std::set<std::string>>();
};

} // namespace tolvanex::testing
