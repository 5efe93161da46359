// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Filer.h"

#include "core/text/Texts.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tolvanex {
namespace {

// The lock and the journal live beside the record files: when they cannot be made, it is the
// folder that is at fault, and the student is told of the record's first file, which the same
// reason keeps from being written.
FileError asRecordFile(const FileError& error, const std::string& recordFile)
{
    const std::string& native = error.systemPath();
    const std::size_t cut = native.find_last_of("/\\");
    const std::size_t name = recordFile.find_last_of('\\');
    const std::string systemName = cut == std::string::npos || error.systemPath() == error.path()
        ? std::string()
        : native.substr(0, cut + 1) + recordFile.substr(name == std::string::npos ? 0 : name + 1);
    return FileError(recordFile, error.reason(), systemName);
}

// Removes a file that may already be gone.
void removeIfThere(FileSystem& files, const std::string& path)
{
    if (files.fileLength(path))
        files.removeFile(path);
}

// Shows the student that the filing waits, for as long as it lives.
class Waiting {
public:
    explicit Waiting(MessageService* messages)
        : m_messages(messages)
    {
        if (m_messages)
            m_messages->showWaiting(std::string(texts::waitingForOtherCopy));
    }
    ~Waiting()
    {
        if (m_messages)
            m_messages->endWaiting();
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    MessageService* m_messages;
};

} // namespace

Filer::Filer(FileSystem& files, WorkFiles work, MessageService* waiting)
    : m_files(files)
    , m_work(std::move(work))
    , m_waiting(waiting)
{
}

std::optional<Filer::Examined> Filer::examine(const JournalEntry& entry)
{
    Examined examined;
    const std::optional<std::uintmax_t> length = m_files.fileLength(entry.path);
    const std::uintmax_t before = entry.lengthBefore.value_or(0);
    if (!length)
        return entry.lengthBefore ? std::nullopt : std::optional(examined);
    if (*length < before)
        return std::nullopt;
    if (*length > before) {
        const std::string content = m_files.readAll(entry.path);
        if (content.size() != *length)
            return std::nullopt;
        const std::string_view after = std::string_view(content).substr(static_cast<std::size_t>(before));
        const std::string_view bytes = entry.bytes;
        std::size_t same = 0;
        while (same < after.size() && same < bytes.size() && after[same] == bytes[same])
            ++same;
        examined.have = same;
        // Bytes after a whole record are another's; within the record's range, only NUL bytes
        // (the length reached the disk, the bytes did not) may stand where its bytes should.
        if (same < after.size() && same < bytes.size()) {
            if (after.size() > bytes.size())
                return std::nullopt;
            for (std::size_t i = same; i < after.size(); ++i) {
                if (after[i] != '\0' && after[i] != bytes[i])
                    return std::nullopt;
            }
            examined.zeroTail = true;
        }
    }
    examined.holds = examined.zeroTail || (examined.have > 0 && examined.have < entry.bytes.size()) ? Holds::Part
        : examined.have == 0                                                                        ? Holds::Nothing
                                                                                                    : Holds::Whole;
    return examined;
}

std::unique_ptr<FileLock> Filer::takeLock()
{
    if (auto held = m_files.tryLock(m_work.lock))
        return held;
    const Waiting waiting(m_waiting);
    return m_files.lock(m_work.lock);
}

bool Filer::journalHolds()
{
    return m_files.fileLength(m_work.journal).value_or(0) > 0;
}

Recovery Filer::recover(Finishing when)
{
    if (when == Finishing::AtStart) {
        // Without a journal, the first filing makes one and puts its name on stable storage.
        if (!m_files.fileLength(m_work.journal))
            return {};
        const auto lock = takeLock();
        Recovery recovery = recoverLocked();
        m_files.replaceFile(m_work.journal, "");
        return recovery;
    }
    try {
        if (!journalHolds())
            return {};
        const auto lock = takeLock();
        return recoverLocked();
    } catch (const FileError& error) {
        throw notFinished(error);
    }
}

FilingError Filer::notFinished(const FileError& error)
{
    std::vector<FileHolding> holdings;
    try {
        if (const auto journal = decodeJournal(m_files.readAll(m_work.journal))) {
            for (const JournalEntry& entry : journal->entries) {
                const std::optional<Examined> found = examine(entry);
                holdings.push_back({ m_files.systemPath(entry.path), found ? found->holds : Holds::Part });
            }
        }
    } catch (const FileError&) {
    }
    if (holdings.empty())
        holdings.push_back({ error.systemPath(), Holds::Part });
    return FilingError(error, std::move(holdings), {});
}

Recovery Filer::recoverLocked()
{
    Recovery recovery;
    if (!journalHolds())
        return recovery;
    const std::string bytes = m_files.readAll(m_work.journal);
    const std::optional<Journal> journal = decodeJournal(bytes);
    // A journal that is not whole was cut short while it was written, before any record file was
    // touched: there is nothing to finish.
    if (!journal) {
        m_files.emptyFile(m_work.journal);
        recovery.unwritten = true;
        return recovery;
    }
    recovery.found = true;
    // The program that wrote the journal may have stopped before its name was on stable storage:
    // it is written again, so that a power cut while the files are completed cannot lose it.
    m_files.replaceFile(m_work.journal, bytes);
    recovery.words = journal->words;
    // Each file is completed from where it stands: the bytes it lacks are appended, so that
    // stopping in the middle of this leaves the journal to do the rest next time.
    for (const JournalEntry& entry : journal->entries) {
        const std::string named = m_files.systemPath(entry.path);
        const std::optional<Holds> held = complete(entry);
        if (!held) {
            recovery.leftAlone.push_back(named);
            continue;
        }
        recovery.whole.push_back(named);
        if (*held != Holds::Whole)
            recovery.completed.push_back(named);
    }
    // The drafts go once the words are filed everywhere: the window's own, and those of windows
    // that are gone whose words it filed (this window's while it holds their locks).
    if (recovery.leftAlone.empty()) {
        DraftFile(m_files, journal->draftFile, journal->draftLock)
            .removeFiled(journal->words, journal->draft, journal->draftFile == m_work.draft);
        for (const JournalDraft& held : journal->heldDrafts) {
            const bool own = std::any_of(
                m_held.begin(), m_held.end(), [&held](const DraftFile& mine) { return mine.path() == held.file; });
            DraftFile(m_files, held.file, held.lock).removeFiled(journal->words, held.bytes, own);
        }
    }
    m_files.emptyFile(m_work.journal);
    return recovery;
}

std::optional<Holds> Filer::complete(const JournalEntry& entry)
{
    const std::optional<Examined> found = examine(entry);
    if (!found || found->holds == Holds::Whole)
        return found ? std::optional(found->holds) : std::nullopt;
    // NUL bytes where the record should be are cut off and the record's bytes written there.
    if (found->zeroTail)
        m_files.cutBack(entry.path, entry.lengthBefore.value_or(0) + found->have);
    const auto file = m_files.openForAppend(entry.path);
    file->write(std::string_view(entry.bytes).substr(static_cast<std::size_t>(found->have)));
    file->commit();
    return found->holds;
}

std::unique_ptr<FileLock> Filer::takeLockToFile(const Record& record)
{
    try {
        return takeLock();
    } catch (const LockBusy& error) {
        throw FilingError::busy(asRecordFile(error, record.path(0)));
    } catch (const FileError& error) {
        throw FilingError(asRecordFile(error, record.path(0)));
    }
}

Journal Filer::journalFor(const Record& record)
{
    Journal journal;
    journal.words = record.words();
    for (std::size_t file = 0; file < record.fileCount(); ++file)
        journal.entries.push_back({ record.path(file), m_files.fileLength(record.path(file)), record.bytes(file) });
    if (!m_work.draft.empty()) {
        journal.draftFile = m_work.draft;
        journal.draftLock = m_work.draftLock;
        journal.draft = DraftFile(m_files, m_work.draft, m_work.draftLock).bytes();
    }
    for (DraftFile& held : m_held) {
        std::string bytes = held.bytes();
        if (!bytes.empty())
            journal.heldDrafts.push_back({ held.path(), held.lockPath(), std::move(bytes) });
    }
    return journal;
}

void Filer::writeJournal(const Journal& journal)
{
    try {
        m_files.overwriteFile(m_work.journal, encodeJournal(journal));
    } catch (const FileError& error) {
        journalWithdrawn(error, journal);
    }
}

void Filer::journalWithdrawn(const FileError& error, const Journal& journal)
{
    const FileError cause = asRecordFile(error, journal.entries.front().path);
    // The journal's bytes may stand in it although its sync failed: left there, they would file
    // the record later, which the student is told is not in the files. No record file was touched.
    const std::optional<FileError> notEmptied = emptyJournalForGood();
    if (!notEmptied)
        throw FilingError(cause);
    std::vector<FileError> failures { *notEmptied };
    try {
        m_files.emptyFile(m_work.journal);
        if (m_files.fileLength(m_work.journal).value_or(0) == 0)
            throw FilingError(cause);
    } catch (const FilingError&) {
        throw;
    } catch (const FileError& failure) {
        failures.push_back(failure);
    }
    // It stays: the student is told that the program completes the filing, which it then does, once.
    std::vector<FileHolding> holdings;
    for (const JournalEntry& entry : journal.entries)
        holdings.push_back({ m_files.systemPath(entry.path), Holds::Nothing });
    throw FilingError(cause, std::move(holdings), std::move(failures));
}

std::optional<FileError> Filer::emptyJournalForGood()
{
    try {
        // Emptied on stable storage: the journal must not bring back what was taken out.
        m_files.overwriteFile(m_work.journal, "");
        return std::nullopt;
    } catch (const FileError& error) {
        // The journal stays, and with it the filing: the record will be completed.
        return error;
    }
}

Filer::Undone Filer::undo(const Journal& journal, std::size_t touched)
{
    Undone undone;
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry& entry = journal.entries[i];
        try {
            const std::optional<Examined> found = examine(entry);
            // Only bytes this filing wrote are taken out: a file of another length is left alone.
            if (i < touched && found && (found->holds != Holds::Nothing || !entry.lengthBefore)) {
                if (!entry.lengthBefore)
                    removeIfThere(m_files, entry.path);
                else
                    m_files.cutBack(entry.path, *entry.lengthBefore);
            }
        } catch (const FileError& error) {
            undone.failures.push_back(error);
        }
        // As it was: none of the record in it, and a file the filing made is gone again.
        std::optional<Examined> found;
        try {
            found = examine(entry);
            undone.asBefore = undone.asBefore && found && found->holds == Holds::Nothing
                && (entry.lengthBefore || !m_files.fileLength(entry.path));
        } catch (const FileError&) {
            found.reset();
            undone.asBefore = false;
        }
        undone.holdings.push_back({ m_files.systemPath(entry.path), found ? found->holds : Holds::Part });
    }
    return undone;
}

void Filer::append(const Journal& journal)
{
    std::size_t touched = 0;
    try {
        // Every file gets its bytes before any is synced: the first sync then takes all of them to
        // the disk in one go, and the others find little left to do.
        std::vector<std::unique_ptr<AppendFile>> files;
        for (const JournalEntry& entry : journal.entries) {
            ++touched;
            files.push_back(m_files.openForAppend(entry.path));
            files.back()->write(entry.bytes);
        }
        for (const auto& file : files)
            file->commit();
    } catch (const FileError& error) {
        Undone undone = undo(journal, touched);
        if (undone.asBefore) {
            const std::optional<FileError> notEmptied = emptyJournalForGood();
            if (!notEmptied)
                throw FilingError(error);
            undone.failures.push_back(*notEmptied);
        }
        throw FilingError(error, std::move(undone.holdings), std::move(undone.failures));
    }
}

Recovery Filer::file(const Record& record)
{
    // In a folder that holds none of the record's files yet, the journal and the lock this filing
    // makes go again when it files nothing: a folder the student is then asked to replace keeps
    // no file of the program's.
    bool folderUsed = true;
    try {
        folderUsed = m_files.fileLength(m_work.journal) || m_files.fileLength(m_work.lock);
        for (std::size_t file = 0; file < record.fileCount() && !folderUsed; ++file)
            folderUsed = m_files.fileLength(record.path(file)).has_value();
    } catch (const FileError&) {
        // The lock says why the folder cannot be used.
    }
    auto lock = takeLockToFile(record);
    try {
        return fileLocked(record);
    } catch (const FilingError& error) {
        if (!folderUsed && error.restored()) {
            try {
                removeIfThere(m_files, m_work.journal);
                // Removed while held: a copy that opened it meanwhile finds it gone once it has
                // the lock, and makes it anew.
                removeIfThere(m_files, m_work.lock);
            } catch (const FileError&) {
                // Left empty, they do no harm.
            }
        }
        throw;
    }
}

Recovery Filer::fileLocked(const Record& record)
{
    Recovery recovered;
    Journal journal;
    try {
        recovered = recoverLocked();
        journal = journalFor(record);
        writeJournal(journal);
    } catch (const FilingError&) {
        throw;
    } catch (const FileError& error) {
        // No byte of the record has reached a record file.
        throw FilingError(error);
    }
    append(journal);
    // Filed. What is left is tidying: a draft or journal that stays is dealt with next time. The
    // drafts' removal is on stable storage before the journal goes: a draft that came back after
    // a power cut would bring filed words back. A journal that comes back finds its record whole.
    try {
        if (!m_work.draft.empty())
            DraftFile(m_files, m_work.draft, m_work.draftLock).remove();
        for (const JournalDraft& held : journal.heldDrafts)
            DraftFile(m_files, held.file, held.lock).remove();
        m_files.emptyFile(m_work.journal);
    } catch (const FileError&) {
    }
    return recovered;
}

} // namespace tolvanex
