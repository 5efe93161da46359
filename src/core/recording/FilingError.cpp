// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/FilingError.h"

namespace tolvanex {

FilingError::FilingError(const FileError& cause)
    : FileError(cause)
{
}

FilingError::FilingError(const FileError& cause, std::vector<FileHolding> holdings, std::vector<FileError> undoFailures)
    : FileError(cause)
    , m_holdings(std::move(holdings))
    , m_undoFailures(std::move(undoFailures))
{
}

FilingError FilingError::busy(const FileError& cause)
{
    FilingError error(cause);
    error.m_lockBusy = true;
    return error;
}

} // namespace tolvanex
