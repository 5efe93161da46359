// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/DraftKeeper.h"

#include "core/recording/WorkFiles.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <utility>

namespace tolvanex {

std::string blockText(const DraftPlace& place)
{
    if (place.kind == LineKind::None || place.questionNumber.empty())
        return std::string(texts::blockBeforeQuestions);
    return fill(place.kind == LineKind::Answer ? texts::blockAnswer : texts::blockQuestion,
        { { "number", place.questionNumber } });
}

namespace {

// What a disk that kept a file's length but not its bytes leaves of words: NUL bytes alone.
bool onlyNulBytes(const std::string& words)
{
    return !words.empty() && words.find_first_not_of('\0') == std::string::npos;
}

// Tidying that may fail: what is left is found again by another start. False when it failed.
template <typename Step> bool tidy(const Step& step)
{
    try {
        step();
        return true;
    } catch (const FileError&) {
        return false;
    }
}

} // namespace

// Shared with the saves on the background, which may outlive the keeper by a moment.
struct DraftKeeper::Shared {
    explicit Shared(FileSystem& fileSystem)
        : files(fileSystem)
    {
    }
    FileSystem& files;
    // Held while the disk is being changed.
    std::mutex disk;
    // Held while the wishes below are read or changed.
    std::mutex state;
    // The window's draft; none before claim() found one.
    std::optional<DraftFile> file;
    // The window's lock on its draft, for as long as the window runs (and its last save).
    std::unique_ptr<FileLock> windowLock;
    // The drafts of windows that are gone, held for their words until released and then removed
    // once the window's own draft is on disk.
    struct Held {
        DraftFile file;
        std::unique_ptr<FileLock> lock;
        bool released = false;
    };
    std::vector<Held> held;
    // Shared with a save under way, which copies no more than the pointer while it holds state.
    std::shared_ptr<const std::string> wanted;
    DraftPlace wantedPlace;
    bool saveWaiting = false;
    // What the disk holds, as far as the keeper knows.
    std::optional<std::string> onDisk;
    std::optional<Trouble> trouble;
    std::function<void()> wake;

    // Trouble begins, or changes, or ends (nothing): the window is woken when it changes.
    void troubled(std::optional<Trouble> now)
    {
        const bool changed = now.has_value() != trouble.has_value()
            || (now && (now->removing != trouble->removing || now->error.path() != trouble->error.path()));
        trouble = std::move(now);
        if (changed && wake)
            wake();
    }
};

DraftKeeper::DraftKeeper(FileSystem& files, Background& background)
    : m_background(background)
    , m_shared(std::make_shared<Shared>(files))
{
}

DraftKeeper::~DraftKeeper()
{
    // A save still to come tells no one.
    const std::lock_guard state(m_shared->state);
    m_shared->wake = nullptr;
}

DraftKeeper::Claimed DraftKeeper::claim(
    const std::string& folder, const std::string& namePart, const std::string& assignment)
{
    const std::lock_guard disk(m_shared->disk);
    FileSystem& files = m_shared->files;
    const auto numbered = [&](int window) {
        const WorkFiles work = workFiles(folder, namePart, window);
        return DraftFile(files, work.draft, work.draftLock);
    };
    // Whether a number is in use now; one that cannot be told is taken as in use.
    const auto usedNow = [&](int window) {
        try {
            return numbered(window).used();
        } catch (const FileError&) {
            return true;
        }
    };
    Claimed claimed;
    std::vector<Shared::Held> held;
    std::unique_ptr<FileLock> free;
    int freeWindow = 0;
    std::optional<Trouble> trouble;
    try {
        for (int tries = 1;; ++tries) {
            claimed.restored.clear();
            claimed.keptForOthers.clear();
            held.clear();
            free.reset();
            freeWindow = 0;
            // This start made the free number's lock file: no window had it.
            bool made = false;
            // Numbers of windows that are gone that left a lock file and no words, held meanwhile.
            std::vector<std::pair<int, std::unique_ptr<FileLock>>> unused;
            // Windows take the lowest number that is free, so the numbers in use run from 1 up to
            // the first that has neither a lock file nor a draft. A lock file that is not locked is
            // free: a window that is gone. A new number is taken only when none of those is free, so
            // that starting again and again leaves no more files than windows ran at once.
            int end = kMostWindows + 1;
            for (int window = 1; window <= kMostWindows; ++window) {
                DraftFile file = numbered(window);
                const bool used = file.used();
                if (!used && free) {
                    end = window;
                    break;
                }
                std::unique_ptr<FileLock> lock = file.tryLock();
                if (lock) {
                    std::optional<Draft> draft = file.read();
                    if (draft && onlyNulBytes(draft->words)) {
                        claimed.emptied.push_back(files.systemPath(file.path()));
                        draft.reset();
                        try {
                            file.remove();
                        } catch (const FileError&) {
                            // Found again, and told again, next time.
                        }
                    }
                    if (!draft) {
                        if (!free) {
                            free = std::move(lock);
                            freeWindow = window;
                            made = !used;
                        } else {
                            unused.emplace_back(window, std::move(lock));
                        }
                    } else if (draft->place && draft->place->assignment != assignment) {
                        claimed.keptForOthers.push_back(*draft->place);
                    } else {
                        held.push_back({ file, std::move(lock) });
                        claimed.restored.push_back(std::move(*draft));
                    }
                }
                // Another window starting at the same moment may have taken this new number first: the
                // search goes on past it.
            }
            // The lock files of windows that are gone, at the top of the numbers in use, go (those
            // below a number in use stay, or the search above would stop short of it). Each is
            // removed while it is held, so that no window that runs loses its own.
            for (int window = end - 1; !unused.empty() && unused.back().first == window; --window) {
                DraftFile file = numbered(window);
                if (!tidy([&] {
                        file.remove();
                        files.removeFile(file.lockPath());
                    }))
                    break;
                unused.pop_back();
                // A window starting at the same moment, finding this number held, took the one
                // above: this number is made again, so that the numbers in use stay unbroken.
                if (usedNow(window + 1)) {
                    tidy([&] { file.tryLock(); });
                    break;
                }
            }
            // The same seen from that window: the number below the one it made went meanwhile. It
            // lets its number go and searches again.
            if (!made || freeWindow <= 1 || tries == 3 || usedNow(freeWindow - 1)
                || !tidy([&] { files.removeFile(numbered(freeWindow).lockPath()); }))
                break;
        }
    } catch (const FileError& error) {
        trouble = Trouble { error };
    }
    m_window = freeWindow;
    const std::lock_guard state(m_shared->state);
    m_shared->windowLock = std::move(free);
    m_shared->held = std::move(held);
    m_shared->file.reset();
    if (m_window > 0) {
        const WorkFiles work = workFiles(folder, namePart, m_window);
        m_shared->file.emplace(files, work.draft, work.draftLock);
    }
    if (m_window == 0 && !trouble) {
        trouble = Trouble { FileError(workFiles(folder, namePart, kMostWindows).draft,
            std::to_string(kMostWindows) + " copies of the program keep drafts of their own in this folder") };
    }
    m_shared->trouble = std::move(trouble);
    m_shared->wanted.reset();
    m_shared->onDisk.reset();
    return claimed;
}

void DraftKeeper::release(std::size_t i)
{
    {
        const std::lock_guard state(m_shared->state);
        if (i >= m_shared->held.size() || m_shared->held[i].released)
            return;
        m_shared->held[i].released = true;
        if (m_shared->saveWaiting)
            return;
        m_shared->saveWaiting = true;
    }
    m_background.post([shared = m_shared] { save(*shared); });
}

void DraftKeeper::keep(std::optional<std::string> words, const DraftPlace& place)
{
    {
        const std::lock_guard state(m_shared->state);
        if (!m_shared->file)
            return;
        // The words are compared as they go to disk: their place is kept from when they were typed.
        std::shared_ptr<const std::string> wanted;
        if (words) {
            const std::optional<Draft> before
                = m_shared->wanted ? std::optional(decodeDraft(*m_shared->wanted)) : std::nullopt;
            if (before && before->words == *words)
                return;
            wanted = std::make_shared<const std::string>(encodeDraft({ *words, place }));
        } else if (!m_shared->wanted) {
            return;
        }
        m_shared->wanted = std::move(wanted);
        m_shared->wantedPlace = place;
        if (m_shared->saveWaiting)
            return;
        m_shared->saveWaiting = true;
    }
    m_background.post([shared = m_shared] { save(*shared); });
}

void DraftKeeper::save(Shared& shared)
{
    const std::lock_guard disk(shared.disk);
    std::shared_ptr<const std::string> wanted;
    std::optional<DraftFile> file;
    std::vector<DraftFile> released;
    {
        const std::lock_guard state(shared.state);
        shared.saveWaiting = false;
        wanted = shared.wanted;
        if (shared.file)
            file.emplace(*shared.file);
        for (const Shared::Held& h : shared.held) {
            if (h.released && h.lock)
                released.push_back(h.file);
        }
    }
    if (!file)
        return;
    const DraftFile* failed = nullptr;
    try {
        if (wanted ? shared.onDisk != *wanted : shared.onDisk.has_value()) {
            failed = &*file;
            if (wanted)
                file->save(*wanted);
            else
                file->remove();
            shared.onDisk = wanted ? std::optional(*wanted) : std::nullopt;
        }
        // The words of a draft released are in the window's own draft (or were taken away by the
        // student): that draft goes now, and with it the hold on it.
        for (DraftFile& gone : released) {
            failed = &gone;
            gone.remove();
            const std::lock_guard state(shared.state);
            for (Shared::Held& h : shared.held) {
                if (h.file.path() == gone.path())
                    h.lock.reset();
            }
        }
        const std::lock_guard state(shared.state);
        shared.troubled(std::nullopt);
    } catch (const FileError& error) {
        // The words are still in the box; the next keystroke tries again. The student sees it in
        // the window until a save works again.
        const std::lock_guard state(shared.state);
        shared.troubled(Trouble { error, failed != &*file || !wanted });
    }
}

void DraftKeeper::onTrouble(std::function<void()> wake)
{
    const std::lock_guard state(m_shared->state);
    m_shared->wake = std::move(wake);
}

std::optional<DraftKeeper::Trouble> DraftKeeper::trouble() const
{
    const std::lock_guard state(m_shared->state);
    return m_shared->trouble;
}

DraftKeeper::Hold DraftKeeper::hold()
{
    return Hold(std::unique_lock(m_shared->disk));
}

std::vector<DraftFile> DraftKeeper::takenAlong() const
{
    const std::lock_guard state(m_shared->state);
    std::vector<DraftFile> taken;
    for (const Shared::Held& h : m_shared->held) {
        if (h.released && h.lock)
            taken.push_back(h.file);
    }
    return taken;
}

void DraftKeeper::filed()
{
    const std::lock_guard state(m_shared->state);
    m_shared->wanted.reset();
    m_shared->onDisk.reset();
    for (Shared::Held& h : m_shared->held) {
        if (!h.released || !h.lock)
            continue;
        try {
            if (!m_shared->files.fileLength(h.file.path()))
                h.lock.reset();
        } catch (const FileError&) {
            // The next save removes it.
        }
    }
}

} // namespace tolvanex
