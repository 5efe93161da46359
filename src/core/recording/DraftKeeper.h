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
        // The words of windows that are gone, typed for this assignment, in the order of their
        // windows. Each draft stays on disk as it is, under its lock, until release(i).
        std::vector<Draft> restored;
        // Drafts of windows that are gone, typed for other assignments: they stay for those.
        std::vector<DraftPlace> keptForOthers;
        // Drafts of windows that are gone that held nothing but NUL bytes (the disk kept their
        // length, not their words): removed, as they hold no words to give back.
        std::vector<std::string> emptied;
    };
    // Once start-up knows the name, folder and assignment, takes a free draft of this window's
    // own among those in the folder, and holds the drafts of windows that are gone, typed for this
    // assignment; before, nothing is kept. A draft that cannot be had at all is trouble (below).
    Claimed claim(const std::string& folder, const std::string& namePart, const std::string& assignment);
    // The words of restored draft i are in the window's own draft now, or gone from the answer
    // box: once the window's own draft is saved, draft i is removed and its lock let go.
    void release(std::size_t i);
    // The window's number among those of the name and folder; 0 before claim().
    int window() const { return m_window; }

    // The words the answer box holds now, typed at place; nothing: none of the student's (the
    // draft goes). The place is kept with the words when they change.
    void keep(std::optional<std::string> words, const DraftPlace& place);

    // Trouble with the draft, for as long as it lasts: the last save or removal failed (its file
    // and reason), until one works again. wake is called on the background when trouble begins or
    // ends; its caller brings trouble() onto the thread that may tell the student.
    struct Trouble {
        FileError error;
        // The words the student took away are still on disk: they would come back.
        bool removing = false;
    };
    void onTrouble(std::function<void()> wake);
    std::optional<Trouble> trouble() const;

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
    // The drafts of windows that are gone whose words are in the window's answer box (released)
    // and that are still on disk under their locks: a filing takes them with it (call while
    // holding, so that no save removes them meanwhile).
    std::vector<DraftFile> takenAlong() const;
    // The words were filed and the filing removed the draft, and the drafts it took along (call
    // while holding): those gone are let go.
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
