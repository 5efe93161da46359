// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/StartUp.h"

#include "core/recording/Coding.h"
#include "core/recording/FilingWords.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <cmath>

namespace tolvanex {
namespace {

// The longest name of a file the program writes is that of the journal's new copy,
// ".tolvanex_" + name part + ".journal.new"; file systems hold at most 255 bytes in one name.
constexpr std::size_t kLongestFileNameExtra = 22;
constexpr std::size_t kFileNameLimit = 255;
constexpr std::string_view kRefusedCharacters = "\\/:*?\"<>|";

// A character of the name as the student would recognise it in a message.
std::string described(char c)
{
    if (c == '\t')
        return "a tab";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        return "a control character (code " + std::to_string(static_cast<unsigned char>(c)) + ")";
    // Quoted, the quotation mark itself would read as three of them.
    if (c == '"')
        return "a quotation mark";
    return std::string("\"") + c + "\"";
}

// Why a name part cannot go into the file names: a character that file systems refuse (on some
// systems only, but the files may be moved), or a name too long; empty when it can.
std::string nameProblem(const std::string& namePart)
{
    for (char c : namePart) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F || kRefusedCharacters.find(c) != std::string_view::npos)
            return fill(texts::nameHoldsCharacter, { { "character", described(c) } });
    }
    // The student counts characters; the file system counts bytes, and a letter beyond ASCII takes
    // two or more of them.
    const std::size_t left = kFileNameLimit - kLongestFileNameExtra;
    const std::size_t characters = charCount(namePart);
    if (characters > left || namePart.size() > left)
        return fill(characters > left ? texts::nameTooLong : texts::nameTooLongInBytes,
            { { "count", std::to_string(characters) }, { "bytes", std::to_string(namePart.size()) },
                { "limit", std::to_string(kFileNameLimit) }, { "left", std::to_string(left) } });
    return {};
}

} // namespace

std::string namePartOf(std::string name)
{
    for (char& c : name) {
        if (c == ' ')
            c = '_';
    }
    return name;
}

FileNames fileNames(const std::string& folder, const std::string& namePart, const LocalTime& today)
{
    const std::string date = dateText(today);
    const std::string mmdd = date.substr(0, 2) + date.substr(3, 2);
    return { fill(texts::masterFile, { { "folder", folder }, { "name", namePart } }),
        fill(texts::sendFile, { { "folder", folder }, { "mmdd", mmdd }, { "name", namePart } }),
        fill(texts::notesFile, { { "folder", folder }, { "name", namePart } }) };
}

StartUp::StartUp(const Services& services, const BankContent& content)
    : m_services(services)
    , m_content(content)
{
}

RunSetup StartUp::load(QuestionBank& bank)
{
    m_setup = RunSetup {};
    m_recovered = Recovery {};
    m_setup.courseTitle = texts::courseTitle;
    startUp(bank);
    positionAtAssignment(bank);
    return m_setup;
}

void StartUp::startUp(QuestionBank& bank)
{
    Prompter& prompter = m_services.prompter;
    m_services.random.seed(secondsSinceMidnight(m_services.clock.now()));
    // Computed in double: in single precision a draw just below 1 would round 28.99999 up to 29.
    const double r = m_services.random.next();
    m_setup.codeNumber = static_cast<float>(std::floor(r * 10.0 + 19.0));
    m_setup.outputFolder = texts::defaultFolder;
    try {
        m_services.files.createFolder(std::string(texts::defaultFolder));
    } catch (const FileError&) {
        // The default folder may exist already, or the drive may be missing: either way the
        // files are opened later and report their own failure.
    }
    m_setup.namePart = askName();
    m_folderChosen = prompter.ask(std::string(texts::folderQuestion)).value_or("") == "1";
    if (m_folderChosen) {
        const std::string folder = prompter.ask(std::string(texts::pathPrompt)).value_or("");
        if (!folder.empty())
            m_setup.outputFolder = folder;
    }
    formFileNames();
    recoverAtStart();
    const std::string assignment = prompter.ask(std::string(texts::assignmentPrompt)).value_or("");
    m_setup.responsePrompt = texts::responsePrompt;
    setAssignmentNumbers(assignment);
    m_assignmentTyped = assignment;
    long lineCursor = 0;
    loadBank(bank, lineCursor, m_content);
}

std::string StartUp::askName()
{
    // A name that cannot be part of a file name is refused at once, by the prompt that asks for it
    // again, until one fits or the student cancels a second asking.
    std::string namePart = namePartOf(m_services.prompter.ask(std::string(texts::namePrompt)).value_or(""));
    for (std::string problem = nameProblem(namePart); !problem.empty(); problem = nameProblem(namePart)) {
        const auto name = m_services.prompter.ask(fill(texts::nameAgainPrompt, { { "problem", problem } }));
        if (!name)
            endProgram();
        namePart = namePartOf(*name);
    }
    return namePart;
}

void StartUp::setAssignmentNumbers(const std::string& reply)
{
    m_setup.assignmentNumber = widenToThree(reply);
    m_setup.nextAssignmentNumber = widenToThree(plainNumber(numericValue(m_setup.assignmentNumber) + 1));
}

void StartUp::formFileNames()
{
    FileNames names = fileNames(m_setup.outputFolder, m_setup.namePart, m_services.clock.now());
    m_setup.masterFile = std::move(names.master);
    m_setup.sendFile = std::move(names.send);
    m_setup.notesFile = std::move(names.notes);
}

void StartUp::positionAtAssignment(const QuestionBank& bank)
{
    for (;;) {
        if (const auto header = findAssignmentHeader(bank, m_setup.assignmentNumber)) {
            m_setup.headerLine = *header;
            break;
        }
        const std::vector<std::string> numbers = assignmentNumbers(bank);
        const std::string first = numbers.empty() ? std::string() : numbers.front();
        const std::string last = numbers.empty() ? std::string() : numbers.back();
        m_services.messages.showMessage(fill(texts::noSuchAssignment,
            { { "number", m_assignmentTyped }, { "first", first }, { "last", last },
                { "firstTyped", plainNumber(numericValue(first)) },
                { "lastTyped", plainNumber(numericValue(last)) } }));
        const auto reply = m_services.prompter.ask(std::string(texts::assignmentPrompt));
        if (!reply)
            endProgram();
        setAssignmentNumbers(*reply);
        m_assignmentTyped = *reply;
    }
    // The folder is asked for again while the heading block cannot be written there, or Cancel.
    for (;;) {
        try {
            // A heading that could not all be undone here is completed, not written again.
            if (m_headingUnfinishedIn == m_setup.outputFolder) {
                const Recovery finished = filer().recover(Finishing::OwnFiling);
                noteRecovery(finished);
                // A journal never written whole filed nothing: the heading is written anew.
                if (!finished.unwritten)
                    return;
                m_headingUnfinishedIn.reset();
            }
            writeHeadingBlock(bank);
            return;
        } catch (const FilingError& error) {
            if (!error.restored())
                m_headingUnfinishedIn = m_setup.outputFolder;
            reportFilingError(m_services.messages, error,
                { texts::headingRecord, std::string(texts::checkHeadingFolder), std::string(texts::headingBusy),
                    std::string(texts::headingFileHeld) });
            askFolderAgain();
        }
    }
}

void StartUp::writeHeadingBlock(const QuestionBank& bank)
{
    Record record({ m_setup.masterFile, m_setup.sendFile });
    const std::string filler = makeCodeLine(m_setup.codeNumber, m_services.random);
    const std::string& header = bank.line(m_setup.headerLine);
    for (std::size_t file = 0; file < 2; ++file) {
        record.madeLine(file, filler);
        record.line(
            file, code(fill(texts::assignmentLine, { { "number", m_setup.assignmentNumber } }), m_setup.codeNumber));
        record.line(file, code(header, m_setup.codeNumber));
        record.line(file, m_setup.courseTitle);
        record.line(file, dateText(m_services.clock.now()));
    }
    noteRecovery(filer().file(record));
}

Filer StartUp::filer()
{
    return Filer(m_services.files, workFiles(m_setup.outputFolder, m_setup.namePart), &m_services.messages);
}

void StartUp::recoverAtStart()
{
    try {
        noteRecovery(filer().recover(Finishing::AtStart));
    } catch (const FileError&) {
        // The journal stays: the heading's filing tries again, and says so if it cannot either.
    }
}

void StartUp::noteRecovery(const Recovery& recovery)
{
    if (!recovery.found)
        return;
    Recovery& all = m_recovered;
    all.found = true;
    all.completed.insert(all.completed.end(), recovery.completed.begin(), recovery.completed.end());
    all.leftAlone.insert(all.leftAlone.end(), recovery.leftAlone.begin(), recovery.leftAlone.end());
    all.whole.insert(all.whole.end(), recovery.whole.begin(), recovery.whole.end());
    all.words = recovery.words;
}

void StartUp::askFolderAgain()
{
    // A student who chose the folder is asked as when choosing it; one who kept the default is
    // told what went wrong, and Enter tries the same folder again.
    const std::string prompt = m_folderChosen ? std::string(texts::pathPrompt)
                                              : fill(texts::folderAgainPrompt, { { "folder", m_setup.outputFolder } });
    const auto folder = m_services.prompter.ask(prompt);
    if (!folder)
        endProgram();
    if (m_folderChosen)
        m_setup.outputFolder = folder->empty() ? std::string(texts::defaultFolder) : *folder;
    else if (!folder->empty())
        m_setup.outputFolder = *folder;
    formFileNames();
}

} // namespace tolvanex
