// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The roster against the class's files, and the gradebook's summary CSV, byte for byte.
#include "core/report/Roster.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tolvanex::report {
namespace {

const BankIndex& index()
{
    static const testing::SmallBank lines({ "005.  Motion", "", "`q001.  First?", "", "`aOne.", "", "`q002.  Second?",
        "", "`aTwo.", "", "006.  Next", "", "`q001.  Third?", "", "`aThree." });
    static const BankIndex built(lines);
    return built;
}

const BankBlock* block(const std::string& assignment, BlockKind kind, std::size_t nth = 0)
{
    for (const BankBlock& b : index().blocks()) {
        if (b.assignment == assignment && b.kind == kind && nth-- == 0)
            return &b;
    }
    return nullptr;
}

FiledRecord response(const BankBlock* on, std::string reply, std::string time = "10:00:00")
{
    FiledRecord record;
    record.block = on;
    record.date = "01-07-2026";
    record.time = std::move(time);
    record.words = "w";
    record.reply = std::move(reply);
    record.rating = on->rating;
    return record;
}

// Ann: both questions of 005 (confidence 1 and 3, self-critique 0 on an answer), nothing of 006;
// Bo: 006 only; "=1+2": a name a spreadsheet would take for a formula, a note only.
void addClass(ClassReport& report)
{
    ReadFile ann;
    ann.name = { FileKind::Master, "Ann_Lee", "" };
    ann.records = { response(block("005", BlockKind::Question), "1", "10:00:00"),
        response(block("005", BlockKind::Answer), "0", "10:01:00"),
        response(block("005", BlockKind::Question, 1), "3", "10:02:00"),
        response(block("005", BlockKind::Question, 1), "sure", "10:03:00") };
    ReadFile bo;
    bo.name = { FileKind::Master, "Bo", "" };
    bo.records = { response(block("006", BlockKind::Question), "2") };
    ReadFile formula;
    formula.name = { FileKind::Notes, "=1+2", "" };
    FiledRecord note = response(block("005", BlockKind::Question), "");
    note.kind = RecordKind::Note;
    formula.records = { note };
    for (const auto& [path, file] :
        { std::pair { "masterFile_Ann_Lee.txt", &ann }, { "masterFile_Bo.txt", &bo }, { "notes_=1+2.txt", &formula } })
        report.add(path, *file);
}

TEST(Roster, NamesAsTypedAgainstTheFiles)
{
    for (const auto& [bytes, names] :
        std::vector<std::pair<std::string, std::vector<std::string>>> { { "\xEF\xBB\xBF"
                                                                          "Ann Lee\r\nBo\r\n",
                                                                            { "Ann Lee", "Bo" } },
            { "  Ann Lee \t\n\n\r\nCy", { "Ann Lee", "Cy" } }, { "", {} }, { "\r\n \r\n", {} } })
        EXPECT_EQ(readRoster(bytes), names) << bytes;
    EXPECT_EQ(rosterKey("Ann Lee"), studentKey("Ann_Lee"));
    EXPECT_EQ(rosterKey("ANN LEE"), rosterKey("ann lee"));
    EXPECT_NE(rosterKey("Ann Lee"), rosterKey("AnnLee"));

    ClassReport report(index());
    addClass(report);
    // "ann lee" is Ann Lee whatever the case; Cy sent nothing; Ann, listed twice, is checked once.
    const RosterCheck check = checkRoster({ "ann lee", "Cy", "Bo", "Ann Lee" }, report);
    EXPECT_EQ(check.sentNothing, (std::vector<std::string> { "Cy" }));
    ASSERT_EQ(check.missing.size(), 2u);
    EXPECT_EQ(check.missing[0], (std::pair<std::string, std::vector<std::string>> { "ann lee", { "006" } }));
    EXPECT_EQ(check.missing[1], (std::pair<std::string, std::vector<std::string>> { "Bo", { "005" } }));
    ASSERT_EQ(check.notOnRoster.size(), 1u);
    EXPECT_EQ(report.students()[check.notOnRoster[0]].name, "=1+2");
}

TEST(Roster, SummaryCsvRowPerStudent)
{
    ClassReport report(index());
    StudentSummary summary;
    report.setSink(&summary);
    addClass(report);
    std::ostringstream out;
    summary.write(out, report);
    // Ann's confidence: 1 and 3 (her "sure" is no number, her self-critique no confidence); the
    // name that reads as a formula opens as text.
    EXPECT_EQ(out.str(),
        "\xEF\xBB\xBFstudent,005 questions responded to,005 mean confidence,006 questions responded to,006 mean "
        "confidence\r\n"
        "'=1+2,0,,0,\r\n"
        "Ann Lee,2,2.00,0,\r\n"
        "Bo,0,,1,2.00\r\n");
}

} // namespace
} // namespace tolvanex::report
