// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"
#include "core/run/Run.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvanex {

class Record;
class DraftKeeper;
struct Recovery;

// Filing what the student typed, and showing the files back: a response with its rating, a
// note, the two file viewers and the clearing of the answer box. Each takes what it needs as
// values and returns what the boxes show next.
class Recorder {
public:
    Recorder(const Services& services, const RunSetup& setup, DraftKeeper& drafts);

    // "Enter Response": a response record in the master and send files, rated after a question
    // (confidence) or after a given answer (self-critique).
    Outcome enterResponse(const std::string& answer, const Block& block);
    // "Save as Notes": a notes record in the master, send and notes files.
    Outcome saveAsNotes(const std::string& answer, const Block& block);
    // "display notes": the entry text, then the notes file's lines joined without breaks, added to
    // the question box; the entry text keeps what was added.
    Outcome displayNotes();
    // "display SEND file": today's send file, each line on a line of its own, added likewise.
    Outcome displaySendFile();
    Outcome clearBox();

    // The text last shown or filed: the question box's whole text after a block was shown, the
    // words of the last filing, or what the notes viewer added. Set by the drill after paging.
    void setEntryText(std::string text) { m_entryText = std::move(text); }
    const std::string& entryText() const { return m_entryText; }

private:
    // Files the record that build makes (build returns the text kept as the entry text), whole or
    // not at all; then both boxes are emptied, or on a failure the words stay in the answer box.
    Outcome fileRecord(const std::string& answer, std::vector<std::string> paths, Filed kind,
        const std::function<std::string(Record&)>& build);
    std::string rateSelfCritique();

    // Tells the student what finishing an earlier, unfinished filing did.
    void tell(const Recovery& recovery);

    Services m_services;
    const RunSetup& m_setup;
    DraftKeeper& m_drafts;
    std::string m_entryText;
    // A filing whose failure could not all be undone: its journal completes it, in every file,
    // the next time anything is filed. Clicked again for the same words, that is all it does.
    struct Unfinished {
        Filed kind;
        std::string words;
    };
    std::optional<Unfinished> m_unfinished;
};

} // namespace tolvanex
