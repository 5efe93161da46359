// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Linux and other POSIX systems: the files, with paths understood the Windows way (drive c: and a
// leading backslash stand for the home folder), each write synced before it counts, and locks
// that the system lets go of when the program ends. Windows' own: WindowsFileSystem.cpp.
#ifndef _WIN32

#include "core/platform/RealServices.h"
#include "core/platform/SystemAppendFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvanex {

std::string LocalFileSystem::systemPath(const std::string& path)
{
    try {
        return nativePath(path, m_home);
    } catch (const FileError&) {
        return path;
    }
}

std::string nativePath(const std::string& path, const std::string& homeFolder)
{
    std::string rest = path;
    std::string base;
    const bool hasDrive = rest.size() >= 2 && rest[1] == ':'
        && ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z'));
    if (hasDrive) {
        if (rest[0] != 'c' && rest[0] != 'C')
            throw FileError(path,
                std::string("drive ") + static_cast<char>(std::toupper(rest[0]))
                    + ": is not available on this computer");
        base = homeFolder;
        rest = rest.substr(2);
        if (!rest.empty() && rest[0] != '\\' && rest[0] != '/')
            rest = "/" + rest;
    } else if (rest.rfind("\\\\", 0) == 0) {
        throw FileError(path, "network folders are not available on this computer");
    } else if (!rest.empty() && rest[0] == '\\') {
        base = homeFolder;
    }
    for (char& c : rest) {
        if (c == '\\')
            c = '/';
    }
    return base + rest;
}

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

// Why a file could not be made: for a folder that is not there, the first one missing on the way
// to it, named, with a blank or a dot at the end of its name pointed out (typed by mistake, it is
// not seen); the system's own words after it.
std::string makingReason(const std::string& native, int error)
{
    if (error != ENOENT)
        return systemReason(error);
    std::string missing;
    std::string folder = native;
    for (std::size_t cut = folder.find_last_of('/'); cut != std::string::npos && cut > 0;
         cut = folder.find_last_of('/')) {
        folder.erase(cut);
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        struct stat info { };
        if (::stat(folder.c_str(), &info) == 0)
            break;
        missing = folder;
    }
    if (missing.empty())
        return systemReason(error);
    const char last = missing.back();
    return "the folder \"" + missing + "\" does not exist"
        + (last == ' '        ? ": its name ends in a blank"
                : last == '.' ? ": its name ends in a dot"
                              : "")
        + " (" + systemReason(error) + ")";
}

// Puts the folder entry of a file created or removed on stable storage; the system's error
// number when that failed, 0 when it worked.
int syncFolderOf(const std::string& file)
{
    const std::size_t slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return synced;
}

class LocalAppendFile : public SystemAppendFile {
public:
    LocalAppendFile(std::string path, std::string native, int fd, bool created)
        : SystemAppendFile(std::move(path), std::move(native), created)
        , m_fd(fd)
    {
    }
    ~LocalAppendFile() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    std::size_t writeSome(std::string_view bytes) override
    {
        for (;;) {
            const auto done = ::write(m_fd, bytes.data(), bytes.size());
            if (done >= 0)
                return static_cast<std::size_t>(done);
            if (errno != EINTR)
                fail(systemReason(errno));
        }
    }
    void sync() override
    {
        if (::fsync(m_fd) != 0)
            fail(systemReason(errno));
    }
    void close() override
    {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            fail(systemReason(errno));
    }
    void syncFolder() override
    {
        if (const int error = syncFolderOf(m_native); error != 0)
            fail("its folder could not be put on disk: " + systemReason(error));
    }

    int m_fd;
};

} // namespace

std::string LocalFileSystem::userHomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

void LocalFileSystem::createFolder(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    const int made = ::mkdir(native.c_str(), 0777);
    if (made != 0)
        throw FileError(path, systemReason(errno), native);
}

std::unique_ptr<AppendFile> LocalFileSystem::openForAppend(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    struct stat info { };
    const bool existed = ::stat(native.c_str(), &info) == 0;
    const int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        // A file there that refuses writing while its folder would take a new one: the file itself
        // is read-only.
        const bool readOnly = existed && error == EACCES && (info.st_mode & S_IWUSR) == 0;
        throw FileError(
            path, makingReason(native, error), native, readOnly ? FileTrouble::ReadOnly : FileTrouble::Other);
    }
    return std::make_unique<LocalAppendFile>(path, native, fd, !existed);
}

std::string LocalFileSystem::readAll(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    const int fd = ::open(native.c_str(), O_RDONLY);
    if (fd < 0)
        throw FileError(path, systemReason(errno), native);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const auto got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw FileError(path, systemReason(error), native);
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

std::optional<std::uintmax_t> LocalFileSystem::fileLength(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    struct stat info { };
    if (::stat(native.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw FileError(path, systemReason(errno), native);
    }
    return static_cast<std::uintmax_t>(info.st_size);
}

void LocalFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    const std::string native = nativePath(path, m_home);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(path, systemReason(errno), native);
    const bool cut = ::ftruncate(fd, static_cast<off_t>(length)) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!cut)
        throw FileError(path, systemReason(error), native);
}

void LocalFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    const std::string native = nativePath(path, m_home);
    struct stat info { };
    const bool existed = ::stat(native.c_str(), &info) == 0;
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw FileError(path, makingReason(native, errno), native);
    LocalAppendFile file(path, native, fd, !existed);
    file.write(bytes);
    file.commit();
}

void LocalFileSystem::emptyFile(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    if (::truncate(native.c_str(), 0) != 0 && errno != ENOENT)
        throw FileError(path, systemReason(errno), native);
}

void LocalFileSystem::removeFile(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    if (std::remove(native.c_str()) != 0)
        throw FileError(path, systemReason(errno), native);
    if (const int error = syncFolderOf(native); error != 0)
        throw FileError(
            path, "the file was removed, but its folder could not be put on disk: " + systemReason(error), native);
}

namespace {

class LocalLock : public FileLock {
public:
    explicit LocalLock(int fd)
        : m_fd(fd)
    {
    }
    ~LocalLock() override { ::close(m_fd); }

private:
    int m_fd;
};

} // namespace

void LocalFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    const std::string native = nativePath(path, m_home);
    const std::string temporary = native + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw FileError(path, systemReason(errno), temporary);
    try {
        // Its folder is put on disk once, after the rename.
        LocalAppendFile file(path, temporary, fd, false);
        file.write(bytes);
        file.commit();
    } catch (const FileError&) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), native.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw FileError(path, systemReason(error), native);
    }
    if (const int error = syncFolderOf(native); error != 0)
        throw FileError(path, "its folder could not be put on disk: " + systemReason(error), native);
}

namespace {

// The lock file is still the one under its name: its holder may have removed it (a folder that
// took no record keeps none of the program's files), and a lock on a file that has no name any
// more shuts nobody out.
bool stillNamed(int fd, const std::string& native)
{
    struct stat held { };
    struct stat named { };
    return ::fstat(fd, &held) == 0 && ::stat(native.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

// Opens the lock file and takes the lock, trying tries times a pause apart; nothing when another
// held it all the while.
std::unique_ptr<FileLock> takeLock(const std::string& path, const std::string& native, int tries)
{
    int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw FileError(path, makingReason(native, errno), native);
    for (int tried = 0; tried < tries; ++tried) {
        if (tried > 0)
            std::this_thread::sleep_for(LocalFileSystem::kLockPause);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (stillNamed(fd, native))
                return std::make_unique<LocalLock>(fd);
            // Removed under it: the file under the name now is the lock.
            ::close(fd);
            fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0)
                throw FileError(path, systemReason(errno), native);
            --tried;
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int error = errno;
            ::close(fd);
            throw FileError(path, systemReason(error), native);
        }
    }
    ::close(fd);
    return nullptr;
}

} // namespace

std::unique_ptr<FileLock> LocalFileSystem::lock(const std::string& path)
{
    const std::string native = nativePath(path, m_home);
    if (auto held = takeLock(path, native, kLockTries))
        return held;
    throw LockBusy(path, kLockBusy, native);
}

std::unique_ptr<FileLock> LocalFileSystem::tryLock(const std::string& path)
{
    return takeLock(path, nativePath(path, m_home), 1);
}

} // namespace tolvanex

#endif // _WIN32
