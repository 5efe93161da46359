// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/reader/QuestionReader.h"

#include "core/text/Text.h"

namespace tolvanex {

QuestionReader::QuestionReader(DrillView& view, DrillState& state, const QuestionBank& bank)
    : m_view(view)
    , m_state(state)
    , m_bank(bank)
{
}

void QuestionReader::readNextQuestion()
{
    DrillState& s = m_state;
    if (s.responsePromptFlag && !s.wordsKept)
        m_view.setAnswerText(s.responsePrompt);
    s.responsePromptFlag = false;
    std::string text;
    while (text.empty()) {
        // Past the last line of the bank there is nothing more to read: the assignment is over.
        if (s.lineCursor >= QuestionBank::kLastIndex)
            endProgram();
        ++s.lineCursor;
        const std::string& line = m_bank.line(s.lineCursor);
        if (isQuestionLine(line)) {
            s.currentKind = LineKind::Question;
            text = line;
        } else if (isAnswerLine(line)) {
            text = line.substr(2);
            s.currentKind = LineKind::Answer;
        } else {
            text = line;
        }
    }
    s.lastLineRead = text;
    if (lowerAscii(firstChars(text, 2)) == "`q")
        s.questionNumber = plainNumber(numericValue(std::string_view(text).substr(2)));
    if (!isRoutineLine(text))
        s.responsePromptFlag = true;
    s.displayText = text;
    if (firstChars(text, 3) == s.nextAssignmentNumber)
        endProgram();
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

void QuestionReader::nextQuestion()
{
    DrillState& s = m_state;
    readNextQuestion();
    if (s.displayText.size() > 8 && isRoutineLine(s.displayText)) {
        runRoutine(routineName(s.displayText));
        s.displayText.clear();
        readNextQuestion();
    }
    s.displayText = bracesToBreaks(s.displayText);
    m_view.appendToQuestion(s.displayText);
    s.displayText.clear();
    s.entryText = m_view.questionText();
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
        const long index = m_state.lineCursor + k;
        if (!QuestionBank::validIndex(index))
            continue;
        const std::string& line = m_bank.line(index);
        if (isRoutineLine(line)) {
            runRoutine(routineName(line));
            m_state.lineCursor += k;
        }
    }
}

} // namespace tolvanex
