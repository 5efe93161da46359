// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The filing of a record as one transaction: under the files' lock, a journal of what it is about
// to do, the record appended to every file, put back when that fails, and finished from the
// journal when the program or the computer stopped in the middle of it.

#include "core/platform/Files.h"
#include "core/platform/Services.h"
#include "core/recording/DraftFile.h"
#include "core/recording/FilingError.h"
#include "core/recording/Journal.h"
#include "core/recording/Record.h"
#include "core/recording/WorkFiles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvanex {

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

// When an unfinished filing is finished.
enum class Finishing {
    // At start-up. A file that cannot be completed throws FileError (the journal stays, for next
    // time). The journal's name is put on stable storage once, so that filings need not sync the
    // folder for it (the journal stays, empty, between filings).
    AtStart,
    // A filing of this program's own that could not all be undone: when it cannot be completed
    // either, FilingError says what each file holds.
    OwnFiling,
};

// Files records, one filing at a time, whole in every file or not at all, and finishes a filing a
// crash or an undo that failed left unfinished.
class Filer {
public:
    // waiting: told when the filing waits for another copy of the program's lock (may be null).
    // The window's draft (work.draft, when there is one) goes once its words are filed.
    Filer(FileSystem& files, WorkFiles work, MessageService* waiting = nullptr);

    // The drafts of windows that are gone whose words the window took into its answer box, held
    // under their locks: a filing takes them with it, in its journal, as it takes the window's own.
    void takeAlong(std::vector<DraftFile> held) { m_held = std::move(held); }

    // Finishes an unfinished filing, if there is one.
    Recovery recover(Finishing when);
    // Files the record: under the lock, first finishes an unfinished filing (what that did is
    // returned), notes each file's length, writes the journal, appends and syncs every file, then
    // removes the window's draft and empties the journal. When anything fails the files are put
    // back and FilingError is thrown.
    Recovery file(const Record& record);

private:
    // What a file holds of a journal's entry. have: the bytes of the record in place; zeroTail:
    // after them, up to the file's end, NUL bytes where the rest of the record should be (a power
    // cut that kept the length but not the bytes), or its bytes.
    struct Examined {
        Holds holds = Holds::Nothing;
        std::uintmax_t have = 0;
        bool zeroTail = false;
    };
    // What putting back the files a failed filing touched left: what each holds, the failures,
    // and whether all are as they were.
    struct Undone {
        std::vector<FileHolding> holdings;
        std::vector<FileError> failures;
        bool asBefore = true;
    };

    // The lock, at once when it is free; else the student is shown that the filing waits.
    std::unique_ptr<FileLock> takeLock();
    // The same for a filing, its failure told as the record's.
    std::unique_ptr<FileLock> takeLockToFile(const Record& record);
    bool journalHolds();
    Recovery recoverLocked();
    // A filing of this program's own that cannot be finished: what each file holds.
    FilingError notFinished(const FileError& error);
    // Nothing when the file no longer matches the entry.
    std::optional<Examined> examine(const JournalEntry& entry);
    // Brings a file to hold its entry's whole record, from where it stands: what it held before;
    // nothing when it no longer matches the entry (it is left alone).
    std::optional<Holds> complete(const JournalEntry& entry);
    // The journal of the record's filing, with each file's length as it stands.
    Journal journalFor(const Record& record);
    void writeJournal(const Journal& journal);
    // The journal could not be written whole: it is taken back, and FilingError thrown.
    [[noreturn]] void journalWithdrawn(const FileError& error, const Journal& journal);
    // Appends the journal's bytes to every file; on a failure puts them back and throws.
    void append(const Journal& journal);
    Undone undo(const Journal& journal, std::size_t touched);
    // Files the record under the lock.
    Recovery fileLocked(const Record& record);
    // Empties the journal for good after an undo that put every file back: the failure, if any.
    std::optional<FileError> emptyJournalForGood();

    FileSystem& m_files;
    WorkFiles m_work;
    MessageService* m_waiting;
    std::vector<DraftFile> m_held;
};

} // namespace tolvanex
