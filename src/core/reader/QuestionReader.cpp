// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/reader/QuestionReader.h"

#include "core/text/Text.h"

namespace tolvanex {

QuestionReader::QuestionReader(const QuestionBank& bank, const RunSetup& setup)
    : m_bank(bank)
    , m_setup(setup)
{
}

void QuestionReader::start()
{
    m_lineCursor = m_setup.headerLine;
}

bool QuestionReader::readNextQuestion(bool keepAnswer)
{
    const bool promptBack = m_responsePromptFlag && !keepAnswer;
    m_responsePromptFlag = false;
    std::string text;
    while (text.empty()) {
        // Past the last line of the bank there is nothing more to read: the assignment is over.
        if (m_lineCursor >= QuestionBank::kLastIndex)
            endProgram();
        ++m_lineCursor;
        const std::string& line = m_bank.line(m_lineCursor);
        if (isQuestionLine(line)) {
            m_block.kind = LineKind::Question;
            text = line;
        } else if (isAnswerLine(line)) {
            text = line.substr(2);
            m_block.kind = LineKind::Answer;
        } else {
            text = line;
        }
    }
    m_block.lastLineRead = text;
    if (lowerAscii(firstChars(text, 2)) == "`q")
        m_block.questionNumber = plainNumber(numericValue(std::string_view(text).substr(2)));
    if (!isRoutineLine(text))
        m_responsePromptFlag = true;
    m_displayText = std::move(text);
    if (firstChars(m_displayText, 3) == m_setup.nextAssignmentNumber)
        endProgram();
    return promptBack;
}

std::string QuestionReader::remSpaces(const std::string& aLine)
{
    std::string result;
    result.reserve(aLine.size());
    for (char c : aLine) {
        if (c != ' ' && c != '-')
            result += c;
    }
    return result;
}

std::string QuestionReader::routineName(const std::string& line) const
{
    return lowerAscii(remSpaces(line.size() > 9 ? line.substr(9) : std::string()));
}

Outcome QuestionReader::nextQuestion(const std::string& answer, bool keepAnswer)
{
    // The answer box is only ever given the response prompt here: the second reading after a
    // routine line never asks for it, a routine line leaving the flag cleared.
    bool promptBack = readNextQuestion(keepAnswer);
    if (m_displayText.size() > 8 && isRoutineLine(m_displayText)) {
        runRoutine(routineName(m_displayText));
        m_displayText.clear();
        promptBack = readNextQuestion(keepAnswer) || promptBack;
    }
    Outcome outcome;
    outcome.addToQuestion = bracesToBreaks(m_displayText);
    m_displayText.clear();
    if (promptBack)
        outcome.answer = m_setup.responsePrompt;
    outcome.focus = typingFocus(outcome.answer.value_or(answer), m_setup.responsePrompt);
    return outcome;
}

std::string QuestionReader::bracesToBreaks(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '{' && at + 1 < text.size() && text[at + 1] == '}') {
            result += "\r\n";
            ++at;
        } else {
            result += text[at];
        }
    }
    return result;
}

void QuestionReader::runRoutine(const std::string& routine)
{
    const std::string name = lowerAscii(routine);
    if (name == "graph1" || name == "graph2" || name == "graph3")
        return;
    // "exitprog", and every name the program does not know, end the program.
    endProgram();
}

void QuestionReader::nextPicture()
{
    for (long k = 1; k <= 2; ++k) {
        const long index = m_lineCursor + k;
        if (!QuestionBank::validIndex(index))
            continue;
        const std::string& line = m_bank.line(index);
        if (isRoutineLine(line)) {
            runRoutine(routineName(line));
            m_lineCursor += k;
        }
    }
}

} // namespace tolvanex
