// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The instructor's roster (one name a line, as each student types it at the name prompt) against
// the class's files: who sent nothing, who sent nothing for an assignment, and names in the files
// that are not on the roster; and the gradebook's summary, a CSV row per student.

#include "core/report/ClassReport.h"

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tolvanex::report {

// The names of a roster file: UTF-8 (a byte order mark left out), a name a line, blanks around
// a name and empty lines left out.
std::vector<std::string> readRoster(std::string_view bytes);

// A name as the files know it: blanks as "_", the case left out (studentKey()).
std::string rosterKey(std::string_view name);

struct RosterCheck {
    std::vector<std::string> sentNothing; // roster names, as the roster has them
    // Roster names that sent work, with the assignments the class worked on that they sent no
    // response for.
    std::vector<std::pair<std::string, std::vector<std::string>>> missing;
    std::vector<std::size_t> notOnRoster; // the report's students
};
RosterCheck checkRoster(const std::vector<std::string>& roster, const ClassReport& report);

// Per student and assignment, the questions responded to and the mean confidence.
class StudentSummary : public RecordSink {
public:
    void counted(std::size_t student, const FiledRecord& record) override;
    // The student's questions per assignment counted, the set of them let go.
    void studentDone(std::size_t student) override;
    // A row per student by name: per assignment any student responded to, its questions responded
    // to and the mean confidence (0 to 3, two decimals; empty when none was given). UTF-8 with a
    // byte order mark, CR LF rows, every cell as csvField() writes it.
    void write(std::ostream& out, const ClassReport& report) const;

private:
    struct Assignment {
        std::set<std::size_t> questions; // while the student's files are read
        std::size_t questionCount = 0; // then
        double confidenceSum = 0;
        std::size_t confidenceCount = 0;
    };
    std::vector<std::map<std::string, Assignment>> m_students;
};

} // namespace tolvanex::report
