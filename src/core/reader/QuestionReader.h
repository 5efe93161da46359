// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/QuestionBank.h"
#include "core/run/Run.h"

#include <string>

namespace tolvanex {

// Paging through an assignment: takes the next block from the bank, gives it to the question box,
// runs routine lines, and ends the run at the next assignment's header line.
class QuestionReader {
public:
    // The setup is the run's, settled by start-up before the first block is read.
    QuestionReader(const QuestionBank& bank, const RunSetup& setup);

    // Puts the line cursor on the assignment's header line, where reading starts.
    void start();

    // Advances the line cursor to the next non-empty bank line and takes it as the block; ends the
    // program at the next assignment's header line or past the bank's last line. True when the
    // response prompt is to go back into the answer box first: the student paged on without
    // filing, and the box holds no words that a failed filing kept there (keepAnswer).
    bool readNextQuestion(bool keepAnswer);
    // "Next Question / Answer": reads, runs a routine line, and gives the block to the question
    // box. answer: what the answer box holds.
    Outcome nextQuestion(const std::string& answer, bool keepAnswer);
    // "next picture": runs the routine lines among the two lines after the cursor.
    void nextPicture();
    // "graph1" to "graph3" draw nothing; "exitprog" and every other name end the program.
    void runRoutine(const std::string& routine);
    // A filing went through: paging on leaves the answer box as it is.
    void answered() { m_responsePromptFlag = false; }

    const Block& block() const { return m_block; }
    long lineCursor() const { return m_lineCursor; }
    // Set when a block is shown and cleared by a filing: paging on while it is set puts the
    // response prompt back into the answer box.
    bool responsePromptFlag() const { return m_responsePromptFlag; }

    // The text with every blank and "-" taken out.
    static std::string remSpaces(const std::string& aLine);
    // Every "{}" turned into a line break (CR LF).
    static std::string bracesToBreaks(const std::string& text);

private:
    std::string routineName(const std::string& line) const;

    const QuestionBank& m_bank;
    const RunSetup& m_setup;
    long m_lineCursor = 0;
    Block m_block;
    bool m_responsePromptFlag = false;
    // The text taken, on its way into the question box ("{}" not yet turned into line breaks).
    std::string m_displayText;
};

} // namespace tolvanex
