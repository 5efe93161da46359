// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Files.h"
#include "core/platform/Services.h"
#include "core/run/Run.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tolvanex {

// Where and when words were typed: the assignment, the block on the screen and the time.
struct DraftPlace {
    std::string assignment;
    std::string questionNumber;
    LineKind kind = LineKind::None;
    LocalTime typed;
};

// A draft as it is kept on disk: the place, then the words.
struct Draft {
    std::string words;
    // Nothing for a draft that holds the words alone.
    std::optional<DraftPlace> place;
};
std::string encodeDraft(const Draft& draft);
Draft decodeDraft(std::string_view bytes);

// One window's draft on disk and the lock that window holds on it while it runs. Every reading,
// saving and removing of a draft goes through here: the window keeping its words, a filing taking
// the filed words away, and the finishing of a filing a window left unfinished.
class DraftFile {
public:
    DraftFile(FileSystem& files, std::string path, std::string lockPath);

    const std::string& path() const { return m_path; }
    const std::string& lockPath() const { return m_lockPath; }
    // The window's number was taken: its lock file or its draft is there.
    bool used();
    // The window's lock; nothing while a running window holds it.
    std::unique_ptr<FileLock> tryLock();
    // The draft; nothing when there is none, or it is empty.
    std::optional<Draft> read();
    // What it holds as it stands; empty when there is none.
    std::string bytes();
    // Gives it the bytes, whole or not at all.
    void save(std::string_view bytes);
    // Removes it when it is there.
    void remove();
    // After a filing of words: removed, unless it holds other words by now than the filing's, or
    // than it held when the filing began (heldBefore). Another window's draft (own: false) is that
    // window's while it runs: it is touched only when its lock is free, the window gone.
    void removeFiled(std::string_view words, std::string_view heldBefore, bool own);

private:
    FileSystem& m_files;
    std::string m_path;
    std::string m_lockPath;
};

} // namespace tolvanex
