// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/FilingWords.h"

#include "core/text/Text.h"
#include "core/text/Texts.h"

namespace tolvanex {
namespace {

std::string fileAndReason(const FileError& error)
{
    const std::string file = shownPath(error.systemPath());
    std::string text = fill(texts::fileLine, { { "file", file } });
    if (file != shownPath(error.path()))
        text += "\n" + fill(texts::programsName, { { "path", shownPath(error.path()) } });
    return text + "\n" + fill(texts::reasonLine, { { "reason", error.reason() } });
}

std::string joined(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += (list.empty() ? "" : ", ") + shownPath(path);
    return list;
}

// What to do when the file itself keeps the filing out; empty when it is not the file.
std::string whatToDoForTheFile(const FileError& error, const FilingWords& words)
{
    const std::string file = shownPath(error.systemPath());
    switch (error.trouble()) {
    case FileTrouble::InUse:
        return fill(words.whatToDoForTheFile,
            { { "trouble", fill(texts::fileInUse, { { "file", file } }) }, { "remedy", texts::closeTheFile } });
    case FileTrouble::ReadOnly:
        return fill(words.whatToDoForTheFile,
            { { "trouble", fill(texts::fileReadOnly, { { "file", file } }) }, { "remedy", texts::makeWritable } });
    case FileTrouble::Other:
        break;
    }
    return {};
}

} // namespace

std::string shownPath(std::string_view path)
{
    std::string shown;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const bool separator = path[i] == '\\' || path[i] == '/';
        if (separator && i > 1 && (path[i - 1] == '\\' || path[i - 1] == '/'))
            continue;
        shown += path[i];
    }
    return shown;
}

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
            text += "\n" + fill(holds, { { "file", shownPath(file.path) } });
        }
        for (const FileError& failure : error.undoFailures())
            text += "\n"
                + fill(texts::reasonLine, { { "reason", shownPath(failure.systemPath()) + ": " + failure.reason() } });
        text += "\n" + std::string(texts::willComplete);
    }
    std::string whatToDo = whatToDoForTheFile(error, words);
    if (whatToDo.empty())
        whatToDo = error.lockBusy() && !words.whatToDoWhenBusy.empty() ? words.whatToDoWhenBusy : words.whatToDo;
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
