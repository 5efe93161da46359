// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The records as CSV: each field as a spreadsheet is to read it back, and whole rows.
#include "core/report/CsvWriter.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tolvanex::report {
namespace {

const BankIndex& index()
{
    // Two questions with one label, as a problem in two steps has.
    static const testing::SmallBank lines({ "005.  Uniformly Accelerated Motion", "", "`q003.  A cart starts.", "",
        "`aIt goes 12 m.", "", "`q003.  Then it stops.", "", "`aIn 2 s." });
    static const BankIndex built(lines);
    return built;
}

TEST(CsvWriter, EachFieldAsASpreadsheetReadsItBack)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "", "" },
        { "plain words", "plain words" },
        { "a, b", "\"a, b\"" },
        { "say \"hi\"", "\"say \"\"hi\"\"\"" },
        { "two\r\nlines", "\"two\r\nlines\"" },
        { "a lone\nLF", "\"a lone\nLF\"" },
        { "a lone\rCR", "\"a lone\rCR\"" },
        // Texts a spreadsheet would take for a formula or a link get an apostrophe before them.
        { "=1+1", "'=1+1" },
        { "=HYPERLINK(\"http://x.example/\",\"click\")", "\"'=HYPERLINK(\"\"http://x.example/\"\",\"\"click\"\")\"" },
        { "=1+2", "'=1+2" },
        { " \t=1+1", "' \t=1+1" },
        { "\r\n=1+1", "\"'\r\n=1+1\"" },
        { "@SUM(A1)", "'@SUM(A1)" },
        { "+HYPERLINK(\"http://x.example/\")", "\"'+HYPERLINK(\"\"http://x.example/\"\")\"" },
        { "-2+3+cmd|' /C calc'!A0", "'-2+3+cmd|' /C calc'!A0" },
        { "-1=1", "'-1=1" },
        // Texts that begin so but are none stay as typed.
        { "-3 m/s", "-3 m/s" },
        { "-3 m/s, about", "\"-3 m/s, about\"" },
        { "+2 N", "+2 N" },
        { "@ 3 s", "@ 3 s" },
        { "a = 3", "a = 3" },
        { "'quoted'", "'quoted'" },
        { "http://x.example/", "http://x.example/" },
        { "\xCE\x94v = 3 m/s", "\xCE\x94v = 3 m/s" },
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(csvField(text), field) << text;
}

TEST(CsvWriter, RowsOfEveryRecord)
{
    std::ostringstream out;
    CsvWriter csv(out, index());
    FiledRecord record;
    record.time = "14:05:09";
    record.date = "01-07-2026";
    record.reply = "2";
    record.words = "v = 3 m/s, \"about\"\r\nthen \xCE\x94v";
    csv.write("Ann Lee", "send_0107Ann_Lee.txt", record);
    record.kind = RecordKind::Note;
    record.block = index().find("It goes 12 m.", "005");
    record.words = "-3 m/s, 4 m/s";
    record.reply = "";
    csv.write("Ann Lee", "notes_Ann_Lee.txt", record);
    // A student named so through the file's name.
    record.words = "=1+1";
    csv.write("=1+2", "=1+2/notes_=1+2.txt", record);
    // The second question of the label: its rows told apart by the question's first words.
    record.block = index().find("In 2 s.", "005");
    record.words = "ok";
    csv.write("Ann Lee", "notes_Ann_Lee.txt", record);
    EXPECT_EQ(out.str(),
        "\xEF\xBB\xBFstudent,file,date,time,assignment,question,block,record,rating,text,question_words\r\n"
        "Ann Lee,send_0107Ann_Lee.txt,2026-01-07,14:05:09,,,none,response,2,\"v = 3 m/s, \"\"about\"\"\r\nthen "
        "\xCE\x94v\",\r\n"
        "Ann Lee,notes_Ann_Lee.txt,2026-01-07,14:05:09,005,003,answer,note,,\"-3 m/s, 4 m/s\",A cart starts.\r\n"
        "'=1+2,'=1+2/notes_=1+2.txt,2026-01-07,14:05:09,005,003,answer,note,,'=1+1,A cart starts.\r\n"
        "Ann Lee,notes_Ann_Lee.txt,2026-01-07,14:05:09,005,003,answer,note,,ok,Then it stops.\r\n");
}

} // namespace
} // namespace tolvanex::report
