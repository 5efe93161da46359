// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/CsvWriter.h"

#include "core/report/ClassReport.h"

namespace tolvanex::report {
namespace {

const char* blockKindName(const FiledRecord& record)
{
    if (!record.block)
        return record.blockText.empty() ? "none" : "unknown";
    switch (record.block->kind) {
    case BlockKind::Question:
        return "question";
    case BlockKind::Answer:
        return "answer";
    default:
        return "text";
    }
}

// Whether a spreadsheet could take the text for a formula: it begins with "=" (after blanks, tabs
// or line breaks, which some programs skip), or with "+", "-" or "@" and holds what a function
// call, a link to another program or a comparison needs. A response such as "-3 m/s" or "+2 N"
// is none and stays as typed.
bool formulaLike(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return false;
    const char lead = text[first];
    if (lead == '=')
        return true;
    return (lead == '+' || lead == '-' || lead == '@')
        && text.find_first_of("(|!=\"", first + 1) != std::string_view::npos;
}

} // namespace

std::string csvField(std::string_view text)
{
    // A text a spreadsheet could take for a formula is kept a text by an apostrophe before it,
    // the sign spreadsheets give a typed text.
    std::string guarded = formulaLike(text) ? "'" + std::string(text) : std::string(text);
    if (guarded.find_first_of(",\"\r\n") == std::string::npos)
        return guarded;
    std::string quoted = "\"";
    for (char c : guarded) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

CsvWriter::CsvWriter(std::ostream& out, const BankIndex& bank)
    : m_out(out)
    , m_bank(bank)
{
    m_out << "\xEF\xBB\xBF";
    // A column added goes last: readers find the others where they were.
    for (const char* name : { "student", "file", "date", "time", "assignment", "question", "block", "record", "rating",
             "text", "question_words" })
        field(name, std::string_view(name) == "question_words");
}

void CsvWriter::field(std::string_view text, bool last)
{
    m_out << csvField(text) << (last ? "\r\n" : ",");
}

void CsvWriter::write(const std::string& student, const std::string& file, const FiledRecord& record)
{
    field(student);
    field(file);
    field(isoDate(record.date));
    field(record.time);
    field(record.block ? record.block->assignment : std::string());
    field(record.block ? record.block->questionId : std::string());
    field(blockKindName(record));
    field(record.kind == RecordKind::Note ? "note" : "response");
    field(record.reply);
    field(record.words);
    const BankQuestion* question = record.block ? m_bank.questionOf(*record.block) : nullptr;
    field(question ? question->firstWords : std::string(), true);
}

} // namespace tolvanex::report
