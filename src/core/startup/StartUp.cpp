// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/StartUp.h"

#include "core/recording/Coding.h"
#include "core/recording/RecordWriter.h"
#include "core/text/Text.h"

#include <cmath>

namespace tolvanex {
namespace {

constexpr const char* kNamePrompt = "Your full name:  ";
constexpr const char* kFolderQuestion
    = "Enter 1 if you want to change the folder to which your files will be written.  The current default "
      "folder is c:\\tolvanex.  If you wish to use this folder, just hit the Enter key";
constexpr const char* kPathPrompt
    = "You have chosen to change the folder to which your files will be written on your hard drive from the "
      "default c:\\tolvanex.  Enter the path to the folder you wish to use.  You may just hit the Enter key to "
      "retain the default path.";
constexpr const char* kAssignmentPrompt = "Assignment Number:  ";

// The longest of the three file names is "masterFile_" + name part + ".txt"; file systems hold at
// most 255 bytes in one name.
constexpr std::size_t kLongestFileNameExtra = 15;
constexpr std::size_t kFileNameLimit = 255;
constexpr const char* kRefusedCharacters = "\\/:*?\"<>|";

// The student's name as it goes into the file names: every blank becomes "_".
std::string namePartOf(std::string name)
{
    for (char& c : name) {
        if (c == ' ')
            c = '_';
    }
    return name;
}

// A character of the name as the student would recognise it in a message.
std::string described(char c)
{
    if (c == '\t')
        return "a tab";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        return "a control character (code " + std::to_string(static_cast<unsigned char>(c)) + ")";
    return std::string("\"") + c + "\"";
}

// Why a name part cannot go into the file names: a character that file systems refuse (on some
// systems only, but the files may be moved), or a name too long; empty when it can.
std::string nameProblem(const std::string& namePart)
{
    for (char c : namePart) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F || std::string_view(kRefusedCharacters).find(c) != std::string_view::npos)
            return "it holds " + described(c)
                + ", and a file name cannot contain \\ / : * ? \" < > | or control characters";
    }
    if (namePart.size() + kLongestFileNameExtra > kFileNameLimit)
        return "it has " + std::to_string(namePart.size()) + " characters, and a file name holds at most "
            + std::to_string(kFileNameLimit) + ", which leaves "
            + std::to_string(kFileNameLimit - kLongestFileNameExtra) + " for a name";
    return {};
}

} // namespace

StartUp::StartUp(
    const Services& services, DrillView& view, DrillState& state, QuestionBank& bank, const BankContent& content)
    : m_services(services)
    , m_view(view)
    , m_state(state)
    , m_bank(bank)
    , m_content(content)
{
}

std::string StartUp::responsePromptText()
{
    return "Enter, as appropriate, an answer to the question, a critique of your answer in response to a given "
           "answer, your insights regarding the situation at this point, notes to yourself, or just an OK.\r\n\r\n"
           "Always critique your solutions by describing any insights you had or errors you makde, and by "
           "explaining how you can make use of the insight or how you now know how to avoid certain errors.  Also "
           "pose for the instructor any question or questions that you have related to the problem or series of "
           "problems.";
}

void StartUp::load()
{
    m_state.courseTitle = "Physics I";
    startUp();
    positionAtAssignment();
}

void StartUp::startUp()
{
    Prompter& prompter = m_services.prompter;
    m_services.random.seed(secondsSinceMidnight(m_services.clock.now()));
    // Computed in double: in single precision a draw just below 1 would round 28.99999 up to 29.
    const double r = m_services.random.next();
    m_state.codeNumber = static_cast<float>(std::floor(r * 10.0 + 19.0));
    m_view.setPictureScale(1000, 1000);
    m_state.outputFolder = kDefaultFolder;
    try {
        m_services.files.createFolder(kDefaultFolder);
    } catch (const FileError&) {
        // The default folder may exist already, or the drive may be missing: either way the
        // files are opened later and report their own failure.
    }
    const std::string name = prompter.ask(kNamePrompt).value_or("");
    m_folderChosen = prompter.ask(kFolderQuestion).value_or("") == "1";
    if (m_folderChosen) {
        const std::string folder = prompter.ask(kPathPrompt).value_or("");
        if (!folder.empty())
            m_state.outputFolder = folder;
    }
    m_state.namePart = namePartOf(name);
    formFileNames();
    const std::string assignment = prompter.ask(kAssignmentPrompt).value_or("");
    m_state.responsePrompt = responsePromptText();
    setAssignmentNumbers(assignment);
    m_state.lineCursor = 0;
    loadBank(m_bank, m_state.lineCursor, m_content);
}

void StartUp::setAssignmentNumbers(const std::string& reply)
{
    m_state.assignmentNumber = widenToThree(reply);
    m_state.nextAssignmentNumber = widenToThree(plainNumber(numericValue(m_state.assignmentNumber) + 1));
}

void StartUp::formFileNames()
{
    const std::string date = dateText(m_services.clock.now());
    const std::string& folder = m_state.outputFolder;
    const std::string& name = m_state.namePart;
    m_state.masterFile = folder + "\\masterFile_" + name + ".txt";
    m_state.sendFile = folder + "\\send_" + date.substr(0, 2) + date.substr(3, 2) + name + ".txt";
    m_state.notesFile = folder + "\\notes_" + name + ".txt";
}

bool StartUp::findAssignmentHeader()
{
    const std::string wanted = m_state.assignmentNumber + ".";
    long cursor = 0;
    std::string_view current;
    while (firstChars(current, 4) != wanted) {
        if (cursor >= QuestionBank::kLastIndex)
            return false;
        ++cursor;
        current = m_bank.line(cursor);
    }
    m_state.lineCursor = cursor;
    return true;
}

void StartUp::positionAtAssignment()
{
    m_state.lineCursor = 0;
    while (!findAssignmentHeader()) {
        m_services.messages.showMessage("There is no assignment \"" + m_state.assignmentNumber
            + "\" in this program.\n\nThe assignments available are 001 to 018 (you may type 1 to 18). "
              "Please enter the assignment number again, or click Cancel to leave the program.");
        const auto reply = m_services.prompter.ask(kAssignmentPrompt);
        if (!reply)
            endProgram();
        setAssignmentNumbers(*reply);
        m_state.lineCursor = 0;
    }
    // Second chances: for the name while it cannot go into a file name, for the folder while the
    // files cannot be written there. Each asks until the heading block is written, or Cancel.
    for (;;) {
        if (const std::string problem = nameProblem(m_state.namePart); !problem.empty()) {
            askNameAgain(problem);
            continue;
        }
        try {
            writeHeadingBlock();
            return;
        } catch (const FilingError& error) {
            reportFilingError(m_services.messages, error,
                { "The heading of your files",
                    "Make sure the folder exists, can be written to and the disk has room (and that a removable "
                    "drive is still plugged in); you are asked for the folder next." });
            askFolderAgain();
        }
    }
}

void StartUp::writeHeadingBlock()
{
    RecordWriter writer(m_services.files, { m_state.masterFile, m_state.sendFile });
    const std::string filler = makeCodeLine(m_state.codeNumber, m_services.random);
    const std::string header = m_bank.line(m_state.lineCursor);
    for (std::size_t file = 0; file < 2; ++file) {
        writer.line(file, filler);
        writer.line(file, code("assignment #" + m_state.assignmentNumber, m_state.codeNumber));
        writer.line(file, code(header, m_state.codeNumber));
        writer.line(file, m_state.courseTitle);
        writer.line(file, dateText(m_services.clock.now()));
    }
    writer.commit();
}

void StartUp::askNameAgain(const std::string& problem)
{
    m_services.messages.showMessage("Your name cannot be used in the names of your files: " + problem
        + ".\n\nNothing has been written. Please type your name again.");
    const auto name = m_services.prompter.ask(
        "Your name cannot be used in a file name: " + problem + ".  Type your full name again:  ");
    if (!name)
        endProgram();
    m_state.namePart = namePartOf(*name);
    formFileNames();
}

void StartUp::askFolderAgain()
{
    // A student who chose the folder is asked as when choosing it; one who kept the default is
    // told what went wrong, and Enter tries the same folder again.
    std::string prompt = kPathPrompt;
    if (!m_folderChosen) {
        const std::string& current = m_state.outputFolder;
        prompt = "Your files could not be written in the folder " + current
            + ".  Enter the path to another folder for your files, or just hit the Enter key to try " + current
            + " again.";
    }
    const auto folder = m_services.prompter.ask(prompt);
    if (!folder)
        endProgram();
    if (m_folderChosen)
        m_state.outputFolder = folder->empty() ? kDefaultFolder : *folder;
    else if (!folder->empty())
        m_state.outputFolder = *folder;
    formFileNames();
}

} // namespace tolvanex
