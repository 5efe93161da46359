// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Recorder.h"

#include "core/recording/Coding.h"
#include "core/recording/Cp1252.h"
#include "core/recording/DraftKeeper.h"
#include "core/recording/Filer.h"
#include "core/recording/FilingWords.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

namespace tolvanex {
namespace {

constexpr std::size_t kMaster = 0;
constexpr std::size_t kSend = 1;
constexpr std::size_t kNotes = 2;

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

// The lines of a record file, for a viewer to show; when the file cannot be read the student is
// told so, with notShown, and there is nothing to show.
std::optional<std::vector<std::string>> linesToShow(
    const Services& services, const std::string& path, std::string_view notShown)
{
    try {
        return fileLines(decodeCp1252(services.files.readAll(path)));
    } catch (const FileError& error) {
        reportFileError(services.messages, error, notShown);
        return std::nullopt;
    }
}

// A viewer's outcome: the text added to the question box, to be read from its start.
Outcome shownBelow(std::string added)
{
    Outcome outcome;
    outcome.addToQuestion = std::move(added);
    outcome.focus = Focus::ReadAdded;
    return outcome;
}

} // namespace

Recorder::Recorder(const Services& services, const RunSetup& setup, DraftKeeper& drafts)
    : m_services(services)
    , m_setup(setup)
    , m_drafts(drafts)
{
}

Outcome Recorder::enterResponse(const std::string& answer, const Block& block)
{
    const RunSetup& s = m_setup;
    return fileRecord(answer, { s.masterFile, s.sendFile }, Filed::Response, [&](Record& record) {
        const double numberValue = numericValue(s.assignmentNumber) * 10000 + numericValue(block.questionNumber);
        record.lineToAll(texts::openingSeparator);
        record.line(kMaster, indented(timeText(m_services.clock.now())));
        record.line(kSend, indented(timeText(m_services.clock.now())));
        record.line(kMaster, "\r\n\r\n" + std::string(texts::questionNumberMarker) + writtenNumber(numberValue));
        record.line(kMaster, code(block.lastLineRead, s.codeNumber));
        record.line(kSend, code(block.lastLineRead, s.codeNumber));
        record.lineToAll(texts::openingSeparator);
        record.lineToAll(texts::responseLine);
        record.line(kMaster, code(answer, s.codeNumber));
        record.line(kSend, code(answer, s.codeNumber));
        if (block.kind == LineKind::Question) {
            const std::string reply = m_services.prompter.ask(std::string(texts::confidencePrompt)).value_or("");
            record.lineToAll(fill(texts::confidenceLine, { { "reply", reply } }));
        } else if (block.kind == LineKind::Answer) {
            record.lineToAll(fill(texts::selfCritiqueLine, { { "reply", rateSelfCritique() } }));
        }
        record.lineToAll(texts::closingSeparator);
        return answer;
    });
}

std::string Recorder::rateSelfCritique()
{
    return m_services.prompter.ask(std::string(texts::selfCritiquePrompt)).value_or("");
}

Outcome Recorder::saveAsNotes(const std::string& answer, const Block& block)
{
    const RunSetup& s = m_setup;
    return fileRecord(answer, { s.masterFile, s.sendFile, s.notesFile }, Filed::Note, [&](Record& record) {
        std::string entry = fill(texts::notesEntry, { { "words", answer } });
        record.lineToAll(texts::openingSeparator);
        for (std::size_t file = 0; file < 3; ++file)
            record.line(file, indented(timeText(m_services.clock.now())));
        for (std::size_t file = 0; file < 3; ++file) {
            const LocalTime now = m_services.clock.now();
            record.line(file, indented(dateText(now) + timeText(now)));
        }
        for (std::size_t file = 0; file < 3; ++file)
            record.line(file, code(block.lastLineRead, s.codeNumber));
        record.lineToAll(texts::openingSeparator);
        for (std::size_t file = 0; file < 3; ++file)
            record.line(file, code(entry, s.codeNumber));
        // The send and notes files end the record without a line break. Text written after a
        // print separator is padded to the start of the next print zone, the lines being
        // divided into zones of 14 columns (1-14, 15-28, ...): after the 49 full stops that
        // is column 57, so seven blanks follow, and the next record continues that line.
        const std::string padded = std::string(texts::closingSeparator) + "       ";
        record.line(kMaster, texts::closingSeparator);
        record.text(kSend, padded);
        record.text(kNotes, padded);
        return entry;
    });
}

Outcome Recorder::fileRecord(const std::string& answer, std::vector<std::string> paths, Filed kind,
    const std::function<std::string(Record&)>& build)
{
    Outcome outcome;
    // An answer box holding only the response prompt files nothing; the boxes are emptied all the same.
    if (answer != m_setup.responsePrompt) {
        Filer filer(m_services.files, workFiles(m_setup.outputFolder, m_setup.namePart, m_drafts.window()),
            &m_services.messages);
        const std::string_view recordName = kind == Filed::Response ? texts::responseRecord : texts::noteRecord;
        try {
            std::optional<Recovery> finished;
            if (m_unfinished && m_unfinished->kind == kind && m_unfinished->words == answer) {
                // These very words are in the files in part: finishing that filing files them.
                const auto hold = m_drafts.hold();
                filer.takeAlong(m_drafts.takenAlong());
                finished = filer.recover(Finishing::OwnFiling);
                // A journal that was never written whole filed nothing: the words are filed anew.
                if (finished->unwritten)
                    finished.reset();
            }
            if (finished) {
                // Completing it is what the student asked for: only files left alone are news.
                Recovery leftAlone = *finished;
                leftAlone.completed.clear();
                tell(leftAlone);
                if (finished->leftAlone.empty()) {
                    // The student was told it was not whole: now they are told it is.
                    m_services.messages.showMessage(nowWholeText(recordName, *finished));
                    outcome.completed = true;
                }
                m_drafts.filed();
                m_entryText = kind == Filed::Note ? fill(texts::notesEntry, { { "words", answer } }) : answer;
            } else {
                // The record is built whole, its rating asked, before any file is touched.
                Record record(std::move(paths), answer);
                std::string entry = build(record);
                const auto hold = m_drafts.hold();
                filer.takeAlong(m_drafts.takenAlong());
                tell(filer.file(record));
                m_drafts.filed();
                m_entryText = std::move(entry);
            }
            m_unfinished.reset();
            outcome.filed = kind;
        } catch (const FilingError& error) {
            // The words stay in the answer box, and paging on leaves them there, until they are
            // filed or the student clears the box.
            if (!error.restored())
                m_unfinished = Unfinished { kind, answer };
            else if (m_unfinished && m_unfinished->kind == kind && m_unfinished->words == answer)
                m_unfinished.reset(); // its journal was never whole; this filing failed afresh
            const std::string_view caption
                = kind == Filed::Response ? texts::enterResponseCaption : texts::saveAsNotesCaption;
            reportFilingError(m_services.messages, error,
                { recordName, fill(texts::wordsKept, { { "button", caption } }),
                    fill(texts::wordsKeptBusy, { { "button", caption } }),
                    fill(texts::wordsKeptFileHeld, { { "button", caption } }) });
            outcome.filed = Filed::Kept;
            outcome.focus = typingFocus(answer, m_setup.responsePrompt);
            return outcome;
        }
    }
    outcome.clearQuestion = true;
    outcome.answer = "";
    outcome.focus = kind == Filed::Response ? Focus::NextBlock : Focus::TypeOver;
    return outcome;
}

void Recorder::tell(const Recovery& recovery)
{
    if (const std::string text = recoveryText(recovery); !text.empty())
        m_services.messages.showMessage(text);
}

Outcome Recorder::displayNotes()
{
    const auto lines = linesToShow(m_services, m_setup.notesFile, texts::notesNotShown);
    if (!lines)
        return shownBelow({});
    for (const std::string& line : *lines)
        m_entryText += line;
    return shownBelow(m_entryText);
}

Outcome Recorder::displaySendFile()
{
    const auto lines = linesToShow(m_services, m_setup.sendFile, texts::sendFileNotShown);
    if (!lines)
        return shownBelow({});
    std::string shown;
    for (const std::string& line : *lines) {
        shown += "\r\n";
        shown += line;
    }
    return shownBelow(std::move(shown));
}

Outcome Recorder::clearBox()
{
    Outcome outcome;
    outcome.answer = "";
    outcome.focus = Focus::TypeOver;
    return outcome;
}

} // namespace tolvanex
