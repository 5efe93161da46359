// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drill behind the main window: one run, and the click handlers that the window forwards to
// it. Each handler takes what the boxes hold as values and returns what they show next (Outcome);
// the drill hands the values each part needs of another across, and has no windowing toolkit in it.

#include "core/bank/QuestionBank.h"
#include "core/platform/Services.h"
#include "core/reader/QuestionReader.h"
#include "core/recording/DraftKeeper.h"
#include "core/recording/Recorder.h"
#include "core/run/Run.h"
#include "core/startup/StartUp.h"

#include <string>

namespace tolvanex {

class Drill {
public:
    // content: the course the bank is filled from at start-up; the built-in course unless a test
    // brings its own.
    explicit Drill(const Services& services, const BankContent& content = builtInContent());
    Drill(const Drill&) = delete;
    Drill& operator=(const Drill&) = delete;

    // Load event: start-up dialogue, positioning at the assignment with the heading block; a filing
    // left unfinished last time is finished, and words typed and not filed come back: into the
    // answer box when they were typed at the block on the screen, else when the student pages on
    // to their block; the student is told of all in one message. Throws ProgramEnded when the
    // student cancels a second chance. The same as start() and then claimWords().
    Outcome load();
    // The load event up to the heading block, all that must be done before the window shows.
    void start();
    // The rest, before the student can type: the window's draft is claimed, words typed and not
    // filed come back, and the student is told of these and of what start() finished.
    Outcome claimWords();

    // The window's buttons. question, answer: what the two boxes hold at the click.
    Outcome nextQuestion(const std::string& question, const std::string& answer);
    Outcome enterResponse(const std::string& answer);
    Outcome saveAsNotes(const std::string& answer);
    Outcome displayNotes() { return m_recorder.displayNotes(); }
    Outcome displaySendFile() { return m_recorder.displaySendFile(); }
    Outcome clearBox();
    Outcome nextPicture();
    [[noreturn]] void quit() { endProgram(); }
    // The student typed: what the answer box holds now (kept as a draft, off this thread).
    void answerTyped(const std::string& answer);
    // wake is called, on the draft's thread, when trouble with the draft begins or ends (a save
    // that failed, then one that worked); draftNotice() says what the window shows of it meanwhile,
    // on the thread that called load().
    void onDraftTrouble(std::function<void()> wake);
    std::optional<Notice> draftNotice();

private:
    // A filing's outcome, passed on: a filed block is answered, and words a failed filing kept
    // stay in the answer box when the student pages on.
    Outcome afterFiling(Outcome outcome);
    // The draft follows what the program put into the answer box.
    Outcome keepDraft(Outcome outcome);
    // Where and when the words in the answer box are typed now.
    DraftPlace draftPlace();
    // Words kept aside for their block come into the answer box when it is reached.
    void bringBackAside(Outcome& outcome, const std::string& answer);

    Services m_services;
    const BankContent& m_content;
    QuestionBank m_bank;
    RunSetup m_setup;
    // What finishing a filing left unfinished did at start-up, until it is told.
    Recovery m_recovered;
    DraftKeeper m_drafts;
    QuestionReader m_reader;
    Recorder m_recorder;
    // The answer box holds words a filing could not take: paging on leaves them there.
    bool m_answerKept = false;
    // Words of a window that is gone, typed at a block not yet reached (index: the keeper's).
    struct Aside {
        Draft draft;
        std::size_t held;
    };
    std::vector<Aside> m_aside;
};

} // namespace tolvanex
