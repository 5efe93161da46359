// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the files, through the wide-character API, and the clock. The program's texts are
// UTF-8; they are turned into UTF-16 here, at the edge, so that a folder or a name with any letter
// in it reaches the disk exactly as typed (the narrow calls would read it in the ANSI code page).
// Paths are used as typed: drive letters, a trailing backslash, network paths. Failures carry the
// system's own words, after a plainer account where one can be given.
#ifdef _WIN32

#include "core/platform/RealServices.h"
#include "core/platform/SystemAppendFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <optional>
#include <string>
#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tolvanex {

// The system's own local time: the C library's reading can follow a TZ variable instead.
LocalTime SystemClock::now()
{
    SYSTEMTIME t {};
    ::GetLocalTime(&t);
    return LocalTime { t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds };
}

std::string nativePath(const std::string& path, const std::string& homeFolder)
{
    (void)homeFolder;
    return path;
}

std::string LocalFileSystem::userHomeFolder()
{
    return "";
}

namespace {

std::string toUtf8(const wchar_t* text, int length)
{
    if (length <= 0)
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

// A UTF-8 text in UTF-16; path names it in the failure.
std::wstring toWide(const std::string& text, const std::string& path)
{
    if (text.size() > INT_MAX)
        throw FileError(path, "the name is too long");
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0 && length > 0)
        throw FileError(path, "the name is not valid text");
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), size);
    return wide;
}

// Longer than this, a path reaches a folder's files only in its extended form: a folder's own path
// leaves room for a file name of 8.3 characters within the 260.
constexpr std::size_t kShortPathLimit = MAX_PATH - 12;

// The path in UTF-16, in its extended form when it is too long for the system's plain one, refused
// when it is not UTF-8 text or when it would name a hidden stream: NTFS reads "name:more" as the
// stream "more" of the file "name", so a colon may only follow a drive letter.
std::wstring widePath(const std::string& path)
{
    std::wstring wide = toWide(path, path);
    if (wide.size() >= kShortPathLimit) {
        if (const std::string extended = extendedLengthPath(path); !extended.empty())
            wide = toWide(extended, path);
    }
    std::size_t from = wide.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
    if (wide.size() >= from + 2 && wide[from + 1] == L':')
        from += 2;
    if (wide.find(L':', from) != std::wstring::npos)
        throw FileError(path, "a file or folder name cannot contain \":\"");
    return wide;
}

// The system's own words for an error, on one line.
std::string systemReason(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length
        = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string reason = toUtf8(buffer, static_cast<int>(length));
    ::LocalFree(buffer);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}

DWORD attributesOf(const std::string& path)
{
    return ::GetFileAttributesW(widePath(path).c_str());
}

// Length of the part of a path that names its drive or network share ("c:", "\\server\share").
std::size_t rootLength(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return 2;
    if (path.rfind("\\\\", 0) == 0) {
        const std::size_t server = path.find_first_of("\\/", 2);
        const std::size_t share = server == std::string::npos ? server : path.find_first_of("\\/", server + 1);
        return share == std::string::npos ? path.size() : share;
    }
    return 0;
}

// Why the folders of a path cannot be reached, in the student's terms: a drive that is not
// there, a network folder out of reach, a folder that is really a file, the first folder that
// does not exist. Empty when the folders are all there.
std::string whyUnreachable(const std::string& path)
{
    const std::size_t root = rootLength(path);
    if (root == 2 && std::isalpha(static_cast<unsigned char>(path[0]))) {
        const std::string drive = std::string(1, static_cast<char>(std::toupper(path[0]))) + ":";
        if (::GetDriveTypeW(widePath(drive + "\\").c_str()) == DRIVE_NO_ROOT_DIR)
            return "drive " + drive + " is not available on this computer";
    }
    std::string folder = path;
    std::string missing;
    for (std::size_t cut = folder.find_last_of("\\/"); cut != std::string::npos && cut >= root;
         cut = folder.find_last_of("\\/")) {
        folder.erase(cut);
        while (folder.size() > root && (folder.back() == '\\' || folder.back() == '/'))
            folder.pop_back();
        if (folder.size() <= root && root <= 2)
            break; // a drive's own folder, or the top of a relative path
        // Windows drops a blank or a dot at the end of the last name of a path, so asked about
        // "c:\tolvanex " it answers for "c:\tolvanex"; inside a path it keeps them, and no folder
        // is reached by such a name.
        const char last = folder.back();
        const DWORD attributes = last == ' ' || last == '.' ? INVALID_FILE_ATTRIBUTES : attributesOf(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (folder.size() <= root)
                return "the network folder " + folder + " cannot be reached";
            missing = folder;
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return folder + " is a file, not a folder";
        } else {
            break;
        }
    }
    if (missing.empty())
        return {};
    const char last = missing.back();
    return "the folder \"" + missing + "\" does not exist"
        + (last == ' '        ? ": its name ends in a blank"
                : last == '.' ? ": its name ends in a dot"
                              : "");
}

[[noreturn]] void fail(const std::string& path, DWORD error)
{
    std::string reason = systemReason(error);
    FileTrouble trouble = FileTrouble::Other;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE
        || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME || error == ERROR_DIRECTORY) {
        if (const std::string why = whyUnreachable(path); !why.empty())
            reason = why + " (" + reason + ")";
    } else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        trouble = FileTrouble::InUse;
    } else if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = attributesOf(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
            && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            trouble = FileTrouble::ReadOnly;
    }
    throw FileError(path, reason, {}, trouble);
}

// Other programs may read, write or remove the file while the program has it open, as elsewhere.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    Handle(Handle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE))
    {
    }
    Handle& operator=(Handle&&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool close()
    {
        const HANDLE handle = std::exchange(m_handle, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

Handle openExisting(const std::string& path, DWORD access)
{
    Handle file(::CreateFileW(
        widePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        fail(path, ::GetLastError());
    return file;
}

// Puts the folder entry of a file created or removed on disk, where the file system lets a
// folder be flushed (NTFS does; others refuse, and their entries are written through anyway).
void flushFolderOf(const std::string& path)
{
    const std::size_t cut = path.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? "." : path.substr(0, std::max(cut, rootLength(path) + 1));
    Handle handle(::CreateFileW(widePath(folder).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.valid())
        ::FlushFileBuffers(handle.get());
}

class WindowsAppendFile : public SystemAppendFile {
public:
    WindowsAppendFile(std::string path, HANDLE handle, bool created)
        : SystemAppendFile(path, path, created)
        , m_file(handle)
    {
    }

private:
    std::size_t writeSome(std::string_view bytes) override
    {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(m_file.get(), bytes.data(), chunk, &written, nullptr))
            tolvanex::fail(m_path, ::GetLastError());
        return written;
    }
    void sync() override
    {
        if (!::FlushFileBuffers(m_file.get()))
            tolvanex::fail(m_path, ::GetLastError());
    }
    void close() override
    {
        if (!m_file.close())
            tolvanex::fail(m_path, ::GetLastError());
    }
    void syncFolder() override { flushFolderOf(m_path); }

    Handle m_file;
};

} // namespace

void LocalFileSystem::createFolder(const std::string& path)
{
    if (!::CreateDirectoryW(widePath(path).c_str(), nullptr))
        fail(path, ::GetLastError());
}

std::unique_ptr<AppendFile> LocalFileSystem::openForAppend(const std::string& path)
{
    // Only the right to append: every write goes to the end of the file, whoever else writes.
    const HANDLE handle = ::CreateFileW(widePath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = ::GetLastError();
    if (handle == INVALID_HANDLE_VALUE)
        fail(path, error);
    return std::make_unique<WindowsAppendFile>(path, handle, error != ERROR_ALREADY_EXISTS);
}

std::string LocalFileSystem::readAll(const std::string& path)
{
    const Handle file = openExisting(path, GENERIC_READ);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            fail(path, ::GetLastError());
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

std::optional<std::uintmax_t> LocalFileSystem::fileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        fail(path, error);
    }
    return (std::uintmax_t { data.nFileSizeHigh } << 32) | data.nFileSizeLow;
}

void LocalFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    const Handle file = openExisting(path, GENERIC_WRITE);
    LARGE_INTEGER end {};
    end.QuadPart = static_cast<LONGLONG>(length);
    if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())
        || !::FlushFileBuffers(file.get()))
        fail(path, ::GetLastError());
}

void LocalFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    const HANDLE handle = ::CreateFileW(
        widePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    const DWORD error = ::GetLastError();
    if (handle == INVALID_HANDLE_VALUE)
        fail(path, error);
    WindowsAppendFile file(path, handle, error != ERROR_ALREADY_EXISTS);
    file.write(bytes);
    file.commit();
}

void LocalFileSystem::emptyFile(const std::string& path)
{
    const HANDLE handle = ::CreateFileW(
        widePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = ::GetLastError();
    if (handle == INVALID_HANDLE_VALUE) {
        if (error == ERROR_FILE_NOT_FOUND)
            return;
        fail(path, error);
    }
    ::CloseHandle(handle);
}

void LocalFileSystem::removeFile(const std::string& path)
{
    if (!::DeleteFileW(widePath(path).c_str()))
        fail(path, ::GetLastError());
    flushFolderOf(path);
}

namespace {

class WindowsLock : public FileLock {
public:
    explicit WindowsLock(Handle file)
        : m_file(std::move(file))
    {
    }
    ~WindowsLock() override
    {
        OVERLAPPED whole {};
        ::UnlockFileEx(m_file.get(), 0, MAXDWORD, MAXDWORD, &whole);
    }

private:
    Handle m_file;
};

} // namespace

void LocalFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    const std::string temporary = path + ".new";
    const std::wstring wideTemporary = widePath(temporary);
    const HANDLE handle = ::CreateFileW(
        wideTemporary.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        fail(temporary, ::GetLastError());
    try {
        // Its folder is put on disk once, after the rename.
        WindowsAppendFile file(temporary, handle, false);
        file.write(bytes);
        file.commit();
    } catch (const FileError&) {
        ::DeleteFileW(wideTemporary.c_str());
        throw;
    }
    if (!::MoveFileExW(
            wideTemporary.c_str(), widePath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(wideTemporary.c_str());
        fail(path, error);
    }
    flushFolderOf(path);
}

namespace {

// Opens the lock file (hidden) and takes the lock, trying tries times a pause apart; nothing when
// another held it all the while.
Handle openLockFile(const std::string& path)
{
    Handle file(::CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file.valid())
        fail(path, ::GetLastError());
    return file;
}

// The lock file is being removed by its last holder (a folder that took no record keeps none of
// the program's files): a lock on it would shut nobody out once it is gone.
bool removing(const Handle& file)
{
    FILE_STANDARD_INFO info {};
    return ::GetFileInformationByHandleEx(file.get(), FileStandardInfo, &info, sizeof info) && info.DeletePending;
}

std::unique_ptr<FileLock> takeLock(const std::string& path, int tries)
{
    std::optional<Handle> file(openLockFile(path));
    for (int tried = 0; tried < tries; ++tried) {
        if (tried > 0)
            ::Sleep(static_cast<DWORD>(LocalFileSystem::kLockPause.count()));
        OVERLAPPED whole {};
        if (::LockFileEx(
                file->get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
            if (!removing(*file))
                return std::make_unique<WindowsLock>(std::move(*file));
            // Let go, so that it goes; the file made anew under the name is the lock.
            file.reset();
            file.emplace(openLockFile(path));
            --tried;
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING)
            fail(path, error);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<FileLock> LocalFileSystem::lock(const std::string& path)
{
    if (auto held = takeLock(path, kLockTries))
        return held;
    throw LockBusy(path, kLockBusy);
}

std::unique_ptr<FileLock> LocalFileSystem::tryLock(const std::string& path)
{
    return takeLock(path, 1);
}

std::string LocalFileSystem::systemPath(const std::string& path)
{
    return path;
}

} // namespace tolvanex

#endif // _WIN32
