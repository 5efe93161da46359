// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drill/Drill.h"

#include "core/recording/FilingWords.h"
#include "core/text/Text.h"
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
    const Recovery& recovered = startUp.recovered();
    std::string told = recoveryText(recovered);
    const auto add = [&told](const std::string& text) { told += (told.empty() ? "" : "\n\n") + text; };
    // Words typed and not filed come back: from the draft of a window that is gone, or from a
    // filing that could not be completed in every file.
    DraftKeeper::Claimed claimed = m_drafts.claim(m_setup.outputFolder, m_setup.namePart, m_setup.assignmentNumber);
    std::optional<std::string> words;
    if (claimed.restored) {
        words = claimed.restored->words;
        if (const auto& place = claimed.restored->place) {
            add(fill(texts::draftRestoredFrom,
                { { "date", dateText(place->typed) }, { "time", timeText(place->typed) },
                    { "assignment", place->assignment }, { "block", blockText(*place) } }));
        } else {
            add(std::string(texts::draftRestored));
        }
    } else if (!recovered.leftAlone.empty() && !recovered.words.empty()) {
        words = recovered.words;
        std::string holding;
        for (const std::string& path : recovered.whole)
            holding += (holding.empty() ? "" : ", ") + path;
        add(holding.empty() ? std::string(texts::wordsBackHeldNowhere)
                            : fill(texts::wordsBackHeldIn, { { "files", holding } }));
        m_drafts.keep(words, draftPlace());
    }
    for (const DraftPlace& place : claimed.keptForOthers)
        add(fill(texts::draftKeptForAssignment,
            { { "date", dateText(place.typed) }, { "time", timeText(place.typed) }, { "assignment", place.assignment },
                { "block", blockText(place) } }));
    if (const std::optional<FileError> news = m_drafts.takeNews())
        add(draftNewsText(*news));
    Outcome outcome;
    if (words) {
        outcome.answer = *words;
        outcome.focus = Focus::TypeOn;
        m_answerKept = true;
    }
    if (!told.empty())
        m_services.messages.showMessage(told);
    return outcome;
}

DraftPlace Drill::draftPlace()
{
    const Block& block = m_reader.block();
    return { m_setup.assignmentNumber, block.questionNumber, block.kind, m_services.clock.now() };
}

void Drill::answerTyped(const std::string& answer)
{
    m_drafts.keep(typingFocus(answer, m_setup.responsePrompt) == Focus::TypeOn ? std::optional(answer) : std::nullopt,
        draftPlace());
}

void Drill::onDraftNews(std::function<void()> wake)
{
    m_drafts.onNews(std::move(wake));
}

void Drill::draftNews()
{
    if (const std::optional<FileError> news = m_drafts.takeNews())
        m_services.messages.showMessage(draftNewsText(*news));
}

std::string Drill::draftNewsText(const FileError& error)
{
    std::string text = std::string(texts::draftNotKept) + "\n\n"
        + fill(texts::fileLine, { { "file", shownPath(m_services.files.systemPath(error.path())) } });
    return text + "\n" + fill(texts::reasonLine, { { "reason", error.reason() } });
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
