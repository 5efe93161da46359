// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Drafts.h"

namespace tolvanex {

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
    std::string path;
    std::optional<std::string> wanted;
    bool saveWaiting = false;
    // What the disk holds, as far as the keeper knows.
    std::optional<std::string> onDisk;
};

DraftKeeper::DraftKeeper(FileSystem& files, Background& background)
    : m_background(background)
    , m_shared(std::make_shared<Shared>(files))
{
}

void DraftKeeper::setPath(std::string path)
{
    const std::lock_guard disk(m_shared->disk);
    const std::lock_guard state(m_shared->state);
    m_shared->path = std::move(path);
    m_shared->wanted.reset();
    m_shared->onDisk.reset();
}

void DraftKeeper::keep(std::optional<std::string> words)
{
    {
        const std::lock_guard state(m_shared->state);
        if (m_shared->path.empty() || m_shared->wanted == words)
            return;
        m_shared->wanted = std::move(words);
        if (m_shared->saveWaiting)
            return;
        m_shared->saveWaiting = true;
    }
    m_background.post([shared = m_shared] { save(*shared); });
}

void DraftKeeper::save(Shared& shared)
{
    const std::lock_guard disk(shared.disk);
    std::optional<std::string> wanted;
    std::string path;
    {
        const std::lock_guard state(shared.state);
        shared.saveWaiting = false;
        wanted = shared.wanted;
        path = shared.path;
    }
    if (wanted == shared.onDisk)
        return;
    try {
        if (wanted)
            shared.files.replaceFile(path, *wanted);
        else if (shared.files.fileLength(path))
            shared.files.removeFile(path);
        shared.onDisk = wanted;
    } catch (const FileError&) {
        // The words are still in the box; the next keystroke tries again.
    }
}

std::optional<std::string> DraftKeeper::restore()
{
    const std::lock_guard disk(m_shared->disk);
    std::optional<std::string> words;
    try {
        if (m_shared->files.fileLength(m_shared->path))
            words = m_shared->files.readAll(m_shared->path);
    } catch (const FileError&) {
        // A draft that cannot be read is no draft.
    }
    const std::lock_guard state(m_shared->state);
    m_shared->wanted = m_shared->onDisk = words;
    return words;
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
