// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"
#include "core/recording/DraftFile.h"
#include "core/run/Run.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

// The block of a place in the student's words: "question 3", "the worked answer to question 3".
std::string blockText(const DraftPlace& place);

// The draft of the student's own words in one window's answer box, kept on disk so that a crash
// loses none of them. Each running window has a draft of its own, numbered, and holds a lock on
// it for as long as it runs; a window's draft is never touched by another while that lock is held.
// The disk is brought to the words last given on the background (never on a click or a
// keystroke), each save whole or not at all (a new file renamed over the old); the draft goes when
// the box holds no words of the student's.
class DraftKeeper {
public:
    DraftKeeper(FileSystem& files, Background& background);
    ~DraftKeeper();
    DraftKeeper(const DraftKeeper&) = delete;
    DraftKeeper& operator=(const DraftKeeper&) = delete;

    struct Claimed {
        // The words of a window that is gone, typed for this assignment (taken as kept).
        std::optional<Draft> restored;
        // Drafts of windows that are gone, typed for other assignments: they stay for those.
        std::vector<DraftPlace> keptForOthers;
    };
    // Once start-up knows the name, folder and assignment, takes a draft of this window's own
    // among those in the folder: that of a window that is gone, typed for this assignment, when
    // there is one, else a free one; before, nothing is kept. A draft that cannot be had at all
    // is news (below).
    Claimed claim(const std::string& folder, const std::string& namePart, const std::string& assignment);
    // The window's number among those of the name and folder; 0 before claim().
    int window() const { return m_window; }

    // The words the answer box holds now, typed at place; nothing: none of the student's (the
    // draft goes). The place is kept with the words when they change.
    void keep(std::optional<std::string> words, const DraftPlace& place);

    // News of the draft for the student: the first save that failed since the last that worked
    // (its file and reason). wake is called on the background when there is news; its caller
    // brings takeNews() onto the thread that may tell the student.
    void onNews(std::function<void()> wake);
    std::optional<FileError> takeNews();

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

    // The most windows of one name and folder that keep drafts.
    static constexpr int kMostWindows = 99;

private:
    struct Shared;
    static void save(Shared& shared);

    Background& m_background;
    std::shared_ptr<Shared> m_shared;
    int m_window = 0;
};

} // namespace tolvanex
