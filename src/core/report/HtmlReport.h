// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The class report as a folder of linked static pages, no script and nothing fetched:
//   index.html            the summary, the assignments, the students and the findings
//   a005.html             an assignment: its questions' ratings and the questions students posed
//   a005-q003.html        a question: every response and note on each of its blocks
//   s0001.html            a student: their records in time order, days worked, confidence over time
// Records reach the pages as they are counted: a student's page is written once their files are
// read, and the rest of each record waits in a spool file per assignment (in the folder, removed
// at the end), so that memory holds one student's records and the counts, never the class.

#include "core/report/ClassReport.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex::report {

// A text made safe inside HTML.
std::string htmlEscape(std::string_view text);
// The same, appended to a page's text.
void appendEscaped(std::string& out, std::string_view text);
// The sentences of a text that end in a question mark, each trimmed, line breaks as blanks.
std::vector<std::string> questionsIn(std::string_view words);
// The first line of a text, cut at a blank to about `most` characters, "..." marking the cut.
std::string firstWords(std::string_view text, std::size_t most = 160);

// The pages' names.
std::string assignmentPage(std::string_view assignment);
// The page of a question; repeat counts the assignment's earlier questions of the same label.
std::string questionPage(std::string_view assignment, std::string_view questionId, std::size_t repeat = 0);
std::string studentPage(std::size_t student);
constexpr const char* kIndexPage = "index.html";
// Every index page holds this line: a folder holding one is a report, and may be replaced.
constexpr const char* kGeneratorMark = "<meta name=\"generator\" content=\"tolvanex-report\">";

class HtmlReport : public RecordSink {
public:
    // The pages go into folder, which exists and is the report's alone.
    HtmlReport(const ClassReport& report, const BankIndex& bank, std::filesystem::path folder, std::string title);
    ~HtmlReport() override;
    HtmlReport(const HtmlReport&) = delete;
    HtmlReport& operator=(const HtmlReport&) = delete;

    void counted(std::size_t student, const FiledRecord& record) override;
    // Writes the student's page while their days are at hand.
    void studentDone(std::size_t student) override;
    // The roster's names, checked against the class on the index page.
    void setRoster(std::vector<std::string> names)
    {
        m_roster = std::move(names);
        m_hasRoster = true;
    }
    // Writes the pages still to write and removes the spool files. False when a page could not be
    // written; error then names the file and the system's reason.
    bool finish(std::string& error);

private:
    struct Held {
        std::size_t id = 0;
        FiledRecord record;
    };
    struct Spool;
    void writeStudent();
    void writeStudentPage(std::size_t index, const std::vector<Held>& held);
    void writeAssignment(const std::string& number, std::string_view header, Spool* spool);
    void writeIndex();
    // A page's stream, opened for writing; checked when closed.
    std::ofstream open(const std::string& name);
    void close(std::ofstream& out, const std::string& name);
    void fail(const std::string& name, const std::string& reason);
    std::size_t indexOf(const BankBlock& block) const;

    const ClassReport& m_report;
    const BankIndex& m_bank;
    std::filesystem::path m_folder;
    std::string m_title;
    // Per block of the course: its question's page, and the question's name ("question 004").
    std::vector<std::string> m_pageOf;
    std::vector<std::string> m_questionOf;
    std::size_t m_nextId = 1;
    // The student whose records are held, and those records.
    std::size_t m_student = 0;
    std::vector<Held> m_held;
    std::vector<bool> m_studentWritten;
    std::map<std::string, std::unique_ptr<Spool>> m_spools; // by assignment
    std::map<std::string, std::size_t> m_asked; // questions posed per assignment
    std::string m_error;
    std::mutex m_failing; // two assignments' pages are written at once
    std::vector<std::string> m_roster;
    bool m_hasRoster = false;
};

} // namespace tolvanex::report
