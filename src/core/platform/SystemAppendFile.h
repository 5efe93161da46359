// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What an append file does on every system, over the system's own calls: every byte written (a
// short write is written on, a write that takes nothing is a full disk), then on commit the bytes
// put on stable storage, the file closed, and the folder of a file it created put on disk too.
// The first failure is thrown as FileError, naming the file as the program and the system do.

#include "core/platform/Files.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvanex {

class SystemAppendFile : public AppendFile {
public:
    void write(std::string_view bytes) final;
    void commit() final;

protected:
    SystemAppendFile(std::string path, std::string native, bool created);
    [[noreturn]] void fail(const std::string& reason) const;

    // One write call: how many bytes the system took (0 when it took none).
    virtual std::size_t writeSome(std::string_view bytes) = 0;
    // Puts the bytes on stable storage.
    virtual void sync() = 0;
    // Closes the file; called once, also after a failed sync.
    virtual void close() = 0;
    // Puts the folder entry of the newly created file on stable storage.
    virtual void syncFolder() = 0;

    std::string m_path;
    std::string m_native;

private:
    bool m_created;
};

} // namespace tolvanex
