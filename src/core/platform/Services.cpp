// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform/Services.h"

#include <cstdio>

namespace tolvanex {

std::string dateText(const LocalTime& t)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", t.month, t.day, t.year);
    return buffer;
}

std::string timeText(const LocalTime& t)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buffer;
}

double secondsSinceMidnight(const LocalTime& t)
{
    return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
}

FileError::FileError(std::string path, std::string reason, std::string systemPath, FileTrouble trouble)
    : std::runtime_error(path + ": " + reason)
    , m_path(std::move(path))
    , m_reason(std::move(reason))
    , m_systemPath(std::move(systemPath))
    , m_trouble(trouble)
{
}

} // namespace tolvanex
