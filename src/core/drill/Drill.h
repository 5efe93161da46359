// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drill behind the main window: one run's state, and the click handlers that the window
// forwards to it. It owns the state and the bank and hands them to the parts that do the work;
// it has no windowing toolkit in it.

#include "core/bank/QuestionBank.h"
#include "core/reader/QuestionReader.h"
#include "core/recording/Recorder.h"
#include "core/run/RunState.h"
#include "core/startup/StartUp.h"

#include <string>

namespace tolvanex {

class Drill {
public:
    // content: the course the bank is filled from at start-up; the built-in course unless a test
    // brings its own.
    Drill(const Services& services, DrillView& view, const BankContent& content = builtInContent());
    Drill(const Drill&) = delete;
    Drill& operator=(const Drill&) = delete;

    // Load event: course title, start-up dialogue, positioning at the assignment with the heading
    // block. Throws ProgramEnded when the student cancels a second chance.
    void load() { m_startUp.load(); }

    // The window's buttons.
    void cmdNextQuestionClick() { m_reader.nextQuestion(); }
    void enterResponseClick() { m_recorder.enterResponse(); }
    void saveAsNotesClick() { m_recorder.saveAsNotes(); }
    void displayNotesClick() { m_recorder.displayNotes(); }
    void displaySendFileClick() { m_recorder.displaySendFile(); }
    void clearBoxClick() { m_recorder.clearBox(); }
    void nextPictureClick() { m_reader.nextPicture(); }
    void quitClick() { endProgram(); }

    void readNextQuestion() { m_reader.readNextQuestion(); }
    void runRoutine(const std::string& routine) { m_reader.runRoutine(routine); }
    std::string makeCodeLine(float codeNbr);

    DrillState& state() { return m_state; }
    const DrillState& state() const { return m_state; }
    QuestionBank& bank() { return m_bank; }

private:
    Services m_services;
    DrillState m_state;
    QuestionBank m_bank;
    StartUp m_startUp;
    QuestionReader m_reader;
    Recorder m_recorder;
};

} // namespace tolvanex
