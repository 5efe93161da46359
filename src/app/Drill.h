#pragma once

// The drill behind the main window: all state of a run and every handler, with no windowing
// toolkit in it. The window forwards its load event and clicks here and shows what it is told.

#include "bank/QuestionBank.h"
#include "platform/Services.h"

#include <string>

namespace tolvanex {

// The main window's controls as the drill reads and changes them. Texts are UTF-8; line breaks
// in the boxes are CR LF.
class DrillView {
public:
    virtual ~DrillView() = default;
    virtual std::string questionText() = 0;
    virtual void setQuestionText(const std::string& text) = 0;
    // The same as setQuestionText(questionText() + tail), without rebuilding the whole box.
    virtual void appendToQuestion(const std::string& tail) = 0;
    virtual std::string answerText() = 0;
    virtual void setAnswerText(const std::string& text) = 0;
    virtual void setPictureScale(double width, double height) = 0;
};

// Thrown to end the program at once from inside a handler; caught where the handler was called.
struct ProgramEnded { };

struct Services {
    Prompter& prompter;
    MessageService& messages;
    Clock& clock;
    RandomSource& random;
    FileSystem& files;
};

struct DrillState {
    std::string courseTitle;
    float codeNumber = 0;
    std::string outputFolder;
    std::string namePart;
    std::string masterFile;
    std::string sendFile;
    std::string notesFile;
    std::string assignmentNumber;
    std::string nextAssignmentNumber;
    std::string responsePrompt;
    long lineCursor = 0;
    // Reading state.
    std::string lastLineRead;
    std::string displayText;
    std::string currentKind;
    std::string questionNumber;
    bool responsePromptFlag = false;
    std::string entryText;
};

inline constexpr const char* kDefaultFolder = "c:\\tolvanex";
inline constexpr const char* kOpeningSeparator = "......!!!!!!!!...................................";
inline constexpr const char* kClosingSeparator = ".................................................";

class Drill {
public:
    Drill(const Services& services, DrillView& view);

    // Load event: course title, start-up dialogue, positioning at the assignment with the heading
    // block. Throws ProgramEnded when the student cancels a second chance.
    void load();

    void cmdNextQuestionClick();
    void enterResponseClick();
    void saveAsNotesClick();
    void displayNotesClick();
    void displaySendFileClick();
    void clearBoxClick();
    void nextPictureClick();
    void quitClick();

    void readNextQuestion();
    static std::string remSpaces(const std::string& aLine);
    void runRoutine(const std::string& routine);
    std::string makeCodeLine(float codeNbr);
    static std::string bracesToBreaks(const std::string& text);

    DrillState& state() { return m_state; }
    const DrillState& state() const { return m_state; }
    QuestionBank& bank() { return m_bank; }

    static std::string responsePromptText();

private:
    [[noreturn]] static void endProgram();
    void startUp();
    // The assignment number widened to three characters, and the number of the one after it.
    void setAssignmentNumbers(const std::string& reply);
    void formFileNames();
    void positionAtAssignment();
    bool findAssignmentHeader();
    void writeHeadingBlock();
    void askFolderAgain();
    void loadBank();
    std::string routineName(const std::string& line) const;
    void rateSelfCritique(class RecordWriter& writer);
    void reportFileError(const class FileError& error, const std::string& what);

    Services m_services;
    DrillView& m_view;
    DrillState m_state;
    QuestionBank m_bank;
};

} // namespace tolvanex
