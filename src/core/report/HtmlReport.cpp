// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/HtmlReport.h"

#include "core/report/Charts.h"
#include "core/report/ClassReport.h"
#include "core/report/PageStyle.h"

#include <algorithm>
#include <sstream>

namespace tolvanex::report {

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\r':
            break;
        default:
            out += c;
        }
    }
    return out;
}

void ClassReport::writeHtml(std::ostream& out, const std::string& title) const
{
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        << "<title>" << htmlEscape(title) << "</title><style>" << kStyle << "</style></head><body>\n";
    out << "<h1>" << htmlEscape(title) << "</h1>\n";
    out << "<p id=\"summary\">" << m_students.size() << " students, " << m_filesRead << " files read, "
        << m_skipped.size() << " skipped, " << m_records << " records (each counted once), " << m_findingCount
        << " findings.</p>\n";
    out << "<nav><a href=\"#assignments\">Assignments</a> &middot; <a href=\"#students\">Students</a> &middot; "
        << "<a href=\"#findings\">Findings</a></nav>\n";

    out << "<h2 id=\"assignments\">Assignments</h2>\n";
    const auto& blocks = m_bank.blocks();
    for (const auto& [number, header] : m_bank.assignments()) {
        // Questions of the assignment, each with its question block and its answer block.
        std::vector<std::size_t> questions;
        std::size_t responses = 0;
        bool notes = false;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (blocks[i].assignment != number)
                continue;
            responses += m_blocks[i].responses;
            notes = notes || !m_blocks[i].notes.empty();
            if (blocks[i].kind == BlockKind::Question)
                questions.push_back(i);
        }
        if (responses == 0 && !notes)
            continue;
        out << "<section class=\"assignment\" id=\"a" << htmlEscape(number) << "\"><h3>" << htmlEscape(header)
            << "</h3>\n<table><tr><th>Question</th><th>Students responding to the question</th>"
            << "<th>Confidence</th><th>Students responding to the answer</th><th>Self-critique</th></tr>\n";
        for (std::size_t q : questions) {
            std::size_t answerStudents = 0;
            std::array<std::size_t, kRatingBars> critique {};
            std::array<std::size_t, kRatingBars> confidence {};
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                if (blocks[i].assignment != number || blocks[i].questionId != blocks[q].questionId)
                    continue;
                if (blocks[i].kind == BlockKind::Answer)
                    answerStudents = std::max(answerStudents, m_blocks[i].students);
                for (std::size_t b = 0; b < kRatingBars; ++b) {
                    critique[b] += m_blocks[i].selfCritique[b];
                    confidence[b] += m_blocks[i].confidence[b];
                }
            }
            out << "<tr><td>" << htmlEscape(blocks[q].questionId) << "</td><td class=\"n\">" << m_blocks[q].students
                << "</td><td>" << barChart(confidence, "Confidence, question " + blocks[q].questionId)
                << "</td><td class=\"n\">" << answerStudents << "</td><td>"
                << barChart(critique, "Self-critique, question " + blocks[q].questionId) << "</td></tr>\n";
        }
        out << "</table>\n";
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (blocks[i].assignment != number || m_blocks[i].notes.empty())
                continue;
            const char* kind = blocks[i].kind == BlockKind::Question ? "question"
                : blocks[i].kind == BlockKind::Answer                ? "answer"
                                                                     : "text";
            out << "<h4>Notes on the " << kind << " block of question "
                << htmlEscape(blocks[i].questionId.empty() ? "(none)" : blocks[i].questionId) << "</h4><ul>\n";
            for (const auto& note : m_blocks[i].notes)
                out << "<li><b>" << htmlEscape(note.student) << "</b>, " << htmlEscape(note.date)
                    << ": <span class=\"words\">" << htmlEscape(note.words) << "</span></li>\n";
            out << "</ul>\n";
        }
        out << "</section>\n";
    }
    if (m_unmatched > 0)
        out << "<p>" << m_unmatched << " responses quote a block that is not in the course.</p>\n";

    out << "<h2 id=\"students\">Students</h2>\n<table><tr><th>Student</th><th>Assignments</th><th>Questions "
           "covered</th><th>Days worked</th><th>Responses</th><th>Notes</th><th>Mean confidence per day</th></tr>\n";
    std::vector<const Student*> sorted;
    for (const Student& s : m_students)
        sorted.push_back(&s);
    std::sort(sorted.begin(), sorted.end(), [](const Student* a, const Student* b) { return a->name < b->name; });
    for (const Student* s : sorted) {
        std::size_t questions = 0;
        std::string last;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (s->responded[i] && !blocks[i].questionId.empty()) {
                const std::string id = blocks[i].assignment + "/" + blocks[i].questionId;
                if (id != last)
                    ++questions;
                last = id;
            }
        }
        std::string assignments;
        for (const auto& [number, n] : s->assignments)
            assignments += (assignments.empty() ? "" : ", ") + number;
        std::vector<std::pair<std::string, double>> points;
        for (const auto& [date, day] : s->days) {
            if (day.confidenceCount > 0)
                points.emplace_back(date, day.confidenceSum / static_cast<double>(day.confidenceCount));
        }
        std::string firstDay = s->days.empty() ? "" : s->days.begin()->first;
        std::string lastDay = s->days.empty() ? "" : s->days.rbegin()->first;
        out << "<tr><td>" << htmlEscape(s->name) << "</td><td>" << htmlEscape(assignments) << "</td><td class=\"n\">"
            << questions << "</td><td class=\"n\">" << s->days.size() << " (" << htmlEscape(firstDay) << " to "
            << htmlEscape(lastDay) << ")</td><td class=\"n\">" << s->records << "</td><td class=\"n\">" << s->notes
            << "</td><td>" << ratingLine(points, "Mean confidence per day of " + s->name) << "</td></tr>\n";
    }
    out << "</table>\n";

    out << "<h2 id=\"findings\">Findings</h2>\n";
    if (m_findings.empty() && m_skipped.empty())
        out << "<p>Every file was read whole, with no finding.</p>\n";
    for (const auto& file : m_findings) {
        out << "<h3>" << htmlEscape(file.path) << "</h3><ul>\n";
        for (const Finding& finding : file.findings)
            out << "<li class=\"finding\">Line " << finding.line << ": " << htmlEscape(finding.text) << "</li>\n";
        out << "</ul>\n";
    }
    if (!m_skipped.empty()) {
        out << "<h3>Files not read</h3><ul>\n";
        for (const auto& [path, reason] : m_skipped)
            out << "<li class=\"finding\">" << htmlEscape(path) << ": " << htmlEscape(reason) << "</li>\n";
        out << "</ul>\n";
    }
    out << "</body></html>\n";
}

} // namespace tolvanex::report
