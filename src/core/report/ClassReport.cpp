// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/ClassReport.h"

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>

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
        if (!m_students.empty()) {
            if (m_sink)
                m_sink->studentDone(m_students.size() - 1);
            m_students.back().foldDays();
        }
        m_students.emplace_back();
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
    m_filed.clear();
    m_here.clear();
    for (const FiledRecord& record : file.records) {
        // A block of the course by its place (its text hashed once per record would cost as much as
        // reading it), another block by its text.
        const std::size_t place = record.block ? static_cast<std::size_t>(record.block - m_bank.blocks().data()) : 0;
        const std::string_view block = record.block
            ? std::string_view(reinterpret_cast<const char*>(&place), sizeof place)
            : std::string_view(record.blockText);
        const char* kind = record.kind == RecordKind::Note ? (record.block ? "n" : "nt") : (record.block ? "r" : "rt");
        if (m_filed[hashOf({ kind, record.date, record.time, block, record.words, record.reply })]++ > 0)
            continue;
        const std::size_t hash = hashOf({ kind, record.date, block, record.words, record.reply });
        std::size_t& times = m_here[hash];
        ++times;
        std::size_t& counted = m_counted[hash];
        if (times > counted) {
            counted = times;
            count(student, record);
        }
    }
}

ClassReport::Worked ClassReport::Student::worked() const
{
    if (days.empty())
        return m_worked;
    Worked worked;
    worked.days = days.size();
    worked.first = days.begin()->first;
    worked.last = days.rbegin()->first;
    for (const auto& [date, day] : days) {
        worked.confidenceSum += day.confidenceSum;
        worked.confidenceCount += day.confidenceCount;
    }
    return worked;
}

void ClassReport::Student::foldDays()
{
    m_worked = worked();
    days.clear();
    assignments.shrink();
}

void ClassReport::count(Student& student, const FiledRecord& record)
{
    ++m_records;
    if (m_sink)
        m_sink->counted(static_cast<std::size_t>(&student - m_students.data()), record);
    Day& day = student.days[isoDate(record.date)];
    ++day.records;
    if (record.kind == RecordKind::Note) {
        ++student.notes;
        if (record.block)
            ++m_blocks[static_cast<std::size_t>(record.block - m_bank.blocks().data())].notes;
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

} // namespace tolvanex::report
