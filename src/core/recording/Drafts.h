// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tolvanex {

// The draft of the student's own words in the answer box, kept on disk so that a crash loses none
// of them. The disk is brought to the words last given on the background (never on a click or a
// keystroke), each save whole or not at all (a new file renamed over the old); the draft goes when
// the box holds no words of the student's.
class DraftKeeper {
public:
    DraftKeeper(FileSystem& files, Background& background);

    // Where the draft is kept, once start-up knows the name and folder; before, nothing is kept.
    void setPath(std::string path);
    // The words the answer box holds now; nothing: none of the student's (the draft goes).
    void keep(std::optional<std::string> words);
    // The words a draft on disk holds, read at start-up (taken as kept); nothing when there is none.
    std::optional<std::string> restore();

    // Holds the disk still while a filing runs: no save lands while the holder lives.
    class Hold {
    public:
        explicit Hold(std::unique_lock<std::mutex> lock)
            : m_lock(std::move(lock))
        {
        }

    private:
        std::unique_lock<std::mutex> m_lock;
    };
    Hold hold();
    // The words were filed and the filing removed the draft (call while holding).
    void filed();

private:
    struct Shared;
    static void save(Shared& shared);

    Background& m_background;
    std::shared_ptr<Shared> m_shared;
};

} // namespace tolvanex
