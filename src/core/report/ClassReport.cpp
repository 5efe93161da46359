// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/ClassReport.h"

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>
#include <unordered_set>

namespace tolvanex::report {
namespace {

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string displayName(std::string namePart)
{
    std::replace(namePart.begin(), namePart.end(), '_', ' ');
    return namePart;
}

// A block's first line, cut at about 40 characters.
std::string firstLine(std::string_view text)
{
    std::string line(text.substr(0, text.find_first_of("\r\n")));
    if (line.size() > 40) {
        const std::size_t blank = line.find(' ', 40);
        if (blank != std::string::npos)
            line = line.substr(0, blank) + " ...";
    }
    return line;
}

constexpr std::array<std::size_t, kRatingBars> kNoRatings {};

constexpr const char* kBarLabels[kRatingBars] = { "0", "1", "2", "3", "other" };

// A small bar chart: one bar per rating, its count above it.
std::string barChart(const std::array<std::size_t, kRatingBars>& counts, const std::string& what)
{
    const std::size_t most = std::max<std::size_t>(1, *std::max_element(counts.begin(), counts.end()));
    std::ostringstream svg;
    std::ostringstream title;
    title << what << ":";
    for (std::size_t i = 0; i < kRatingBars; ++i)
        title << " " << kBarLabels[i] << ": " << counts[i] << (i + 1 < kRatingBars ? "," : "");
    svg << "<svg class=\"chart\" role=\"img\" width=\"170\" height=\"70\" viewBox=\"0 0 170 70\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(title.str()) << "</title>";
    for (std::size_t i = 0; i < kRatingBars; ++i) {
        const double height = 40.0 * static_cast<double>(counts[i]) / static_cast<double>(most);
        const double x = 4.0 + 33.0 * static_cast<double>(i);
        svg << "<rect x=\"" << x << "\" y=\"" << 52.0 - height << "\" width=\"26\" height=\"" << height
            << "\" class=\"bar\"/>";
        svg << "<text x=\"" << x + 13 << "\" y=\"" << 48.0 - height << "\" text-anchor=\"middle\">" << counts[i]
            << "</text>";
        svg << "<text x=\"" << x + 13 << "\" y=\"66\" text-anchor=\"middle\">" << kBarLabels[i] << "</text>";
    }
    svg << "</svg>";
    return svg.str();
}

// Mean ratings per day worked, as a line of points (0 at the bottom, 3 at the top).
std::string ratingLine(const std::vector<std::pair<std::string, double>>& points, const std::string& what)
{
    std::ostringstream svg;
    const double width = 200;
    svg << "<svg class=\"chart\" role=\"img\" width=\"210\" height=\"50\" viewBox=\"0 0 210 50\" "
           "xmlns=\"http://www.w3.org/2000/svg\"><title>"
        << htmlEscape(what) << "</title><rect x=\"4\" y=\"4\" width=\"202\" height=\"40\" class=\"frame\"/>";
    std::string path;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = 5
            + (points.size() == 1 ? width / 2
                                  : width * static_cast<double>(i) / static_cast<double>(points.size() - 1));
        const double y = 43 - 38 * std::clamp(points[i].second, 0.0, 3.0) / 3.0;
        svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"2\" class=\"dot\"/>";
        path += (i == 0 ? "M" : " L") + std::to_string(x) + " " + std::to_string(y);
    }
    if (points.size() > 1)
        svg << "<path d=\"" << path << "\" class=\"line\"/>";
    svg << "</svg>";
    return svg.str();
}

const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #111; }
h1 { font-size: 1.5em; } h2 { font-size: 1.25em; margin-top: 1.5em; border-bottom: 1px solid #888; }
h3 { font-size: 1.05em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; vertical-align: top; text-align: left; }
td.n { text-align: right; }
.chart text { font-size: 10px; fill: #111; }
.bar { fill: #3a6ea5; } .frame { fill: none; stroke: #ccc; } .dot { fill: #a53a3a; }
.line { fill: none; stroke: #a53a3a; stroke-width: 1; }
.words { white-space: pre-wrap; }
.finding { color: #8a1c1c; }
@media print { body { margin: 0; } h2 { break-after: avoid; } table, tr, svg { break-inside: avoid; } }
)";

} // namespace

std::size_t ratingBar(std::string_view reply)
{
    const std::string value = trimmed(reply);
    if (value.size() == 1 && value[0] >= '0' && value[0] <= '3')
        return static_cast<std::size_t>(value[0] - '0');
    return kRatingBars - 1;
}

std::string isoDate(std::string_view date)
{
    if (date.size() != 10 || date[2] != '-' || date[5] != '-')
        return {};
    return std::string(date.substr(6, 4)) + "-" + std::string(date.substr(0, 2)) + "-" + std::string(date.substr(3, 2));
}

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

ClassReport::ClassReport(const BankIndex& bank)
    : m_bank(bank)
    , m_blocks(bank.blocks().size())
{
}

const ClassReport::BlockStats& ClassReport::stats(const BankBlock& block) const
{
    return m_blocks.at(static_cast<std::size_t>(&block - m_bank.blocks().data()));
}

std::vector<ClassReport::QuestionRow> ClassReport::questionRows(std::string_view assignment) const
{
    const auto& blocks = m_bank.blocks();
    std::vector<QuestionRow> rows;
    for (const BankQuestion& question : m_bank.questions()) {
        if (blocks[question.block].assignment != assignment)
            continue;
        rows.push_back({ question.label, &question, &m_blocks[question.block],
            question.answer ? &m_blocks[*question.answer] : nullptr });
        for (std::size_t text : question.texts) {
            if (m_blocks[text].responses > 0)
                rows.push_back({ question.label + ", text: " + firstLine(blocks[text].text), &question, nullptr,
                    &m_blocks[text] });
        }
    }
    return rows;
}

void ClassReport::add(const std::string& path, const ReadFile& file)
{
    if (!file.skipped.empty()) {
        m_skipped.emplace_back(path, file.skipped);
        return;
    }
    ++m_filesRead;
    if (!file.findings.empty()) {
        m_findings.push_back({ path, file.findings });
        m_findingCount += file.findings.size();
    }
    std::string key = studentKey(file.name.namePart);
    if (m_students.empty() || m_students.back().key != key) {
        m_students.push_back({});
        m_students.back().name = displayName(file.name.namePart);
        m_students.back().key = std::move(key);
        m_students.back().responded.assign(m_blocks.size(), false);
        m_counted.clear();
    }
    Student& student = m_students.back();
    ++student.files;
    // A record is in the master file and again in a send file (a note in the notes file too): it
    // counts as often as one file holds it at different times. Across files the time is left
    // out (each copy reads the clock); within a file the same record at the same time is one
    // filing written twice, counted once.
    std::unordered_map<std::size_t, std::size_t> here;
    std::unordered_set<std::size_t> filed;
    for (const FiledRecord& record : file.records) {
        const std::string_view block = record.block ? record.block->text : std::string_view(record.blockText);
        const char* kind = record.kind == RecordKind::Note ? "n" : "r";
        if (!filed.insert(hashOf({ kind, record.date, record.time, block, record.words, record.reply })).second)
            continue;
        const std::size_t hash = hashOf({ kind, record.date, block, record.words, record.reply });
        std::size_t& times = here[hash];
        ++times;
        std::size_t& counted = m_counted[hash];
        if (times > counted) {
            counted = times;
            count(student, record);
        }
    }
}

void ClassReport::count(Student& student, const FiledRecord& record)
{
    ++m_records;
    Day& day = student.days[isoDate(record.date)];
    ++day.records;
    if (record.kind == RecordKind::Note) {
        ++student.notes;
        if (record.block)
            m_blocks[static_cast<std::size_t>(record.block - m_bank.blocks().data())].notes.push_back(
                { student.name, isoDate(record.date), record.words });
        return;
    }
    ++student.records;
    if (!record.block) {
        ++m_unmatched;
        return;
    }
    const auto index = static_cast<std::size_t>(record.block - m_bank.blocks().data());
    BlockStats& stats = m_blocks[index];
    ++stats.responses;
    if (!student.responded[index]) {
        student.responded[index] = true;
        ++stats.students;
    }
    ++student.assignments[record.block->assignment];
    const std::size_t bar = ratingBar(record.reply);
    if (record.rating == RatingKind::Confidence) {
        ++stats.confidence[bar];
        if (bar < 4) {
            day.confidenceSum += static_cast<double>(bar);
            ++day.confidenceCount;
        }
    } else if (record.rating == RatingKind::SelfCritique) {
        ++stats.selfCritique[bar];
        if (bar < 4) {
            day.critiqueSum += static_cast<double>(bar);
            ++day.critiqueCount;
        }
    }
}

std::string ClassReport::summary() const
{
    std::ostringstream out;
    out << "Files read: " << m_filesRead << ", skipped: " << m_skipped.size() << "\n";
    out << "Students: " << m_students.size() << ", records: " << m_records << " (each counted once)\n";
    out << "Findings: " << m_findingCount << " in " << m_findings.size() << " file(s)\n";
    std::size_t shown = 0;
    for (const auto& file : m_findings) {
        for (const Finding& finding : file.findings) {
            if (shown++ < 8)
                out << "  " << file.path << ":" << finding.line << ": " << finding.text << "\n";
        }
    }
    for (const auto& [path, reason] : m_skipped) {
        if (shown++ < 8)
            out << "  " << path << ": skipped: " << reason << "\n";
    }
    if (shown > 8)
        out << "  ... and " << shown - 8 << " more in the report\n";
    return out.str();
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

    out << "<h2 id=\"assignments\">Assignments</h2>\n<p>Students are counted once per block; ratings count per "
           "response (a student who responded to a block twice counts twice in its chart).</p>\n";
    const auto& blocks = m_bank.blocks();
    for (const auto& [number, header] : m_bank.assignments()) {
        std::size_t responses = 0;
        bool notes = false;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (blocks[i].assignment != number)
                continue;
            responses += m_blocks[i].responses;
            notes = notes || !m_blocks[i].notes.empty();
        }
        if (responses == 0 && !notes)
            continue;
        out << "<section class=\"assignment\" id=\"a" << htmlEscape(number) << "\"><h3>" << htmlEscape(header)
            << "</h3>\n<table><tr><th>Question</th><th>Students responding to the question</th>"
            << "<th>Confidence</th><th>Students responding to the answer</th><th>Self-critique</th></tr>\n";
        // A row per question: its own block, and its answer block; a row more for each other block
        // after it that was responded to. Every count is the block's own.
        const auto cells = [&](const BlockStats* counted, const std::array<std::size_t, kRatingBars>& ratings,
                               const std::string& what) {
            if (!counted) {
                out << "<td class=\"n\">-</td><td></td>";
                return;
            }
            out << "<td class=\"n\">" << counted->students;
            if (counted->responses != counted->students)
                out << " (" << counted->responses << " responses)";
            out << "</td><td>" << barChart(ratings, what) << "</td>";
        };
        for (const QuestionRow& row : questionRows(number)) {
            out << "<tr><td>" << htmlEscape(row.label) << "</td>";
            cells(row.asked, row.asked ? row.asked->confidence : kNoRatings, "Confidence, question " + row.label);
            cells(row.answered, row.answered ? row.answered->selfCritique : kNoRatings,
                "Self-critique, question " + row.label);
            out << "</tr>\n";
        }
        out << "</table>\n";
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (blocks[i].assignment != number || m_blocks[i].notes.empty())
                continue;
            const char* kind = blocks[i].kind == BlockKind::Question ? "question"
                : blocks[i].kind == BlockKind::Answer                ? "answer"
                                                                     : "text";
            std::string label = "(none)";
            for (const BankQuestion& question : m_bank.questions()) {
                if (question.block == blocks[i].question)
                    label = question.label;
            }
            out << "<h4>Notes on the " << kind << " block of question " << htmlEscape(label) << "</h4><ul>\n";
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
        std::set<std::size_t> covered;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (s->responded[i] && blocks[i].question != kNoQuestion)
                covered.insert(blocks[i].question);
        }
        const std::size_t questions = covered.size();
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
