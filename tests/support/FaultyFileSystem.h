// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file system in memory for sweeping a filing through every point at which it can break. It
// counts its operations and can make a chosen one fail as a system does, or stop the program
// there; it keeps apart what was only written and what was put on stable storage, so that what is
// left after a stop is what a process that died leaves (everything written), or, after powerCut(),
// what a computer that lost its power leaves (only what was synced: a file's bytes by its sync, a
// folder's names by the folder's sync).

#include "core/platform/Files.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex::testing {

class FaultyFile;

// Thrown instead of the operation the program is stopped at; no program code catches it.
struct SimulatedCrash { };

// Operations, each counted once, in the order a call makes them: "lock", "length", "read",
// "open", "write", "sync", "close", "folder sync" (of a file an open or a rename made, or one
// removed), "cut back" (then "sync"), "remove", "empty", and for a file replaced "write" (its new
// copy), "sync", "rename" and "folder sync".
struct Faults {
    // The operation that stops the program before it happens (a write: after half its bytes).
    int crashAt = 0;
    // The operation that fails (a write: with nothing written, or half with shortWrite).
    int failAt = 0;
    bool shortWrite = false;
    // The first "cut back" or "remove" after the failure fails too.
    bool undoFails = false;
    // Instead of failAt: the first operation of this name fails.
    std::string failFirst = {};
};

class FaultyFileSystem : public FileSystem {
public:
    // Counts operations afresh, with these faults (none: everything works).
    void arm(Faults faults = {});
    // The power goes: every file and folder falls back to what was put on stable storage. With
    // zeroTails, a file written beyond its synced length keeps that length, the bytes past its
    // synced ones NUL (a file system that put the length on disk before the data).
    void powerCut(bool zeroTails = false);
    // Everything as it stands put on stable storage, as after a clean run.
    void settle();
    // The files as they stand, by name within their folder.
    std::map<std::string, std::string> files() const;
    // A file's bytes; nothing when it is missing.
    std::optional<std::string> bytes(const std::string& path) const;

    int operations = 0;
    // The operation made to fail; empty when the run had none left to fail.
    std::string failed;
    bool undoFailed = false;
    // "cut back" and "remove" calls since arm().
    int undos = 0;
    // The operations since arm(), by name, in their order.
    std::vector<std::string> trace;

    void createFolder(const std::string& path) override;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    std::optional<std::uintmax_t> fileLength(const std::string& path) override;
    void cutBack(const std::string& path, std::uintmax_t length) override;
    void removeFile(const std::string& path) override;
    void overwriteFile(const std::string& path, std::string_view bytes) override;
    void emptyFile(const std::string& path) override;
    void replaceFile(const std::string& path, std::string_view bytes) override;
    // A file's lock is had by one holder at a time, within this program as between copies of it:
    // lock() throws LockBusy at once while another holds it (the wait a system makes, passed).
    std::unique_ptr<FileLock> lock(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;

    // A file's bytes as written, and as put on stable storage.
    class Inode {
    public:
        const std::string& data() const { return m_data; }
        const std::string& synced() const { return m_synced; }
        void append(std::string_view bytes) { m_data.append(bytes); }
        // Cut to length, or made longer with NUL bytes.
        void resize(std::size_t length);
        void sync();
        // Back to what was synced; with the length it had kept, NUL bytes past the synced ones.
        void lose(bool keepLength);

    private:
        std::string m_data;
        std::string m_synced;
        // The length of what both hold alike, from the start: a sync copies only what follows.
        std::size_t m_same = 0;
    };
    // Counts an operation: throws SimulatedCrash at the one to stop at; true at the one to fail.
    bool step(const char* operation);
    void append(Inode& inode, std::string_view bytes, const std::string& path);
    void syncFolderOf(const std::string& path);

private:
    std::shared_ptr<Inode> existing(const std::string& path) const;
    // Opens for writing, made (its name not yet on stable storage) when missing.
    std::unique_ptr<FaultyFile> open(const std::string& path);
    // A cut back or a removal, which fails after a failure when undos are to fail.
    void undoing(const std::string& path);

    std::map<std::string, std::shared_ptr<Inode>> m_names;
    std::map<std::string, std::shared_ptr<Inode>> m_syncedNames;
    std::set<std::string> m_folders;
    Faults m_faults;
    std::shared_ptr<std::set<std::string>> m_held = std::make_shared<std::set<std::string>>();
};

} // namespace tolvanex::testing
