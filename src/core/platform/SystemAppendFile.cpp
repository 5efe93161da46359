// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform/SystemAppendFile.h"

#include <algorithm>

namespace tolvanex {

SystemAppendFile::SystemAppendFile(std::string path, std::string native, bool created)
    : m_path(std::move(path))
    , m_native(std::move(native))
    , m_created(created)
{
}

void SystemAppendFile::fail(const std::string& reason) const
{
    throw FileError(m_path, reason, m_native);
}

void SystemAppendFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t done = writeSome(bytes);
        if (done == 0)
            fail("the disk accepted no more data");
        bytes.remove_prefix(std::min(done, bytes.size()));
    }
}

void SystemAppendFile::commit()
{
    try {
        sync();
    } catch (const FileError&) {
        try {
            close();
        } catch (const FileError&) {
            // The sync's failure is the one to report.
        }
        throw;
    }
    close();
    // A new file is only safely there once its folder entry is on disk too.
    if (m_created)
        syncFolder();
}

} // namespace tolvanex
