// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a class's files say, summed up as they are read: per block of the course, per student,
// and the findings per file; every record as CSV rows on the way. The pages are HtmlReport's.

#include "core/report/FileReader.h"
#include "core/report/HashCounts.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tolvanex::report {

// A rating's bar: 0 to 3, or anything else typed.
constexpr std::size_t kRatingBars = 5;
std::size_t ratingBar(std::string_view reply);

// Told of each record as it is counted (each once), with the student's place among the report's
// students; a student's records come one after another.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void counted(std::size_t student, const FiledRecord& record) = 0;
    // The student's files are all read: no record of theirs comes after this.
    virtual void studentDone(std::size_t /*student*/) { }
};

// Several sinks, each told in turn.
class RecordSinks : public RecordSink {
public:
    explicit RecordSinks(std::vector<RecordSink*> sinks)
        : m_sinks(std::move(sinks))
    {
    }
    void counted(std::size_t student, const FiledRecord& record) override
    {
        for (RecordSink* sink : m_sinks)
            sink->counted(student, record);
    }
    void studentDone(std::size_t student) override
    {
        for (RecordSink* sink : m_sinks)
            sink->studentDone(student);
    }

private:
    std::vector<RecordSink*> m_sinks;
};

// Numbers by assignment ("005"), in the order of the assignments' numbers: a student's few dozen
// in one block, each kept by the bank's own text of its number (a map's node and a copy of the
// number each would be most of a class's memory after the files to read).
class AssignmentCounts {
public:
    using Entry = std::pair<const std::string*, std::size_t>;
    // The number of an assignment; `number` is the bank's, and outlives the counts.
    std::size_t& operator[](const std::string& number)
    {
        const auto at = find(m_entries, number);
        if (at != m_entries.end() && *at->first == number)
            return at->second;
        return m_entries.insert(at, { &number, 0 })->second;
    }
    bool contains(const std::string& number) const
    {
        const auto at = find(m_entries, number);
        return at != m_entries.end() && *at->first == number;
    }
    // No room kept for more: the student's files are all read.
    void shrink() { m_entries.shrink_to_fit(); }
    std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

private:
    template <typename Entries>
    static auto find(Entries& entries, const std::string& number) -> decltype(entries.begin())
    {
        return std::lower_bound(entries.begin(), entries.end(), number,
            [](const Entry& entry, const std::string& wanted) { return *entry.first < wanted; });
    }

    std::vector<Entry> m_entries;
};

class ClassReport {
public:
    explicit ClassReport(const BankIndex& bank);

    // Adds a file that was read (or skipped). Files of one student (one studentKey()) are to come
    // one after another (their records are counted once across the master, send and notes files).
    void add(const std::string& path, const ReadFile& file);
    void setSink(RecordSink* sink) { m_sink = sink; }
    // Room for this many students made at once, not grown by doubling as they come.
    void reserveStudents(std::size_t students) { m_students.reserve(students); }
    // A few lines for the terminal.
    std::string summary() const;

    std::size_t filesRead() const { return m_filesRead; }
    std::size_t filesSkipped() const { return m_skipped.size(); }
    std::size_t findingCount() const { return m_findingCount; }
    std::size_t recordCount() const { return m_records; }
    std::size_t studentCount() const { return m_students.size(); }

    struct BlockStats {
        std::size_t responses = 0;
        std::size_t students = 0;
        std::array<std::size_t, kRatingBars> confidence {};
        std::array<std::size_t, kRatingBars> selfCritique {};
        // The notes on the block; their words go to the pages as they are counted, never held.
        std::size_t notes = 0;
    };
    const BlockStats& stats(const BankBlock& block) const;

    // A row of an assignment's table: a question with its answer, or another block after the
    // question that was responded to (a text block, rated as the answer is). Each count is its
    // block's own, never merged with another block's of the same label.
    struct QuestionRow {
        std::string label; // "004", "004 (A car moving ...)", "004, text: Look at the graph."
        const BankQuestion* question = nullptr;
        const BlockStats* asked = nullptr; // the question block's counts; none on a text block's row
        const BlockStats* answered = nullptr; // the answer or text block's counts; none when there is none
    };
    std::vector<QuestionRow> questionRows(std::string_view assignment) const;

    struct Day {
        std::size_t records = 0;
        double confidenceSum = 0;
        std::size_t confidenceCount = 0;
        double critiqueSum = 0;
        std::size_t critiqueCount = 0;
    };
    // The days a student worked, summed up.
    struct Worked {
        std::size_t days = 0;
        std::string first; // YYYY-MM-DD, or empty
        std::string last;
        double confidenceSum = 0;
        std::size_t confidenceCount = 0;
    };
    struct Student {
        std::string name; // as the first of the student's files spells it
        std::string key; // studentKey() of the name part
        std::vector<bool> responded; // per bank block
        AssignmentCounts assignments; // responses per assignment
        // By YYYY-MM-DD, while the student's files are read and their page is written (a sink's
        // studentDone()); then summed up in worked(), so that a class of a term holds no day of
        // a student but the one being read.
        std::map<std::string, Day> days;
        std::size_t records = 0;
        std::size_t notes = 0;
        std::size_t files = 0;

        Worked worked() const;
        void foldDays();

    private:
        Worked m_worked;
    };
    struct FileFindings {
        std::string path;
        std::vector<Finding> findings;
    };
    const std::vector<Student>& students() const { return m_students; }
    const std::vector<FileFindings>& findings() const { return m_findings; }
    const std::vector<std::pair<std::string, std::string>>& skipped() const { return m_skipped; }
    std::size_t unmatched() const { return m_unmatched; }

private:
    void count(Student& student, const FiledRecord& record);

    const BankIndex& m_bank;
    std::vector<BlockStats> m_blocks;
    std::size_t m_unmatched = 0;
    std::vector<Student> m_students;
    // The current student's records counted so far: how often each was in one file at most.
    HashCounts m_counted;
    // The current file's records: each filing once, and how often each record is in it.
    HashCounts m_filed;
    HashCounts m_here;
    std::vector<FileFindings> m_findings;
    std::vector<std::pair<std::string, std::string>> m_skipped;
    std::size_t m_filesRead = 0;
    std::size_t m_findingCount = 0;
    std::size_t m_records = 0;
    RecordSink* m_sink = nullptr;
};

// "01-07-2026" as "2026-01-07"; empty when it is no date.
std::string isoDate(std::string_view date);

} // namespace tolvanex::report
