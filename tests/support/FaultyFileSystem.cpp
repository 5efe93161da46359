// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FaultyFileSystem.h"

namespace tolvanex::testing {
namespace {

class FaultyFile : public AppendFile {
public:
    FaultyFile(FaultyFileSystem& owner, std::unique_ptr<AppendFile> inner, std::string path, bool created)
        : m_owner(owner)
        , m_inner(std::move(inner))
        , m_path(std::move(path))
        , m_created(created)
    {
    }

    void write(std::string_view bytes) override
    {
        if (m_owner.fails("write")) {
            if (m_owner.shortWrite)
                m_inner->write(bytes.substr(0, bytes.size() / 2));
            throw FileError(m_path, "No space left on device");
        }
        m_inner->write(bytes);
    }

    void commit() override
    {
        const char* failing = nullptr;
        for (const char* operation : { "sync", "close", "folder sync" }) {
            if (operation == std::string_view("folder sync") && !m_created)
                break;
            if (m_owner.fails(operation)) {
                failing = operation;
                break;
            }
        }
        // The bytes are in the file whether or not the system then reports a failure.
        m_inner->commit();
        if (failing)
            throw FileError(m_path, std::string(failing) + ": Input/output error");
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<AppendFile> m_inner;
    std::string m_path;
    bool m_created;
};

} // namespace

void FaultyFileSystem::arm(int failAt, bool shortWriteWanted, bool undoFails)
{
    operations = 0;
    failed.clear();
    m_failFirst.clear();
    undoFailed = false;
    undos = 0;
    m_failAt = failAt;
    shortWrite = shortWriteWanted;
    m_undoFails = undoFails;
}

void FaultyFileSystem::armFirst(const char* operation)
{
    arm(0);
    m_failFirst = operation;
}

bool FaultyFileSystem::fails(const char* operation)
{
    ++operations;
    if (operation == m_failFirst && failed.empty())
        m_failAt = operations;
    if (operations != m_failAt)
        return false;
    failed = operation;
    return true;
}

std::unique_ptr<AppendFile> FaultyFileSystem::openForAppend(const std::string& path)
{
    if (fails("open"))
        throw FileError(path, "Permission denied");
    const bool created = !m_inner.fileLength(path);
    return std::make_unique<FaultyFile>(*this, m_inner.openForAppend(path), path, created);
}

std::optional<std::uintmax_t> FaultyFileSystem::fileLength(const std::string& path)
{
    if (fails("length"))
        throw FileError(path, "Input/output error");
    return m_inner.fileLength(path);
}

void FaultyFileSystem::undo(const std::string& path, const char* operation)
{
    ++undos;
    fails(operation);
    if (m_undoFails && !failed.empty() && !undoFailed) {
        undoFailed = true;
        throw FileError(path, "Read-only file system");
    }
}

void FaultyFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    undo(path, "cut back");
    m_inner.cutBack(path, length);
}

void FaultyFileSystem::removeFile(const std::string& path)
{
    undo(path, "remove");
    m_inner.removeFile(path);
}

void FaultyFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    // The bytes reach the file and its sync fails, as a disk that fails to sync.
    const bool failing = fails("journal");
    m_inner.overwriteFile(path, bytes);
    if (failing)
        throw FileError(path, "sync: Input/output error");
}

void FaultyFileSystem::emptyFile(const std::string& path)
{
    if (fails("empty"))
        throw FileError(path, "Input/output error");
    m_inner.emptyFile(path);
}

void FaultyFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    if (fails("replace"))
        throw FileError(path, "No space left on device");
    m_inner.replaceFile(path, bytes);
}

std::unique_ptr<FileLock> FaultyFileSystem::lock(const std::string& path)
{
    if (fails("lock"))
        throw FileError(path, "Permission denied");
    return m_inner.lock(path);
}

std::unique_ptr<FileLock> FaultyFileSystem::tryLock(const std::string& path)
{
    if (fails("lock"))
        throw FileError(path, "Permission denied");
    return m_inner.tryLock(path);
}

} // namespace tolvanex::testing
