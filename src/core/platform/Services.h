// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outside world as the core of the program sees it. Each service is a small interface passed
// in by reference; the real implementations live beside this file, tests bring their own.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvanex {

// Modal input prompt: shows the prompt text with one empty edit field. The typed text on OK or
// Enter; nothing on Cancel (callers that treat Cancel as an empty reply use value_or("")).
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual std::optional<std::string> ask(const std::string& prompt) = 0;
};

// Modal message box with an OK button.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void showMessage(const std::string& text) = 0;
};

struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
};

std::string dateText(const LocalTime& t); // mm-dd-yyyy
std::string timeText(const LocalTime& t); // hh:mm:ss, 24-hour clock
double secondsSinceMidnight(const LocalTime& t);

// The program's one random generator: uniform single-precision values in [0, 1), never 1.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double value) = 0;
    virtual float next() = 0;
};

// A file operation that failed: which file, and the system's reason in words. The file is named
// as the program names it (path) and, when known, as this system names it (systemPath).
class FileError : public std::runtime_error {
public:
    FileError(std::string path, std::string reason, std::string systemPath = {});
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }
    // The file's name on this system; the program's name for it when the system's is not known.
    const std::string& systemPath() const { return m_systemPath.empty() ? m_path : m_systemPath; }

private:
    std::string m_path;
    std::string m_reason;
    std::string m_systemPath;
};

// A file opened for appending (created when missing). Bytes written go to its end; commit()
// puts them on stable storage and closes the file. Every failure throws FileError.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;
};

// Paths are texts as the program forms them, Windows style ("c:\tolvanex\notes_A.txt").
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
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

} // namespace tolvanex
