// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/report/FileReader.h"

#include <ostream>
#include <string>
#include <string_view>

namespace tolvanex::report {

// One field of a row: quoted as RFC 4180 says when it holds a comma, a quote or a line break; a
// text a spreadsheet could take for a formula or a link ("=1+1", "@SUM(A1)", "-1+HYPERLINK(...)")
// with an apostrophe before it, so that it opens as a text.
std::string csvField(std::string_view text);

// The CSV of every record: UTF-8 with a byte order mark, fields as csvField writes them, rows ended
// by CR LF. Spreadsheets (Excel too) open it so without asking for an encoding, and a text with
// commas, quotes or line breaks stays in one cell.
class CsvWriter {
public:
    // The question column holds the label as the course writes it; two questions of an
    // assignment may share one (004's two "004"), so the last column adds the question's first
    // words, as the pages label them.
    CsvWriter(std::ostream& out, const BankIndex& bank);
    void write(const std::string& student, const std::string& file, const FiledRecord& record);

private:
    void field(std::string_view text, bool last = false);
    std::ostream& m_out;
    const BankIndex& m_bank;
};

} // namespace tolvanex::report
