// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Drafts.h"

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
    // Shared with a save under way, which copies no more than the pointer while it holds state.
    std::shared_ptr<const std::string> wanted;
    DraftPlace wantedPlace;
    bool saveWaiting = false;
    // What the disk holds, as far as the keeper knows.
    std::optional<std::string> onDisk;
    // The last save failed; the student has news of it until it is taken.
    bool failing = false;
    std::optional<FileError> news;
    std::function<void()> wake;
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
    Claimed claimed;
    std::unique_ptr<FileLock> free;
    std::unique_ptr<FileLock> gone;
    int freeWindow = 0;
    int goneWindow = 0;
    try {
        // Windows take the lowest number that is free, so the numbers in use run from 1 up to
        // the first that has neither a lock file nor a draft. A lock file that is not locked is
        // free: a window that is gone. A new number is taken only when none of those is free, so
        // that starting again and again leaves no more files than windows ran at once.
        for (int window = 1; window <= kMostWindows; ++window) {
            const WorkFiles work = workFiles(folder, namePart, window);
            DraftFile file(files, work.draft, work.draftLock);
            const bool used = file.used();
            if (!used && (free || gone))
                break;
            std::unique_ptr<FileLock> held = file.tryLock();
            if (held) {
                std::optional<Draft> draft = file.read();
                if (!draft) {
                    if (!free) {
                        free = std::move(held);
                        freeWindow = window;
                    }
                } else if (draft->place && draft->place->assignment != assignment) {
                    claimed.keptForOthers.push_back(*draft->place);
                } else if (!gone) {
                    gone = std::move(held);
                    goneWindow = window;
                    claimed.restored = std::move(draft);
                }
            }
            // Another window starting at the same moment may have taken this new number first.
            if (!used && held)
                break;
        }
    } catch (const FileError& error) {
        const std::lock_guard state(m_shared->state);
        m_shared->failing = true;
        m_shared->news = error;
    }
    m_window = gone ? goneWindow : freeWindow;
    const std::lock_guard state(m_shared->state);
    m_shared->windowLock = gone ? std::move(gone) : std::move(free);
    m_shared->file.reset();
    if (m_window > 0) {
        const WorkFiles work = workFiles(folder, namePart, m_window);
        m_shared->file.emplace(files, work.draft, work.draftLock);
    }
    if (m_window == 0 && !m_shared->news) {
        m_shared->failing = true;
        m_shared->news = FileError(workFiles(folder, namePart, kMostWindows).draft,
            std::to_string(kMostWindows) + " copies of the program keep drafts of their own in this folder");
    }
    m_shared->wanted.reset();
    if (claimed.restored) {
        m_shared->wanted = std::make_shared<const std::string>(encodeDraft(*claimed.restored));
        if (claimed.restored->place)
            m_shared->wantedPlace = *claimed.restored->place;
    }
    m_shared->onDisk.reset();
    if (m_shared->wanted)
        m_shared->onDisk = *m_shared->wanted;
    return claimed;
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
    {
        const std::lock_guard state(shared.state);
        shared.saveWaiting = false;
        wanted = shared.wanted;
        if (shared.file)
            file.emplace(*shared.file);
    }
    if (!file)
        return;
    if (wanted ? shared.onDisk == *wanted : !shared.onDisk)
        return;
    try {
        if (wanted)
            file->save(*wanted);
        else
            file->remove();
        if (wanted)
            shared.onDisk = *wanted;
        else
            shared.onDisk.reset();
        const std::lock_guard state(shared.state);
        shared.failing = false;
        shared.news.reset();
    } catch (const FileError& error) {
        // The words are still in the box; the next keystroke tries again. The student hears of
        // it once, until a save works again.
        const std::lock_guard state(shared.state);
        if (wanted && !shared.failing) {
            shared.failing = true;
            shared.news = error;
            if (shared.wake)
                shared.wake();
        }
    }
}

void DraftKeeper::onNews(std::function<void()> wake)
{
    const std::lock_guard state(m_shared->state);
    m_shared->wake = std::move(wake);
}

std::optional<FileError> DraftKeeper::takeNews()
{
    const std::lock_guard state(m_shared->state);
    return std::exchange(m_shared->news, std::nullopt);
}

DraftKeeper::Hold DraftKeeper::hold()
{
    return Hold(std::unique_lock(m_shared->disk));
}

void DraftKeeper::filed()
{
    const std::lock_guard state(m_shared->state);
    m_shared->wanted.reset();
    m_shared->onDisk.reset();
}

} // namespace tolvanex
