// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Recorder.h"

#include "core/recording/Coding.h"
#include "core/recording/Cp1252.h"
#include "core/recording/RecordWriter.h"
#include "core/text/Text.h"

namespace tolvanex {
namespace {

constexpr const char* kConfidencePrompt
    = "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you have no confidence "
      "in your answer, 1 means you have some confidence, 2 means you are pretty confident and 3 means you are "
      "certain of your answer:";
constexpr const char* kSelfCritiquePrompt
    = "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique was necessary "
      "on this question but was not given, 1 indicates that self-critique was necessary but the given "
      "self-critique was not adequate, 2 indicates that self-critique was necessary and was mostly adequate, and 3 "
      "indicates that either self-critique was not necessary or that after reading the solution everything was "
      "completely obvious so you skipped the self-critique.";

constexpr const char* kCheckTheFolder = "Make sure the folder can be written to and the disk has room (and that "
                                        "a removable drive is still plugged in)";

constexpr std::size_t kMaster = 0;
constexpr std::size_t kSend = 1;

// 36 blanks, then the text.
std::string indented(const std::string& text)
{
    return std::string(36, ' ') + text;
}

// Lines of a file read back: a line ends at CR or at CR LF; a lone LF stays in the line.
std::vector<std::string> fileLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t cr = text.find('\r', start);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

} // namespace

Recorder::Recorder(const Services& services, DrillView& view, DrillState& state)
    : m_services(services)
    , m_view(view)
    , m_state(state)
{
}

void Recorder::enterResponse()
{
    const DrillState& s = m_state;
    fileRecord({ s.masterFile, s.sendFile }, "Your response", "Enter Response", [&](RecordWriter& writer) {
        const std::string response = m_view.answerText();
        const double numberValue = numericValue(s.assignmentNumber) * 10000 + numericValue(s.questionNumber);
        writer.lineToAll(kOpeningSeparator);
        writer.line(kMaster, indented(timeText(m_services.clock.now())));
        writer.line(kSend, indented(timeText(m_services.clock.now())));
        writer.line(kMaster, "\r\n\r\n`questionNumber" + writtenNumber(numberValue));
        writer.line(kMaster, code(s.lastLineRead, s.codeNumber));
        writer.line(kSend, code(s.lastLineRead, s.codeNumber));
        writer.lineToAll(kOpeningSeparator);
        writer.lineToAll("RESPONSE -->  ");
        writer.line(kMaster, code(response, s.codeNumber));
        writer.line(kSend, code(response, s.codeNumber));
        if (s.currentKind == LineKind::Question) {
            writer.lineToAll("confidence assessment:  " + m_services.prompter.ask(kConfidencePrompt).value_or(""));
        } else if (s.currentKind == LineKind::Answer) {
            rateSelfCritique(writer);
        }
        writer.lineToAll(kClosingSeparator);
        return response;
    });
}

void Recorder::fileRecord(const std::vector<std::string>& paths, const std::string& record, const std::string& button,
    const std::function<std::string(RecordWriter&)>& build)
{
    DrillState& s = m_state;
    // An answer box holding only the response prompt files nothing; the boxes are emptied all the same.
    if (m_view.answerText() != s.responsePrompt) {
        try {
            RecordWriter writer(m_services.files, paths);
            const std::string entry = build(writer);
            writer.commit();
            s.responsePromptFlag = false;
            s.entryText = entry;
        } catch (const FilingError& error) {
            keepWords(error, record, button);
            return;
        }
    }
    s.wordsKept = false;
    m_view.setQuestionText("");
    m_view.setAnswerText("");
}

void Recorder::keepWords(const FilingError& error, const std::string& record, const std::string& button)
{
    // The words stay in the answer box, and paging on leaves them there, until they are filed or
    // the student clears the box.
    m_state.wordsKept = true;
    reportFilingError(m_services.messages, error,
        { record,
            std::string("Your words are still in the answer box. ") + kCheckTheFolder + ", then click \"" + button
                + "\" again: they will be filed once." });
}

void Recorder::rateSelfCritique(RecordWriter& writer)
{
    writer.lineToAll("self critique assessment: " + m_services.prompter.ask(kSelfCritiquePrompt).value_or(""));
}

void Recorder::saveAsNotes()
{
    const DrillState& s = m_state;
    fileRecord({ s.masterFile, s.sendFile, s.notesFile }, "Your note", "Save as Notes", [&](RecordWriter& writer) {
        const std::string entry = "NOTES -------> " + m_view.answerText();
        writer.lineToAll(kOpeningSeparator);
        for (std::size_t file = 0; file < 3; ++file)
            writer.line(file, indented(timeText(m_services.clock.now())));
        for (std::size_t file = 0; file < 3; ++file) {
            const LocalTime now = m_services.clock.now();
            writer.line(file, indented(dateText(now) + timeText(now)));
        }
        for (std::size_t file = 0; file < 3; ++file)
            writer.line(file, code(s.lastLineRead, s.codeNumber));
        writer.lineToAll(kOpeningSeparator);
        for (std::size_t file = 0; file < 3; ++file)
            writer.line(file, code(entry, s.codeNumber));
        // The send and notes files end the record without a line break. Text written after a
        // print separator is padded to the start of the next print zone, the lines being
        // divided into zones of 14 columns (1-14, 15-28, ...): after the 49 full stops that
        // is column 57, so seven blanks follow, and the next record continues that line.
        writer.line(kMaster, kClosingSeparator);
        writer.text(kSend, std::string(kClosingSeparator) + "       ");
        writer.text(2, std::string(kClosingSeparator) + "       ");
        return entry;
    });
}

void Recorder::displayNotes()
{
    std::string bytes;
    try {
        bytes = m_services.files.readAll(m_state.notesFile);
    } catch (const FileError& error) {
        reportFileError(m_services.messages, error,
            "Your notes cannot be shown: there are no notes yet, or the notes file cannot be "
            "read.");
        return;
    }
    for (const std::string& line : fileLines(decodeCp1252(bytes)))
        m_state.entryText += line;
    m_view.appendToQuestion(m_state.entryText);
}

void Recorder::displaySendFile()
{
    std::string bytes;
    try {
        bytes = m_services.files.readAll(m_state.sendFile);
    } catch (const FileError& error) {
        reportFileError(m_services.messages, error, "Today's send file cannot be shown.");
        return;
    }
    std::string shown;
    for (const std::string& line : fileLines(decodeCp1252(bytes))) {
        shown += "\r\n";
        shown += line;
    }
    m_view.appendToQuestion(shown);
}

void Recorder::clearBox()
{
    m_state.wordsKept = false;
    m_view.setAnswerText("");
}

} // namespace tolvanex
