// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the student is told when a file cannot be written or read, when a filing fails, and what
// finishing an unfinished filing did.

#include "core/platform/Services.h"
#include "core/recording/Filer.h"
#include "core/recording/FilingError.h"

#include <string>
#include <string_view>

namespace tolvanex {

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
    // The same when the file itself cannot be written (open in another program, read-only): its
    // {trouble} and {remedy} are filled in.
    std::string whatToDoForTheFile;
};

// A path as the student reads it: a separator typed twice in a row (a folder typed with one at its
// end) shown once, as the system reads it too; a network path keeps its two at the start.
std::string shownPath(std::string_view path);

// Tells the student that a filing failed: "could not be saved" with the assurance that the files
// are as they were, or "could not be saved whole" with what each file holds and that the program
// will complete it; then what to do, the file and the system's reason.
void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words);

// What finishing an unfinished filing did, in words for the student (empty when nothing to tell).
std::string recoveryText(const Recovery& recovery);

// That a record the student was told is not whole is now whole in every file (recovery.whole).
std::string nowWholeText(std::string_view record, const Recovery& recovery);

} // namespace tolvanex
