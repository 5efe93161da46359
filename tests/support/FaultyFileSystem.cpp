// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FaultyFileSystem.h"

#include <algorithm>

namespace tolvanex::testing {
namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

constexpr const char* kIoError = "Input/output error";

} // namespace

void FaultyFileSystem::Inode::resize(std::size_t length)
{
    m_data.resize(length, '\0');
    m_same = std::min(m_same, length);
}

void FaultyFileSystem::Inode::sync()
{
    m_synced.resize(m_same);
    m_synced.append(m_data, m_same);
    m_same = m_data.size();
}

void FaultyFileSystem::Inode::lose(bool keepLength)
{
    const std::size_t length = m_data.size();
    m_data = m_synced;
    m_same = m_data.size();
    if (keepLength && length > m_data.size())
        m_data.resize(length, '\0');
}

class FaultyFile : public AppendFile {
public:
    FaultyFile(FaultyFileSystem& owner, std::shared_ptr<FaultyFileSystem::Inode> inode, std::string path, bool created)
        : m_owner(owner)
        , m_inode(std::move(inode))
        , m_path(std::move(path))
        , m_created(created)
    {
    }
    void write(std::string_view bytes) override { m_owner.append(*m_inode, bytes, m_path); }
    FaultyFileSystem::Inode& inode() { return *m_inode; }
    void commit() override
    {
        if (m_owner.step("sync"))
            throw FileError(m_path, std::string("sync: ") + kIoError);
        m_inode->sync();
        if (m_owner.step("close"))
            throw FileError(m_path, std::string("close: ") + kIoError);
        if (m_created)
            m_owner.syncFolderOf(m_path);
    }

private:
    FaultyFileSystem& m_owner;
    std::shared_ptr<FaultyFileSystem::Inode> m_inode;
    std::string m_path;
    bool m_created;
};

namespace {

class HeldLock : public FileLock {
public:
    HeldLock(std::shared_ptr<std::set<std::string>> held, std::string path)
        : m_held(std::move(held))
        , m_path(std::move(path))
    {
    }
    ~HeldLock() override { m_held->erase(m_path); }

private:
    std::shared_ptr<std::set<std::string>> m_held;
    std::string m_path;
};

} // namespace

void FaultyFileSystem::arm(Faults faults)
{
    operations = 0;
    failed.clear();
    undoFailed = false;
    undos = 0;
    trace.clear();
    m_faults = std::move(faults);
}

bool FaultyFileSystem::step(const char* operation)
{
    ++operations;
    trace.emplace_back(operation);
    if (operations == m_faults.crashAt)
        throw SimulatedCrash {};
    if (failed.empty() && m_faults.failFirst == operation)
        m_faults.failAt = operations;
    if (operations != m_faults.failAt)
        return false;
    failed = operation;
    return true;
}

void FaultyFileSystem::append(Inode& inode, std::string_view bytes, const std::string& path)
{
    const std::string_view half = bytes.substr(0, bytes.size() / 2);
    bool fails = false;
    try {
        fails = step("write");
    } catch (const SimulatedCrash&) {
        inode.append(half);
        throw;
    }
    if (fails) {
        if (m_faults.shortWrite)
            inode.append(half);
        throw FileError(path, "No space left on device");
    }
    inode.append(bytes);
}

void FaultyFileSystem::syncFolderOf(const std::string& path)
{
    if (step("folder sync"))
        throw FileError(path, std::string("its folder could not be put on disk: ") + kIoError);
    const std::string folder = folderOf(path);
    std::erase_if(m_syncedNames,
        [&](const auto& entry) { return folderOf(entry.first) == folder && !m_names.contains(entry.first); });
    for (const auto& [name, inode] : m_names) {
        if (folderOf(name) == folder)
            m_syncedNames[name] = inode;
    }
}

void FaultyFileSystem::powerCut(bool zeroTails)
{
    m_names = m_syncedNames;
    for (auto& [name, inode] : m_names)
        inode->lose(zeroTails);
}

void FaultyFileSystem::settle()
{
    for (auto& [name, inode] : m_names)
        inode->sync();
    m_syncedNames = m_names;
}

std::map<std::string, std::string> FaultyFileSystem::files() const
{
    std::map<std::string, std::string> held;
    for (const auto& [name, inode] : m_names)
        held[name.substr(name.find_last_of('\\') + 1)] = inode->data();
    return held;
}

std::optional<std::string> FaultyFileSystem::bytes(const std::string& path) const
{
    const auto inode = existing(path);
    return inode ? std::optional(inode->data()) : std::nullopt;
}

std::shared_ptr<FaultyFileSystem::Inode> FaultyFileSystem::existing(const std::string& path) const
{
    const auto found = m_names.find(path);
    return found == m_names.end() ? nullptr : found->second;
}

void FaultyFileSystem::createFolder(const std::string& path)
{
    if (!m_folders.insert(path).second)
        throw FileError(path, "File exists");
}

std::unique_ptr<FaultyFile> FaultyFileSystem::open(const std::string& path)
{
    if (step("open"))
        throw FileError(path, "Permission denied");
    if (!m_folders.contains(folderOf(path)))
        throw FileError(path, "No such file or directory");
    std::shared_ptr<Inode> inode = existing(path);
    const bool created = !inode;
    if (created)
        inode = m_names[path] = std::make_shared<Inode>();
    return std::make_unique<FaultyFile>(*this, inode, path, created);
}

std::unique_ptr<AppendFile> FaultyFileSystem::openForAppend(const std::string& path)
{
    return open(path);
}

std::string FaultyFileSystem::readAll(const std::string& path)
{
    const auto inode = existing(path);
    if (step("read"))
        throw FileError(path, kIoError);
    if (!inode)
        throw FileError(path, "No such file or directory");
    return inode->data();
}

std::optional<std::uintmax_t> FaultyFileSystem::fileLength(const std::string& path)
{
    if (step("length"))
        throw FileError(path, kIoError);
    const auto inode = existing(path);
    return inode ? std::optional<std::uintmax_t>(inode->data().size()) : std::nullopt;
}

void FaultyFileSystem::undoing(const std::string& path)
{
    ++undos;
    if (m_faults.undoFails && !failed.empty() && !undoFailed) {
        undoFailed = true;
        throw FileError(path, "Read-only file system");
    }
}

void FaultyFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    const auto inode = existing(path);
    if (step("cut back"))
        throw FileError(path, "Read-only file system");
    undoing(path);
    if (!inode)
        throw FileError(path, "No such file or directory");
    inode->resize(static_cast<std::size_t>(length));
    if (step("sync"))
        throw FileError(path, kIoError);
    inode->sync();
}

void FaultyFileSystem::removeFile(const std::string& path)
{
    if (step("remove"))
        throw FileError(path, kIoError);
    undoing(path);
    if (!existing(path))
        throw FileError(path, "No such file or directory");
    m_names.erase(path);
    syncFolderOf(path);
}

void FaultyFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    const auto file = open(path);
    file->inode().resize(0);
    file->write(bytes);
    file->commit();
}

void FaultyFileSystem::emptyFile(const std::string& path)
{
    if (step("empty"))
        throw FileError(path, kIoError);
    if (const auto inode = existing(path))
        inode->resize(0);
}

void FaultyFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    const std::string temporary = path + ".new";
    auto inode = std::make_shared<Inode>();
    m_names[temporary] = inode;
    append(*inode, bytes, temporary);
    if (step("sync"))
        throw FileError(temporary, kIoError);
    inode->sync();
    if (step("rename"))
        throw FileError(path, kIoError);
    m_names.erase(temporary);
    m_names[path] = inode;
    syncFolderOf(path);
}

std::unique_ptr<FileLock> FaultyFileSystem::lock(const std::string& path)
{
    auto held = tryLock(path);
    if (!held)
        throw LockBusy(
            path, "another copy of the program is writing these files and has not finished within five seconds");
    return held;
}

std::unique_ptr<FileLock> FaultyFileSystem::tryLock(const std::string& path)
{
    if (step("lock"))
        throw FileError(path, "Permission denied");
    if (!existing(path))
        m_names[path] = std::make_shared<Inode>();
    if (!m_held->insert(path).second)
        return nullptr;
    return std::make_unique<HeldLock>(m_held, path);
}

} // namespace tolvanex::testing
