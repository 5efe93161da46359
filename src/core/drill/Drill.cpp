// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drill/Drill.h"

#include "core/recording/FilingWords.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <utility>

namespace tolvanex {

Drill::Drill(const Services& services, const BankContent& content)
    : m_services(services)
    , m_content(content)
    , m_drafts(services.files, services.background)
    , m_reader(m_bank, m_setup)
    , m_recorder(services, m_setup, m_drafts)
{
}

namespace {

// The block the student is at is the one the words were typed at.
bool typedAt(const DraftPlace& place, const Block& block)
{
    return place.kind == block.kind && place.questionNumber == block.questionNumber;
}

std::string fileAndReason(FileSystem& files, const FileError& error)
{
    return fill(texts::fileLine, { { "file", shownPath(files.systemPath(error.path())) } }) + "\n"
        + fill(texts::reasonLine, { { "reason", error.reason() } });
}

} // namespace

Outcome Drill::load()
{
    start();
    return claimWords();
}

void Drill::start()
{
    StartUp startUp(m_services, m_content);
    m_setup = startUp.load(m_bank);
    m_reader.start();
    m_recovered = startUp.recovered();
}

Outcome Drill::claimWords()
{
    const Recovery recovered = std::exchange(m_recovered, Recovery {});
    std::string told = recoveryText(recovered);
    const auto add = [&told](const std::string& text) { told += (told.empty() ? "" : "\n\n") + text; };
    // Words typed and not filed come back: from the drafts of windows that are gone, or from a
    // filing that could not be completed in every file.
    DraftKeeper::Claimed claimed = m_drafts.claim(m_setup.outputFolder, m_setup.namePart, m_setup.assignmentNumber);
    for (const std::string& path : claimed.emptied)
        add(fill(texts::draftEmptied, { { "file", path } }));
    std::optional<std::string> words;
    std::optional<DraftPlace> wordsPlace;
    std::vector<std::size_t> inBox;
    m_aside.clear();
    for (std::size_t i = 0; i < claimed.restored.size(); ++i) {
        const Draft& draft = claimed.restored[i];
        if (draft.place && !typedAt(*draft.place, m_reader.block())) {
            // Typed at a block further on: they wait for it, their draft kept as it is.
            add(fill(texts::draftRestoredFrom,
                { { "date", dateText(draft.place->typed) }, { "time", timeText(draft.place->typed) },
                    { "assignment", draft.place->assignment }, { "block", blockText(*draft.place) } }));
            m_aside.push_back({ draft, i });
            continue;
        }
        words = words ? *words + "\r\n\r\n" + draft.words : draft.words;
        inBox.push_back(i);
        if (draft.place) {
            wordsPlace = wordsPlace.value_or(*draft.place);
            add(fill(texts::draftRestoredHere,
                { { "date", dateText(draft.place->typed) }, { "time", timeText(draft.place->typed) },
                    { "assignment", draft.place->assignment }, { "block", blockText(*draft.place) } }));
        } else {
            add(std::string(texts::draftRestored));
        }
    }
    if (claimed.restored.empty() && !recovered.leftAlone.empty() && !recovered.words.empty()) {
        words = recovered.words;
        std::string holding;
        for (const std::string& path : recovered.whole)
            holding += (holding.empty() ? "" : ", ") + path;
        add(holding.empty() ? std::string(texts::wordsBackHeldNowhere)
                            : fill(texts::wordsBackHeldIn, { { "files", holding } }));
    }
    if (words) {
        // The words in the box are the window's own draft from now on.
        m_drafts.keep(words, wordsPlace.value_or(draftPlace()));
        for (const std::size_t i : inBox)
            m_drafts.release(i);
    }
    for (const DraftPlace& place : claimed.keptForOthers)
        add(fill(texts::draftKeptForAssignment,
            { { "date", dateText(place.typed) }, { "time", timeText(place.typed) }, { "assignment", place.assignment },
                { "block", blockText(place) } }));
    if (const std::optional<Notice> notice = draftNotice())
        add(notice->whole);
    Outcome outcome;
    if (words) {
        outcome.answer = *words;
        outcome.focus = Focus::TypeOn;
        // Words typed at this block are as if just typed: paging on without filing them takes
        // them away. Words of a filing, or of unknown place, stay in the box while the student pages.
        m_answerKept = !wordsPlace;
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

void Drill::onDraftTrouble(std::function<void()> wake)
{
    m_drafts.onTrouble(std::move(wake));
}

std::optional<Notice> Drill::draftNotice()
{
    const std::optional<DraftKeeper::Trouble> trouble = m_drafts.trouble();
    if (!trouble)
        return std::nullopt;
    const std::string_view whole = trouble->removing ? texts::draftNotRemoved : texts::draftNotKept;
    return Notice { std::string(trouble->removing ? texts::draftNotRemovedLine : texts::draftNotKeptLine),
        std::string(whole) + "\n\n" + fileAndReason(m_services.files, trouble->error) };
}

void Drill::bringBackAside(Outcome& outcome, const std::string& answer)
{
    std::string back;
    std::optional<DraftPlace> place;
    std::vector<std::size_t> released;
    for (auto aside = m_aside.begin(); aside != m_aside.end();) {
        if (!typedAt(*aside->draft.place, m_reader.block())) {
            ++aside;
            continue;
        }
        back += (back.empty() ? "" : "\r\n\r\n") + aside->draft.words;
        place = place.value_or(*aside->draft.place);
        released.push_back(aside->held);
        aside = m_aside.erase(aside);
    }
    if (!place)
        return;
    // Words of the student's own that the box holds already stay, the words brought back after them.
    const std::string shown = outcome.answer.value_or(answer);
    if (typingFocus(shown, m_setup.responsePrompt) == Focus::TypeOn)
        back = shown + "\r\n\r\n" + back;
    m_drafts.keep(back, *place);
    for (const std::size_t i : released)
        m_drafts.release(i);
    // They are words typed at this block now: paging on without filing them takes them away.
    m_answerKept = false;
    outcome.answer = std::move(back);
    outcome.focus = Focus::TypeOn;
    const std::string block = blockText(*place);
    outcome.news = Notice { fill(texts::draftBackLine, { { "block", block } }),
        fill(texts::draftBack,
            { { "date", dateText(place->typed) }, { "time", timeText(place->typed) }, { "block", block } }) };
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
    bringBackAside(outcome, answer);
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
