// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/QuestionBank.h"
#include "core/platform/Services.h"
#include "core/recording/Filer.h"
#include "core/run/Run.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvanex {

// The start-up dialogue and the positioning at the chosen assignment, run by the main window's
// load event: the three prompts, the output file names, the bank filled, the assignment's header
// line found and the heading block written to the master and send files.
class StartUp {
public:
    StartUp(const Services& services, const BankContent& content);

    // Fills the bank and settles the run: course title, start-up dialogue, positioning with the
    // heading block. Throws ProgramEnded when the student cancels a second chance.
    RunSetup load(QuestionBank& bank);
    // What finishing a filing the program left unfinished last time did, as start-up found it.
    const Recovery& recovered() const { return m_recovered; }

private:
    void startUp(QuestionBank& bank);
    std::string askName();
    // The assignment number widened to three characters, and the number of the one after it.
    void setAssignmentNumbers(const std::string& reply);
    void formFileNames();
    void positionAtAssignment(const QuestionBank& bank);
    void writeHeadingBlock(const QuestionBank& bank);
    // The folder asked for again when the heading block cannot be written there; Cancel ends the
    // program.
    void askFolderAgain();
    // Finishes a filing left unfinished in the folder for this name, before anything else is filed.
    void recoverAtStart();
    void noteRecovery(const Recovery& recovery);
    // The filer for the folder and name as they stand.
    Filer filer();

    Services m_services;
    const BankContent& m_content;
    RunSetup m_setup;
    // The student answered the folder question with "1".
    bool m_folderChosen = false;
    // The assignment number as the student typed it, before it was widened.
    std::string m_assignmentTyped;
    Recovery m_recovered;
    // The folder whose heading block could not all be undone: its journal completes it.
    std::optional<std::string> m_headingUnfinishedIn;
};

// The file names of a run, as the program names them ("c:\tolvanex\masterFile_Ann_Lee.txt").
struct FileNames {
    std::string master;
    std::string send;
    std::string notes;
};
FileNames fileNames(const std::string& folder, const std::string& namePart, const LocalTime& today);

// The student's name as it goes into the file names: every blank becomes "_".
std::string namePartOf(std::string name);

} // namespace tolvanex
