// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/run/RunState.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvanex {

class FilingError;
class RecordWriter;

// Filing what the student typed, and showing the files back: a response with its rating, a
// note, the two file viewers and the clearing of the answer box.
class Recorder {
public:
    Recorder(const Services& services, DrillView& view, DrillState& state);

    // "Enter Response": a response record in the master and send files, rated after a question
    // (confidence) or after a given answer (self-critique).
    void enterResponse();
    // "Save as Notes": a notes record in the master, send and notes files.
    void saveAsNotes();
    // "display notes": the notes file's lines, joined without breaks, appended to the question box.
    void displayNotes();
    // "display SEND file": today's send file, each line on a line of its own, appended likewise.
    void displaySendFile();
    void clearBox();

private:
    // Files the record that build writes (build returns the text kept as the entry text) in the
    // given files, whole or not at all, then empties both boxes; on a failure the words stay.
    void fileRecord(const std::vector<std::string>& paths, const std::string& record, const std::string& button,
        const std::function<std::string(RecordWriter&)>& build);
    void rateSelfCritique(RecordWriter& writer);
    // After a failed filing: the words stay in the answer box, and the student is told.
    void keepWords(const FilingError& error, const std::string& record, const std::string& button);

    Services m_services;
    DrillView& m_view;
    DrillState& m_state;
};

} // namespace tolvanex
