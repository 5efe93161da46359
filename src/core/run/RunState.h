// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What one run of the drill is made of: the state set at start-up and by reading, the window's
// boxes as the drill sees them, the services it is given, and the way a run ends. Every part of
// the drill (start-up, reader, recording) works on these; the session in core/drill owns them.

#include "core/platform/Services.h"

#include <string>

namespace tolvanex {

// The main window's controls as the drill reads and changes them. Texts are UTF-8; line breaks
// in the boxes are CR LF.
class DrillView {
public:
    virtual ~DrillView() = default;
    virtual std::string questionText() = 0;
    virtual void setQuestionText(const std::string& text) = 0;
    // The same as setQuestionText(questionText() + tail), without rebuilding the whole box.
    virtual void appendToQuestion(const std::string& tail) = 0;
    virtual std::string answerText() = 0;
    virtual void setAnswerText(const std::string& text) = 0;
    virtual void setPictureScale(double width, double height) = 0;
};

// The program end: the run stops at once, from inside whatever handler is running, with no
// message and no confirmation. The drill throws this; the window catches it where it called the
// handler, hides itself and leaves the event loop.
struct ProgramEnded { };
[[noreturn]] inline void endProgram()
{
    throw ProgramEnded {};
}

struct Services {
    Prompter& prompter;
    MessageService& messages;
    Clock& clock;
    RandomSource& random;
    FileSystem& files;
};

// The kind of the block last taken from the bank: a question, a given answer, or neither yet.
enum class LineKind { None, Question, Answer };

struct DrillState {
    std::string courseTitle;
    float codeNumber = 0;
    std::string outputFolder;
    std::string namePart;
    std::string masterFile;
    std::string sendFile;
    std::string notesFile;
    std::string assignmentNumber;
    std::string nextAssignmentNumber;
    // The standing instructions put into the answer box when the student pages on without
    // filing; an answer box holding exactly this text is not filed.
    std::string responsePrompt;
    long lineCursor = 0;

    // Reading state.
    // The bank line last taken, without the "`a" of an answer: what a filed record quotes.
    std::string lastLineRead;
    // The same text on its way into the question box ("{}" not yet turned into line breaks);
    // empty once it has been shown.
    std::string displayText;
    // The kind of the block last taken: decides which rating a response is followed by.
    LineKind currentKind = LineKind::None;
    std::string questionNumber;
    // Set when a block is shown and cleared by a filing: paging on while it is set puts the
    // response prompt back into the answer box.
    bool responsePromptFlag = false;
    // Set when a filing failed and its words were kept in the answer box: paging on then leaves
    // them there instead of putting the response prompt back. Cleared when a filing goes through
    // or the box is emptied.
    bool wordsKept = false;
    // The text last shown or filed: the question box's whole text after a block, the words of
    // the last filing, or the notes appended by the notes viewer.
    std::string entryText;
};

inline constexpr const char* kDefaultFolder = "c:\\tolvanex";
inline constexpr const char* kOpeningSeparator = "......!!!!!!!!...................................";
inline constexpr const char* kClosingSeparator = ".................................................";

} // namespace tolvanex
