// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CrashFileSystem.h"

namespace tolvanex::testing {
namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

} // namespace

class CrashFile : public AppendFile {
public:
    CrashFile(CrashFileSystem& owner, std::shared_ptr<CrashFileSystem::Inode> inode, std::string path, bool created)
        : m_owner(owner)
        , m_inode(std::move(inode))
        , m_path(std::move(path))
        , m_created(created)
    {
    }
    void write(std::string_view bytes) override { m_owner.append(*m_inode, bytes, m_path); }
    CrashFileSystem::Inode& inode() { return *m_inode; }
    void commit() override
    {
        if (m_owner.step())
            throw FileError(m_path, "Input/output error");
        m_inode->synced = m_inode->data;
        if (m_created)
            m_owner.syncFolderOf(m_path);
    }

private:
    CrashFileSystem& m_owner;
    std::shared_ptr<CrashFileSystem::Inode> m_inode;
    std::string m_path;
    bool m_created;
};

namespace {

struct NoLock : FileLock { };

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

void CrashFileSystem::arm(int crashAt, int failAt)
{
    operations = 0;
    m_crashAt = crashAt;
    m_failAt = failAt;
}

bool CrashFileSystem::step()
{
    ++operations;
    if (operations == m_crashAt)
        throw SimulatedCrash {};
    return operations == m_failAt;
}

void CrashFileSystem::append(Inode& inode, std::string_view bytes, const std::string& path)
{
    ++operations;
    if (operations == m_crashAt || operations == m_failAt) {
        inode.data.append(bytes.substr(0, bytes.size() / 2));
        if (operations == m_crashAt)
            throw SimulatedCrash {};
        throw FileError(path, "No space left on device");
    }
    inode.data.append(bytes);
}

void CrashFileSystem::syncFolderOf(const std::string& path)
{
    if (step())
        throw FileError(path, "its folder could not be put on disk: Input/output error");
    const std::string folder = folderOf(path);
    std::erase_if(m_syncedNames,
        [&](const auto& entry) { return folderOf(entry.first) == folder && !m_names.contains(entry.first); });
    for (const auto& [name, inode] : m_names) {
        if (folderOf(name) == folder)
            m_syncedNames[name] = inode;
    }
}

void CrashFileSystem::powerCut(bool zeroTails)
{
    m_names = m_syncedNames;
    for (auto& [name, inode] : m_names) {
        const std::size_t length = inode->data.size();
        inode->data = inode->synced;
        if (zeroTails && length > inode->data.size())
            inode->data.resize(length, '\0');
    }
}

void CrashFileSystem::settle()
{
    for (auto& [name, inode] : m_names)
        inode->synced = inode->data;
    m_syncedNames = m_names;
}

std::map<std::string, std::string> CrashFileSystem::files() const
{
    std::map<std::string, std::string> held;
    for (const auto& [name, inode] : m_names)
        held[name.substr(name.find_last_of('\\') + 1)] = inode->data;
    return held;
}

std::shared_ptr<CrashFileSystem::Inode> CrashFileSystem::existing(const std::string& path) const
{
    const auto found = m_names.find(path);
    return found == m_names.end() ? nullptr : found->second;
}

void CrashFileSystem::createFolder(const std::string& path)
{
    if (!m_folders.insert(path).second)
        throw FileError(path, "File exists");
}

std::unique_ptr<CrashFile> CrashFileSystem::open(const std::string& path)
{
    if (step() || !m_folders.contains(folderOf(path)))
        throw FileError(path, "No such file or directory");
    std::shared_ptr<Inode> inode = existing(path);
    const bool created = !inode;
    if (created)
        inode = m_names[path] = std::make_shared<Inode>();
    return std::make_unique<CrashFile>(*this, inode, path, created);
}

std::unique_ptr<AppendFile> CrashFileSystem::openForAppend(const std::string& path)
{
    return open(path);
}

std::string CrashFileSystem::readAll(const std::string& path)
{
    const auto inode = existing(path);
    if (step() || !inode)
        throw FileError(path, "No such file or directory");
    return inode->data;
}

std::optional<std::uintmax_t> CrashFileSystem::fileLength(const std::string& path)
{
    if (step())
        throw FileError(path, "Input/output error");
    const auto inode = existing(path);
    return inode ? std::optional<std::uintmax_t>(inode->data.size()) : std::nullopt;
}

void CrashFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    const auto inode = existing(path);
    if (step() || !inode)
        throw FileError(path, "Read-only file system");
    inode->data.resize(static_cast<std::size_t>(length));
    if (step())
        throw FileError(path, "Input/output error");
    inode->synced = inode->data;
}

void CrashFileSystem::removeFile(const std::string& path)
{
    if (step() || !existing(path))
        throw FileError(path, "No such file or directory");
    m_names.erase(path);
    syncFolderOf(path);
}

void CrashFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    const auto file = open(path);
    file->inode().data.clear();
    file->write(bytes);
    file->commit();
}

void CrashFileSystem::emptyFile(const std::string& path)
{
    if (step())
        throw FileError(path, "Input/output error");
    if (const auto inode = existing(path))
        inode->data.clear();
}

void CrashFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    const std::string temporary = path + ".new";
    auto inode = std::make_shared<Inode>();
    m_names[temporary] = inode;
    append(*inode, bytes, temporary);
    if (step())
        throw FileError(temporary, "Input/output error");
    inode->synced = inode->data;
    if (step())
        throw FileError(path, "Input/output error");
    m_names.erase(temporary);
    m_names[path] = inode;
    syncFolderOf(path);
}

std::unique_ptr<FileLock> CrashFileSystem::lock(const std::string& path)
{
    if (step())
        throw FileError(path, "Permission denied");
    return std::make_unique<NoLock>();
}

std::unique_ptr<FileLock> CrashFileSystem::tryLock(const std::string& path)
{
    if (step())
        throw FileError(path, "Permission denied");
    if (!existing(path))
        m_names[path] = std::make_shared<Inode>();
    if (!m_held->insert(path).second)
        return nullptr;
    return std::make_unique<HeldLock>(m_held, path);
}

} // namespace tolvanex::testing
