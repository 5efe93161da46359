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
    explicit CsvWriter(std::ostream& out);
    void write(const std::string& student, const std::string& file, const FiledRecord& record);

private:
    void field(std::string_view text, bool last = false);
    std::ostream& m_out;
};

} // namespace tolvanex::report
