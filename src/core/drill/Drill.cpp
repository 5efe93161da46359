// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drill/Drill.h"

#include "core/recording/Filing.h"
#include "core/text/Texts.h"

namespace tolvanex {

Drill::Drill(const Services& services, const BankContent& content)
    : m_services(services)
    , m_content(content)
    , m_drafts(services.files, services.background)
    , m_reader(m_bank, m_setup)
    , m_recorder(services, m_setup, m_drafts)
{
}

Outcome Drill::load()
{
    StartUp startUp(m_services, m_content);
    m_setup = startUp.load(m_bank);
    m_reader.start();
    m_drafts.setPath(workFiles(m_setup.outputFolder, m_setup.namePart).draft);
    const Recovery& recovered = startUp.recovered();
    std::string told = recoveryText(recovered);
    // Words typed and not filed come back, from the draft, or from a filing that could not be
    // completed in every file.
    std::optional<std::string> words = m_drafts.restore();
    if (!words && !recovered.leftAlone.empty() && !recovered.words.empty()) {
        words = recovered.words;
        m_drafts.keep(words);
    }
    Outcome outcome;
    if (words) {
        told += (told.empty() ? "" : "\n\n") + std::string(texts::draftRestored);
        outcome.answer = *words;
        outcome.focus = Focus::TypeOn;
        m_answerKept = true;
    }
    if (!told.empty())
        m_services.messages.showMessage(told);
    return outcome;
}

void Drill::answerTyped(const std::string& answer)
{
    m_drafts.keep(typingFocus(answer, m_setup.responsePrompt) == Focus::TypeOn ? std::optional(answer) : std::nullopt);
}

Outcome Drill::keepDraft(Outcome outcome)
{
    if (outcome.answer && outcome.filed != Filed::Response && outcome.filed != Filed::Note)
        answerTyped(*outcome.answer);
    return outcome;
}

Outcome Drill::nextQuestion(const std::string& question, const std::string& answer)
{
    Outcome outcome = m_reader.nextQuestion(answer, m_answerKept);
    m_recorder.setEntryText(question + outcome.addToQuestion);
    return keepDraft(std::move(outcome));
}

Outcome Drill::enterResponse(const std::string& answer)
{
    return keepDraft(afterFiling(m_recorder.enterResponse(answer, m_reader.block())));
}

Outcome Drill::saveAsNotes(const std::string& answer)
{
    return keepDraft(afterFiling(m_recorder.saveAsNotes(answer, m_reader.block())));
}

Outcome Drill::clearBox()
{
    m_answerKept = false;
    return keepDraft(m_recorder.clearBox());
}

Outcome Drill::nextPicture()
{
    m_reader.nextPicture();
    return Outcome {};
}

Outcome Drill::afterFiling(Outcome outcome)
{
    if (outcome.filed == Filed::Response || outcome.filed == Filed::Note)
        m_reader.answered();
    m_answerKept = outcome.filed == Filed::Kept;
    return outcome;
}

} // namespace tolvanex
