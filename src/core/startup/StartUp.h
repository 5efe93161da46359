// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/QuestionBank.h"
#include "core/run/RunState.h"

#include <string>

namespace tolvanex {

// The start-up dialogue and the positioning at the chosen assignment, run by the main window's
// load event: the three prompts, the output file names, the bank filled, the assignment's header
// line found and the heading block written to the master and send files.
class StartUp {
public:
    StartUp(
        const Services& services, DrillView& view, DrillState& state, QuestionBank& bank, const BankContent& content);

    // Course title, start-up dialogue, positioning with the heading block. Throws ProgramEnded
    // when the student cancels a second chance.
    void load();

    static std::string responsePromptText();

private:
    void startUp();
    // The assignment number widened to three characters, and the number of the one after it.
    void setAssignmentNumbers(const std::string& reply);
    void formFileNames();
    void positionAtAssignment();
    bool findAssignmentHeader();
    void writeHeadingBlock();
    // Second chances at start-up: the name when it cannot go into a file name, the folder when the
    // heading block cannot be written there. Cancel ends the program.
    void askNameAgain(const std::string& problem);
    void askFolderAgain();

    Services m_services;
    DrillView& m_view;
    DrillState& m_state;
    QuestionBank& m_bank;
    const BankContent& m_content;
    // The student answered the folder question with "1".
    bool m_folderChosen = false;
};

} // namespace tolvanex
