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

} // namespace

CsvWriter::CsvWriter(std::ostream& out)
    : m_out(out)
{
    m_out << "\xEF\xBB\xBF";
    for (const char* name :
        { "student", "file", "date", "time", "assignment", "question", "block", "record", "rating", "text" })
        field(name, std::string_view(name) == "text");
}

void CsvWriter::field(std::string_view text, bool last)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        m_out << text;
    } else {
        m_out << '"';
        for (char c : text) {
            if (c == '"')
                m_out << '"';
            m_out << c;
        }
        m_out << '"';
    }
    m_out << (last ? "\r\n" : ",");
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
    field(record.words, true);
}

} // namespace tolvanex::report
