// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tolvanex {

// The program's own files beside a student's records, hidden where the system hides files: the
// journal of a filing under way, the lock one filing at a time holds, and the draft of the typed
// words of one window with the lock that window holds on it while it runs.
struct WorkFiles {
    std::string journal;
    std::string draft;
    std::string lock;
    std::string draftLock;
};
// The draft and its lock are those of the window numbered window; none for 0.
WorkFiles workFiles(const std::string& folder, const std::string& namePart, int window = 0);

} // namespace tolvanex
