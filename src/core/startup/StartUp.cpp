#include "core/startup/StartUp.h"

#include "core/text/Text.h"
#include "core/recording/Coding.h"
#include "core/recording/RecordWriter.h"

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

// The student's name as it goes into the file names: every blank becomes "_".
std::string namePartOf(std::string name)
{
    for (char& c : name) {
        if (c == ' ')
            c = '_';
    }
    return name;
}

} // namespace

StartUp::StartUp(const Services& services, DrillView& view, DrillState& state, QuestionBank& bank,
                 const BankContent& content)
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
    if (prompter.ask(kFolderQuestion).value_or("") == "1") {
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
    for (;;) {
        try {
            writeHeadingBlock();
            return;
        } catch (const FileError& error) {
            reportFileError(m_services.messages, error, "The heading of your files could not be written.");
            askFolderAgain();
        }
    }
}

void StartUp::writeHeadingBlock()
{
    const std::string& name = m_state.namePart;
    if (name.find_first_of("/\\") != std::string::npos)
        throw FileError(
            m_state.masterFile, "a file name cannot contain \"/\" or \"\\\", and your name \"" + name + "\" does");
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

void StartUp::askFolderAgain()
{
    Prompter& prompter = m_services.prompter;
    if (m_state.namePart.find_first_of("/\\") != std::string::npos) {
        const auto name = prompter.ask(kNamePrompt);
        if (!name)
            endProgram();
        m_state.namePart = namePartOf(*name);
    } else {
        const auto folder = prompter.ask(kPathPrompt);
        if (!folder)
            endProgram();
        m_state.outputFolder = folder->empty() ? kDefaultFolder : *folder;
    }
    formFileNames();
}

} // namespace tolvanex
