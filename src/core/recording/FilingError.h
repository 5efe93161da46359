// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Files.h"

#include <string>
#include <vector>

namespace tolvanex {

// How much of a record a file holds.
enum class Holds { Nothing, Part, Whole };

struct FileHolding {
    std::string path;
    Holds holds = Holds::Nothing;
};

// A filing that failed. It carries the first failure (file and reason). Either nothing of the
// record is in the files (restored), or some file holds part or all of it because it could not be
// put back: then the journal keeps the filing, to be completed in every file the next time the
// program files anything or starts, and holdings() says what each file holds.
class FilingError : public FileError {
public:
    // Nothing of the record is in the files.
    explicit FilingError(const FileError& cause);
    FilingError(const FileError& cause, std::vector<FileHolding> holdings, std::vector<FileError> undoFailures);
    // Another copy of the program held the files' lock for longer than the filing waits: nothing
    // of the record is in the files.
    static FilingError busy(const FileError& cause);

    bool restored() const { return m_holdings.empty(); }
    const std::vector<FileHolding>& holdings() const { return m_holdings; }
    const std::vector<FileError>& undoFailures() const { return m_undoFailures; }
    bool lockBusy() const { return m_lockBusy; }

private:
    std::vector<FileHolding> m_holdings;
    std::vector<FileError> m_undoFailures;
    bool m_lockBusy = false;
};

} // namespace tolvanex
