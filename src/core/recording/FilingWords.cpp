// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/FilingWords.h"

#include "core/text/Text.h"
#include "core/text/Texts.h"

namespace tolvanex {
namespace {

std::string fileAndReason(const FileError& error)
{
    std::string text = fill(texts::fileLine, { { "file", error.systemPath() } });
    if (error.systemPath() != error.path())
        text += "\n" + fill(texts::programsName, { { "path", error.path() } });
    return text + "\n" + fill(texts::reasonLine, { { "reason", error.reason() } });
}

std::string joined(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += (list.empty() ? "" : ", ") + path;
    return list;
}

} // namespace

void reportFileError(MessageService& messages, const FileError& error, std::string_view what)
{
    messages.showMessage(std::string(what) + "\n\n" + fileAndReason(error));
}

void reportFilingError(MessageService& messages, const FilingError& error, const FilingWords& words)
{
    std::string text;
    if (error.restored()) {
        text = fill(texts::notSaved, { { "record", words.record } });
    } else {
        text = fill(texts::notSavedWhole, { { "record", words.record } });
        for (const FileHolding& file : error.holdings()) {
            const std::string_view holds = file.holds == Holds::Whole ? texts::holdsWhole
                : file.holds == Holds::Part                           ? texts::holdsPart
                                                                      : texts::holdsNothing;
            text += "\n" + fill(holds, { { "file", file.path } });
        }
        for (const FileError& failure : error.undoFailures())
            text += "\n" + fill(texts::reasonLine, { { "reason", failure.systemPath() + ": " + failure.reason() } });
        text += "\n" + std::string(texts::willComplete);
    }
    const std::string& whatToDo
        = error.lockBusy() && !words.whatToDoWhenBusy.empty() ? words.whatToDoWhenBusy : words.whatToDo;
    messages.showMessage(text + "\n\n" + whatToDo + "\n\n" + fileAndReason(error));
}

std::string recoveryText(const Recovery& recovery)
{
    std::string text;
    if (!recovery.completed.empty())
        text = fill(texts::recoveredCompleted, { { "files", joined(recovery.completed) } });
    if (!recovery.leftAlone.empty())
        text += (text.empty() ? "" : "\n")
            + fill(texts::recoveredLeftAlone, { { "files", joined(recovery.leftAlone) } });
    return text;
}

std::string nowWholeText(std::string_view record, const Recovery& recovery)
{
    return fill(texts::nowWhole, { { "record", record }, { "files", joined(recovery.whole) } });
}

} // namespace tolvanex
