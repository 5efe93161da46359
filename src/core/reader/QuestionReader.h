// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/QuestionBank.h"
#include "core/run/RunState.h"

#include <string>

namespace tolvanex {

// Paging through an assignment: takes the next block from the bank, shows it in the question
// box, runs routine lines, and ends the run at the next assignment's header line.
class QuestionReader {
public:
    QuestionReader(DrillView& view, DrillState& state, const QuestionBank& bank);

    // Advances the line cursor to the next non-empty bank line and sets the reading state from
    // it; ends the program at the next assignment's header line or past the bank's last line.
    void readNextQuestion();
    // The "Next Question / Answer" button: reads, runs a routine line, appends the block shown.
    void nextQuestion();
    // The "next picture" button: runs the routine lines among the two lines after the cursor.
    void nextPicture();
    // "graph1" to "graph3" draw nothing; "exitprog" and every other name end the program.
    void runRoutine(const std::string& routine);

    // The text with every blank and "-" taken out.
    static std::string remSpaces(const std::string& aLine);
    // Every "{}" turned into a line break (CR LF).
    static std::string bracesToBreaks(const std::string& text);

private:
    std::string routineName(const std::string& line) const;

    DrillView& m_view;
    DrillState& m_state;
    const QuestionBank& m_bank;
};

} // namespace tolvanex
