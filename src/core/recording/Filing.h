// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Files.h"
#include "core/platform/Services.h"
#include "core/recording/Journal.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvanex {

// One record for several output files: the bytes each file is to get, built line by line. Texts
// are encoded to Windows-1252; every line ends in CR LF.
class Record {
public:
    explicit Record(std::vector<std::string> paths);

    void line(std::size_t file, std::string_view text);
    // Text with no line break after it.
    void text(std::size_t file, std::string_view text);
    // A line the program made of code page characters itself (the filler line).
    void madeLine(std::size_t file, std::string_view text);
    void lineToAll(std::string_view text);
    std::size_t fileCount() const { return m_paths.size(); }
    const std::string& path(std::size_t file) const { return m_paths.at(file); }
    const std::string& bytes(std::size_t file) const { return m_bytes.at(file); }

private:
    std::vector<std::string> m_paths;
    std::vector<std::string> m_bytes;
};

// How much of a record a file holds.
enum class Holds { Nothing, Part, Whole };

struct FileHolding {
    std::string path;
    Holds holds = Holds::Nothing;
};

// A filing that failed. It carries the first failure (file and reason). Either nothing of the
// record is in the files (restored), or some file holds part or all of it because it could not be
// put back: then the journal keeps the filing, to be completed in every file the next time the
// program files anything or starts, and holdings() says what each file holds.
class FilingError : public FileError {
public:
    explicit FilingError(const FileError& cause, bool lockBusy = false);
    FilingError(const FileError& cause, std::vector<FileHolding> holdings, std::vector<FileError> undoFailures);
    bool restored() const { return m_holdings.empty(); }
    const std::vector<FileHolding>& holdings() const { return m_holdings; }
    const std::vector<FileError>& undoFailures() const { return m_undoFailures; }
    // Another copy of the program held the files' lock for longer than the filing waits.
    bool lockBusy() const { return m_lockBusy; }

private:
    std::vector<FileHolding> m_holdings;
    std::vector<FileError> m_undoFailures;
    bool m_lockBusy = false;
};

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

// What finishing an unfinished filing did.
struct Recovery {
    // An unfinished filing was found.
    bool found = false;
    // A journal was found that was never written whole: nothing of its filing reached a file.
    bool unwritten = false;
    // Files the record was completed in (by the system's names, as are the others).
    std::vector<std::string> completed;
    // Files that no longer matched what the filing expected, left as they are.
    std::vector<std::string> leftAlone;
    // Files that hold the whole record now: completed, or whole already.
    std::vector<std::string> whole;
    // The words it filed.
    std::string words;
    // Something the student should hear of.
    bool toTell() const { return !completed.empty() || !leftAlone.empty(); }
};

// Files records, one filing at a time, whole in every file or not at all, and finishes a filing a
// crash or an undo that failed left unfinished.
class Filer {
public:
    // waiting: told when the filing waits for another copy of the program's lock (may be null).
    Filer(FileSystem& files, WorkFiles work, MessageService* waiting = nullptr);

    // Finishes an unfinished filing, if there is one. Throws FileError when a file cannot be
    // completed (the journal then stays, for next time).
    Recovery recover();
    // The same at start-up, which also puts the journal's name on stable storage once, so that
    // filings need not sync the folder for it (the journal stays, empty, between filings).
    Recovery recoverAtStart();
    // The same for a filing of this program's own that could not all be undone: when it cannot be
    // completed either, FilingError says what each file holds.
    Recovery finish();
    // Files the record: under the lock, first finishes an unfinished filing (what that did is
    // returned), notes each file's length, writes the journal, appends and syncs every file, then
    // removes the draft (removeDraft) and empties the journal. When anything fails the files are
    // put back and FilingError is thrown.
    Recovery file(const Record& record, std::string_view words, bool removeDraft);

private:
    Recovery recoverLocked();
    // The lock, at once when it is free; else the student is shown that the filing waits.
    std::unique_ptr<FileLock> takeLock();
    // The words a filing removed from the draft given, unless another window that still runs
    // keeps that draft.
    void removeFiledDraft(const Journal& journal);
    bool journalHolds();
    // The journal could not be written whole: it is taken back, and FilingError thrown.
    [[noreturn]] void journalWithdrawn(const FileError& error, const Journal& journal);
    // After an undo that put every file back: the journal emptied for good, or why not.
    bool journalEmptied(std::vector<FileError>& failures);
    // What a file holds of a journal's entry; nothing when it no longer matches. have: the bytes of
    // the record in place; zeroTail: after them, up to the file's end, NUL bytes where the rest
    // of the record should be (a power cut that kept the length but not the bytes), or its bytes.
    std::optional<FileHolding> examine(const JournalEntry& entry, std::uintmax_t& have, bool& zeroTail);
    // Puts back the files a failed filing touched; what each holds afterwards, and whether all are
    // as they were.
    std::vector<FileHolding> undo(
        const Journal& journal, std::size_t touched, std::vector<FileError>& failures, bool& asBefore);

    FileSystem& m_files;
    WorkFiles m_work;
    MessageService* m_waiting;
};

// Tells the student that a file could not be written or read: what happened, then the file and
// the system's reason.
void reportFileError(MessageService& messages, const FileError& error, std::string_view what);

// What the student is told about a failed filing.
struct FilingWords {
    // The record, as the student knows it: "Your response", "The heading of your files".
    std::string_view record;
    // What the student can do, in one or two sentences.
    std::string whatToDo;
    // The same when another copy of the program held the files too long.
    std::string whatToDoWhenBusy;
};

// Tells the student that a filing failed: "could not be saved" with the assurance that the files
// are as they were, or "could not be saved whole" with what each file holds and that the program
// will complete it; then what to do, the file and the system's reason.
void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words);

// What finishing an unfinished filing did, in words for the student (empty when nothing to tell).
std::string recoveryText(const Recovery& recovery);

} // namespace tolvanex
