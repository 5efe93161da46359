// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What one run of the drill is made of, as the parts of the drill (start-up, reader, recording)
// hand it to each other: the values start-up settles, the block last read, what a click leads to,
// and the way a run ends.

#include <optional>
#include <string>

namespace tolvanex {

// Everything start-up settles for the rest of the run; nothing changes it afterwards.
struct RunSetup {
    std::string courseTitle;
    float codeNumber = 0;
    std::string outputFolder;
    // The student's name with "_" for each blank, as it goes into the file names.
    std::string namePart;
    std::string masterFile;
    std::string sendFile;
    std::string notesFile;
    std::string assignmentNumber;
    std::string nextAssignmentNumber;
    // The standing instructions put into the answer box when the student pages on without
    // filing; an answer box holding exactly this text is not filed.
    std::string responsePrompt;
    // The bank line of the chosen assignment's header, where reading starts.
    long headerLine = 0;
};

// The kind of the block last taken from the bank: a question, a given answer, or neither yet.
enum class LineKind { None, Question, Answer };

// The block last taken from the bank, as a filing quotes it.
struct Block {
    // The bank line last taken, without the "`a" of an answer.
    std::string lastLineRead;
    // Kept from the last question or answer line, also while text lines follow it: decides which
    // rating a response is followed by.
    LineKind kind = LineKind::None;
    std::string questionNumber;
};

// Where the keyboard focus goes once a click has been handled.
enum class Focus {
    Stay, // on the button clicked
    NextBlock, // on "Next Question / Answer": the next block is one key away
    TypeOver, // into the answer box, its text selected so that typing replaces it
    TypeOn, // into the answer box, the caret after the student's own words
    ReadAdded, // into the question box, at the start of what the click added to it
};

// What became of the words in the answer box.
enum class Filed {
    Nothing, // no filing, or the box held only the response prompt
    Response,
    Note,
    Kept, // the filing failed: the words stay in the answer box until filed or cleared
};

// What a click leads to: what the two boxes show next and where the student goes on. The window
// applies it; the drill never reads the boxes back.
// Words the window shows in itself, not in a box of their own that would take the keyboard: a
// short line to be seen, and the whole of it for a screen reader and a second look.
struct Notice {
    std::string line;
    std::string whole;
    bool operator==(const Notice&) const = default;
};

struct Outcome {
    // The question box is emptied (before anything is added).
    bool clearQuestion = false;
    // Text added at the end of the question box.
    std::string addToQuestion;
    // The answer box's new text; nothing when it stays as it is.
    std::optional<std::string> answer;
    Focus focus = Focus::Stay;
    Filed filed = Filed::Nothing;
    // The filing completed a record the student had been told was not whole.
    bool completed = false;
    // Told in the window until the next click.
    std::optional<Notice> news;
};

// Into the answer box: text the program put there (the response prompt, blanks) is selected so
// that typing replaces it; the student's own words keep the caret at their end.
Focus typingFocus(const std::string& answer, const std::string& responsePrompt);

// The program end: the run stops at once, from inside whatever handler is running, with no
// message and no confirmation. The drill throws this; the window catches it where it called the
// handler, hides itself and leaves the event loop.
struct ProgramEnded { };
[[noreturn]] inline void endProgram()
{
    throw ProgramEnded {};
}

} // namespace tolvanex
