// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Filing.h"

#include "core/recording/Cp1252.h"
#include "core/recording/Drafts.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace tolvanex {

Record::Record(std::vector<std::string> paths)
    : m_paths(std::move(paths))
    , m_bytes(m_paths.size())
{
}

void Record::line(std::size_t file, std::string_view text)
{
    std::string& bytes = m_bytes.at(file);
    bytes += encodeCp1252(text);
    bytes += "\r\n";
}

void Record::text(std::size_t file, std::string_view text)
{
    m_bytes.at(file) += encodeCp1252(text);
}

void Record::madeLine(std::size_t file, std::string_view text)
{
    std::string& bytes = m_bytes.at(file);
    bytes += encodeCp1252Made(text);
    bytes += "\r\n";
}

void Record::lineToAll(std::string_view text)
{
    for (std::size_t file = 0; file < m_paths.size(); ++file)
        line(file, text);
}

FilingError::FilingError(const FileError& cause, bool lockBusy)
    : FileError(cause)
    , m_lockBusy(lockBusy)
{
}

FilingError::FilingError(const FileError& cause, std::vector<FileHolding> holdings, std::vector<FileError> undoFailures)
    : FileError(cause)
    , m_holdings(std::move(holdings))
    , m_undoFailures(std::move(undoFailures))
{
}

WorkFiles workFiles(const std::string& folder, const std::string& namePart, int window)
{
    const std::string number = std::to_string(window);
    const auto named = [&](std::string_view text) {
        return fill(text, { { "folder", folder }, { "name", namePart }, { "window", number } });
    };
    return { named(texts::journalFile), window > 0 ? named(texts::draftFile) : std::string(), named(texts::lockFile),
        window > 0 ? named(texts::draftLockFile) : std::string() };
}

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

} // namespace

Filer::Filer(FileSystem& files, WorkFiles work, MessageService* waiting)
    : m_files(files)
    , m_work(std::move(work))
    , m_waiting(waiting)
{
}

std::optional<FileHolding> Filer::examine(const JournalEntry& entry, std::uintmax_t& have, bool& zeroTail)
{
    have = 0;
    zeroTail = false;
    const std::optional<std::uintmax_t> length = m_files.fileLength(entry.path);
    const std::uintmax_t before = entry.lengthBefore.value_or(0);
    if (!length)
        return entry.lengthBefore ? std::nullopt : std::optional(FileHolding { entry.path, Holds::Nothing });
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
        have = same;
        // Bytes after a whole record are another's; within the record's range, only NUL bytes
        // (the length reached the disk, the bytes did not) may stand where its bytes should.
        if (same < after.size() && same < bytes.size()) {
            if (after.size() > bytes.size())
                return std::nullopt;
            for (std::size_t i = same; i < after.size(); ++i) {
                if (after[i] != '\0' && after[i] != bytes[i])
                    return std::nullopt;
            }
            zeroTail = true;
        }
    }
    const Holds holds = zeroTail || (have > 0 && have < entry.bytes.size()) ? Holds::Part
        : have == 0                                                         ? Holds::Nothing
                                                                            : Holds::Whole;
    return FileHolding { entry.path, holds };
}

namespace {

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

Recovery Filer::recover()
{
    if (!journalHolds())
        return {};
    const auto lock = takeLock();
    return recoverLocked();
}

Recovery Filer::recoverAtStart()
{
    // Without a journal, the first filing makes one and puts its name on stable storage.
    if (!m_files.fileLength(m_work.journal))
        return {};
    const auto lock = takeLock();
    Recovery recovery = recoverLocked();
    m_files.replaceFile(m_work.journal, "");
    return recovery;
}

Recovery Filer::finish()
{
    try {
        return recover();
    } catch (const FileError& error) {
        std::vector<FileHolding> holdings;
        try {
            if (const auto journal = decodeJournal(m_files.readAll(m_work.journal))) {
                for (const JournalEntry& entry : journal->entries) {
                    std::uintmax_t have = 0;
                    bool zeroTail = false;
                    FileHolding held = examine(entry, have, zeroTail).value_or(FileHolding { entry.path, Holds::Part });
                    held.path = m_files.systemPath(held.path);
                    holdings.push_back(std::move(held));
                }
            }
        } catch (const FileError&) {
        }
        if (holdings.empty())
            holdings.push_back({ error.systemPath(), Holds::Part });
        throw FilingError(error, std::move(holdings), {});
    }
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
        std::uintmax_t have = 0;
        bool zeroTail = false;
        const std::optional<FileHolding> found = examine(entry, have, zeroTail);
        const std::string named = m_files.systemPath(entry.path);
        if (!found) {
            recovery.leftAlone.push_back(named);
            continue;
        }
        recovery.whole.push_back(named);
        if (found->holds == Holds::Whole)
            continue;
        // NUL bytes where the record should be are cut off and the record's bytes written there.
        if (zeroTail)
            m_files.cutBack(entry.path, entry.lengthBefore.value_or(0) + have);
        const auto file = m_files.openForAppend(entry.path);
        file->write(std::string_view(entry.bytes).substr(static_cast<std::size_t>(have)));
        file->commit();
        recovery.completed.push_back(named);
    }
    // The draft goes once the words are filed everywhere.
    if (recovery.leftAlone.empty())
        removeFiledDraft(*journal);
    m_files.emptyFile(m_work.journal);
    return recovery;
}

void Filer::removeFiledDraft(const Journal& journal)
{
    if (journal.draftFile.empty() || !m_files.fileLength(journal.draftFile))
        return;
    // Another window's draft is its own while that window runs: it is touched only when its lock
    // is free, the window gone.
    std::unique_ptr<FileLock> gone;
    if (journal.draftFile != m_work.draft) {
        gone = m_files.tryLock(journal.draftLock);
        if (!gone)
            return;
    }
    // Unless it holds other words by now than the filing's, or than it held when the filing began.
    const std::string draft = m_files.readAll(journal.draftFile);
    const std::optional<Draft> held = decodeDraft(draft);
    if ((held && held->words == journal.words) || (!journal.draft.empty() && draft == journal.draft))
        m_files.removeFile(journal.draftFile);
}

void Filer::journalWithdrawn(const FileError& error, const Journal& journal)
{
    const std::string& first = journal.entries.front().path;
    // The journal's bytes may stand in it although its sync failed: left there, they would file
    // the record later, which the student is told is not in the files. No record file was touched.
    std::vector<FileError> failures;
    if (journalEmptied(failures))
        throw FilingError(asRecordFile(error, first));
    try {
        m_files.emptyFile(m_work.journal);
        if (m_files.fileLength(m_work.journal).value_or(0) == 0)
            throw FilingError(asRecordFile(error, first));
    } catch (const FilingError&) {
        throw;
    } catch (const FileError& failure) {
        failures.push_back(failure);
    }
    // It stays: the student is told that the program completes the filing, which it then does, once.
    std::vector<FileHolding> holdings;
    for (const JournalEntry& entry : journal.entries)
        holdings.push_back({ m_files.systemPath(entry.path), Holds::Nothing });
    throw FilingError(asRecordFile(error, first), std::move(holdings), std::move(failures));
}

bool Filer::journalEmptied(std::vector<FileError>& failures)
{
    try {
        // Emptied on stable storage: the journal must not bring back what was taken out.
        m_files.overwriteFile(m_work.journal, "");
        return true;
    } catch (const FileError& error) {
        // The journal stays, and with it the filing: the record will be completed.
        failures.push_back(error);
        return false;
    }
}

std::vector<FileHolding> Filer::undo(
    const Journal& journal, std::size_t touched, std::vector<FileError>& failures, bool& asBefore)
{
    std::vector<FileHolding> holdings;
    asBefore = true;
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry& entry = journal.entries[i];
        std::uintmax_t have = 0;
        bool zeroTail = false;
        std::optional<FileHolding> found;
        try {
            found = examine(entry, have, zeroTail);
            // Only bytes this filing wrote are taken out: a file of another length is left alone.
            if (i < touched && found && (found->holds != Holds::Nothing || !entry.lengthBefore)) {
                if (!entry.lengthBefore)
                    removeIfThere(m_files, entry.path);
                else
                    m_files.cutBack(entry.path, *entry.lengthBefore);
            }
        } catch (const FileError& error) {
            failures.push_back(error);
        }
        // As it was: none of the record in it, and a file the filing made is gone again.
        try {
            found = examine(entry, have, zeroTail);
            asBefore = asBefore && found && found->holds == Holds::Nothing
                && (entry.lengthBefore || !m_files.fileLength(entry.path));
        } catch (const FileError&) {
            found.reset();
            asBefore = false;
        }
        holdings.push_back({ m_files.systemPath(entry.path), found ? found->holds : Holds::Part });
    }
    return holdings;
}

Recovery Filer::file(const Record& record, std::string_view words, bool removeDraft)
{
    const std::string& first = record.path(0);
    std::unique_ptr<FileLock> lock;
    Recovery recovered;
    Journal journal;
    journal.words = words;
    try {
        try {
            lock = takeLock();
        } catch (const LockBusy& error) {
            throw FilingError(asRecordFile(error, first), true);
        } catch (const FileError& error) {
            throw asRecordFile(error, first);
        }
        recovered = recoverLocked();
        for (std::size_t file = 0; file < record.fileCount(); ++file)
            journal.entries.push_back({ record.path(file), m_files.fileLength(record.path(file)), record.bytes(file) });
        removeDraft = removeDraft && !m_work.draft.empty();
        if (removeDraft) {
            journal.draftFile = m_work.draft;
            journal.draftLock = m_work.draftLock;
            if (m_files.fileLength(m_work.draft))
                journal.draft = m_files.readAll(m_work.draft);
        }
        try {
            m_files.overwriteFile(m_work.journal, encodeJournal(journal));
        } catch (const FileError& error) {
            journalWithdrawn(error, journal);
        }
    } catch (const FilingError&) {
        throw;
    } catch (const FileError& error) {
        // No byte of the record has reached a record file.
        throw FilingError(error);
    }
    std::size_t touched = 0;
    try {
        for (const JournalEntry& entry : journal.entries) {
            ++touched;
            const auto file = m_files.openForAppend(entry.path);
            file->write(entry.bytes);
            file->commit();
        }
    } catch (const FileError& error) {
        std::vector<FileError> failures;
        bool restored = false;
        std::vector<FileHolding> holdings = undo(journal, touched, failures, restored);
        if (restored && journalEmptied(failures))
            throw FilingError(error);
        throw FilingError(error, std::move(holdings), std::move(failures));
    }
    // Filed. What is left is tidying: a draft or journal that stays is dealt with next time. The
    // draft's removal is on stable storage before the journal goes: a draft that came back after
    // a power cut would bring filed words back. A journal that comes back finds its record whole.
    try {
        if (removeDraft)
            removeIfThere(m_files, m_work.draft);
        m_files.emptyFile(m_work.journal);
    } catch (const FileError&) {
    }
    return recovered;
}

namespace {

std::string fileAndReason(const FileError& error)
{
    std::string text = fill(texts::fileLine, { { "file", error.systemPath() } });
    if (error.systemPath() != error.path())
        text += "\n" + fill(texts::programsName, { { "path", error.path() } });
    return text + "\n" + fill(texts::reasonLine, { { "reason", error.reason() } });
}

} // namespace

void reportFileError(MessageService& messages, const FileError& error, std::string_view what)
{
    messages.showMessage(std::string(what) + "\n\n" + fileAndReason(error));
}

void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words)
{
    std::string text;
    if (error.restored()) {
        text = fill(texts::notSaved, { { "record", words.record } });
    } else {
        text = fill(texts::notSavedWhole, { { "record", words.record } });
        for (const FileHolding& file : error.holdings()) {
            const std::string_view holds = file.holds == Holds::Whole ? texts::holdsWhole
                : file.holds == Holds::Part                           ? texts::holdsPart
                                                                      : texts::holdsNothing;
            text += "\n" + fill(holds, { { "file", file.path } });
        }
        for (const FileError& failure : error.undoFailures())
            text += "\n" + fill(texts::reasonLine, { { "reason", failure.systemPath() + ": " + failure.reason() } });
        text += "\n" + std::string(texts::willComplete);
    }
    const std::string& whatToDo
        = error.lockBusy() && !words.whatToDoWhenBusy.empty() ? words.whatToDoWhenBusy : words.whatToDo;
    messages.showMessage(text + "\n\n" + whatToDo + "\n\n" + fileAndReason(error));
}

std::string recoveryText(const Recovery& recovery)
{
    const auto joined = [](const std::vector<std::string>& paths) {
        std::string list;
        for (const std::string& path : paths)
            list += (list.empty() ? "" : ", ") + path;
        return list;
    };
    std::string text;
    if (!recovery.completed.empty())
        text = fill(texts::recoveredCompleted, { { "files", joined(recovery.completed) } });
    if (!recovery.leftAlone.empty())
        text += (text.empty() ? "" : "\n")
            + fill(texts::recoveredLeftAlone, { { "files", joined(recovery.leftAlone) } });
    return text;
}

} // namespace tolvanex
