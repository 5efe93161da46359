// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading back the files a student's program wrote: heading blocks, response and notes records,
// each matched to the block of the course it answers, and what is wrong with a file, each a
// finding with its line. The grammar is in doc/report-format.md.

#include "core/report/BankIndex.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex::report {

enum class FileKind { Master, Send, Notes, Other };

// What a file name says: the kind, the student's name part ("Student_One") and a send file's MMDD.
struct FileName {
    FileKind kind = FileKind::Other;
    std::string namePart;
    std::string mmdd;
};
// The kind and the student's name part in any case ("SEND_0107Ann_Lee.TXT"), and of a copy
// ("send_0107Ann_Lee (1).txt", "masterFile_Ann_Lee - Copy.txt", "Copy of notes_Ann_Lee.txt");
// FileKind::Other for any other name.
FileName parseFileName(std::string_view fileName);
// The name part as Windows compares file names, case aside: the files of "Ann_Lee" and "ann_lee"
// are one student's, as they were one file on the student's disk.
std::string studentKey(std::string_view namePart);

struct Heading {
    std::size_t line = 0; // 1-based
    std::string assignment; // as typed after "assignment #"
    std::string header;
    std::string course;
    std::string date; // MM-DD-YYYY
};

enum class RecordKind { Response, Note };

struct FiledRecord {
    RecordKind kind = RecordKind::Response;
    std::size_t line = 0; // 1-based, the record's opening separator
    std::string time; // HH:MM:SS
    // The note's own date; otherwise the date of the heading block above it (MM-DD-YYYY), or empty.
    std::string date;
    std::string questionNumber; // the master file's "`questionNumber" value, as written
    const BankBlock* block = nullptr; // the block of the course the record quotes, if any
    // The quoted text when it is no block of the course (every line break CR LF); empty when the
    // record quotes a block of the course, or none (filed before the student paged to any block).
    std::string blockText;
    std::string words; // the response or the note's words
    RatingKind rating = RatingKind::None;
    std::string reply; // what the student typed at the rating prompt
};

struct Finding {
    std::size_t line = 0; // 1-based; 0 for the file as a whole
    std::string text;
};

struct ReadFile {
    FileName name;
    // Why the file was not read at all (empty when it was read).
    std::string skipped;
    std::vector<Heading> headings;
    std::vector<FiledRecord> records;
    std::vector<Finding> findings;
};

// One hash of several texts.
std::size_t hashOf(std::initializer_list<std::string_view> parts);

// Reads one file's bytes. Never throws on what the bytes hold.
ReadFile readFile(std::string_view fileName, std::string_view bytes, const BankIndex& bank);

// File text back to UTF-8: Windows-1252, with each "[U+XXXX]" the writer made for a character the
// code page lacks turned back into that character.
std::string decodeFiled(std::string_view bytes);

} // namespace tolvanex::report
