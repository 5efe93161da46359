// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/Roster.h"

#include "core/report/CsvWriter.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace tolvanex::report {

std::vector<std::string> readRoster(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::vector<std::string> names;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        names.emplace_back(line);
    }
    return names;
}

std::string rosterKey(std::string_view name)
{
    std::string part(name);
    std::replace(part.begin(), part.end(), ' ', '_');
    return studentKey(part);
}

RosterCheck checkRoster(const std::vector<std::string>& roster, const ClassReport& report)
{
    const auto& students = report.students();
    std::map<std::string, std::size_t> byKey;
    std::set<std::string> given; // the assignments the class responded to
    for (std::size_t i = 0; i < students.size(); ++i) {
        byKey.emplace(rosterKey(students[i].name), i);
        for (const auto& [number, responses] : students[i].assignments)
            given.insert(*number);
    }
    RosterCheck check;
    std::set<std::string> listed;
    for (const std::string& name : roster) {
        const std::string key = rosterKey(name);
        if (!listed.insert(key).second)
            continue;
        const auto found = byKey.find(key);
        if (found == byKey.end()) {
            check.sentNothing.push_back(name);
            continue;
        }
        std::vector<std::string> lacking;
        for (const std::string& number : given) {
            if (!students[found->second].assignments.contains(number))
                lacking.push_back(number);
        }
        if (!lacking.empty())
            check.missing.emplace_back(name, std::move(lacking));
    }
    for (std::size_t i = 0; i < students.size(); ++i) {
        if (!listed.contains(rosterKey(students[i].name)))
            check.notOnRoster.push_back(i);
    }
    return check;
}

void StudentSummary::counted(std::size_t student, const FiledRecord& record)
{
    if (record.kind != RecordKind::Response || !record.block)
        return;
    if (m_students.size() <= student)
        m_students.resize(student + 1);
    Assignment& assignment = m_students[student][record.block->assignment];
    if (record.block->question != kNoQuestion)
        assignment.questions.insert(record.block->question);
    const std::size_t bar = ratingBar(record.reply);
    if (record.rating == RatingKind::Confidence && bar < kRatingBars - 1) {
        assignment.confidenceSum += static_cast<double>(bar);
        ++assignment.confidenceCount;
    }
}

void StudentSummary::studentDone(std::size_t student)
{
    if (student >= m_students.size())
        return;
    for (auto& [number, assignment] : m_students[student]) {
        assignment.questionCount += assignment.questions.size();
        assignment.questions = {};
    }
}

void StudentSummary::write(std::ostream& out, const ClassReport& report) const
{
    std::set<std::string> given;
    for (const auto& assignments : m_students) {
        for (const auto& [number, counts] : assignments)
            given.insert(number);
    }
    const auto row = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            out << csvField(cells[i]) << (i + 1 < cells.size() ? "," : "\r\n");
    };
    out << "\xEF\xBB\xBF";
    std::vector<std::string> header { "student" };
    for (const std::string& number : given) {
        header.push_back(number + " questions responded to");
        header.push_back(number + " mean confidence");
    }
    row(header);
    const auto& students = report.students();
    std::vector<std::size_t> order(students.size());
    std::iota(order.begin(), order.end(), std::size_t { 0 });
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return students[a].name < students[b].name; });
    for (std::size_t index : order) {
        std::vector<std::string> cells { students[index].name };
        for (const std::string& number : given) {
            const Assignment* counts = nullptr;
            if (index < m_students.size()) {
                const auto found = m_students[index].find(number);
                if (found != m_students[index].end())
                    counts = &found->second;
            }
            cells.push_back(std::to_string(counts ? counts->questionCount + counts->questions.size() : 0));
            std::string mean;
            if (counts && counts->confidenceCount > 0) {
                char text[32];
                std::snprintf(
                    text, sizeof text, "%.2f", counts->confidenceSum / static_cast<double>(counts->confidenceCount));
                mean = text;
            }
            cells.push_back(mean);
        }
        row(cells);
    }
}

} // namespace tolvanex::report
