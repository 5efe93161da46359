// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its thirty controls, keyboard order and shortcuts, inert controls, the text
// boxes' exact texts, the real prompt dialog, and the end of the program.
#include "core/recording/DraftFile.h"
#include "core/text/Texts.h"
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"
#include "support/TabOrder.h"
#include "support/WindowFakes.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace tolvanex {
namespace {

using testing::fileBytes;

// A window over scripted services; start() answers the three prompts.
struct Window {
    Window()
        : window(h.windowServices(), testing::threeAssignments())
    {
    }
    bool start(const std::string& assignment)
    {
        h.replyAtStartUp("Student One", assignment);
        return window.load();
    }
    template <class T = QWidget> T* child(const char* name)
    {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    bool showActive()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }
    std::filesystem::path folder(const char* file) const { return h.folder() / file; }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }

    testing::FakeWindowServices h;
    testing::CountingExit& exit = h.exit;
    MainWindow window;
};

struct Control {
    const char* name;
    const char* kind;
    const char* caption;
    QRect pixels;
    // What a screen reader is told: a name of its own (none: the caption), a description.
    const char* accessibleName = "";
    std::string_view description = "";
};

const std::string_view kInert = texts::inertControl;

// Twips divided by 15.
const Control kControls[] = {
    { "cmdNextQuestion", "QPushButton", "Next Question / Answer", { 16, 0, 65, 49 } },
    { "cmd_Make_Paragraph_question", "QPushButton", "Make Paragraph", { 80, 16, 57, 33 }, "", kInert },
    { "lbl_paragraph_goback", "QLabel", "# sentences previous", { 192, 24, 9, 9 } },
    { "txt_paragraph_goback", "QLineEdit", "1", { 208, 16, 10, 19 }, "sentences previous", kInert },
    { "cmd_display_note_file", "QPushButton", "display notes", { 224, 24, 9, 13 } },
    { "cmd_displayCumulativeText", "QPushButton", "display SEND file", { 296, 16, 57, 33 } },
    { "cmd_enter_response", "QPushButton", "Enter Response", { 376, 16, 57, 33 } },
    { "cmd_save_as_notes", "QPushButton", "Save as Notes", { 432, 16, 57, 33 } },
    { "cmd_Make_paragraph", "QPushButton", "Make Paragraph", { 488, 16, 65, 33 }, "", kInert },
    { "cmd_clear_answer_box", "QPushButton", "clear box", { 552, 16, 57, 33 } },
    { "cmd_quit", "QPushButton", "quit program", { 680, 0, 49, 33 } },
    { "txt_question", "QPlainTextEdit", "", { 16, 48, 345, 217 }, "question box", texts::questionBoxHelp },
    { "txt_answer", "QPlainTextEdit", " ", { 376, 48, 337, 217 }, "answer box", texts::answerBoxHelp },
    { "Picture1", "tolvanex::PictureBox", "", { 16, 272, 345, 225 }, "picture box 1", texts::picture1Description },
    { "Picture2", "tolvanex::PictureBox", "", { 376, 272, 337, 225 }, "picture box 2", texts::picture2Description },
    { "lbl_only_if_prompted", "QLabel", "click only if prompted", { 16, 504, 57, 33 } },
    { "cmd_next_picture", "QPushButton", "next picture", { 80, 504, 57, 33 } },
    { "cmd_copy_picture", "QPushButton", "copy picture", { 80, 544, 57, 33 } },
    { "cmd_timerTrigger", "QPushButton", "Trigger Timer", { 160, 504, 49, 33 }, "", kInert },
    { "List1", "QListWidget", "", { 208, 512, 113, 56 }, "list", kInert },
    { "cmd_pend_exp", "QPushButton", "pend exp", { 576, 504, 33, 25 } },
};

const Control kParameters[] = {
    { "lbl_parameter", "QLabel", "Parameter 1", { 376, 512, 60, 13 } },
    { "txt_parameter", "QLineEdit", "1", { 448, 512, 20, 19 }, "Parameter 1", kInert },
    { "lbl_parameter", "QLabel", "Parameter 2", { 376, 544, 57, 13 } },
    { "txt_parameter", "QLineEdit", "1", { 448, 544, 20, 19 }, "Parameter 2", kInert },
    { "lbl_parameter", "QLabel", "Parameter 3", { 480, 512, 67, 13 } },
    { "txt_parameter", "QLineEdit", "1", { 547, 512, 20, 19 }, "Parameter 3", kInert },
    { "lbl_parameter", "QLabel", "Parameter 4", { 480, 544, 60, 13 } },
    { "txt_parameter", "QLineEdit", "1", { 547, 544, 20, 19 }, "Parameter 4", kInert },
};

QString captionOf(QWidget* widget)
{
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        return box->toPlainText();
    return {};
}

// The name a screen reader is given for the control.
std::string spokenName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).toStdString();
}

TEST(MainWindow, ThirtyControlsWithTheirCaptionsAndPlaces)
{
    Window w;
    EXPECT_EQ(w.window.windowTitle(), "Form1");
    EXPECT_EQ(w.window.size(), QSize(725, 566));
    for (const Control& c : kControls) {
        QWidget* widget = w.child(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(c.kind)) << c.name << " is a " << widget->metaObject()->className();
        EXPECT_EQ(widget->geometry(), c.pixels) << c.name;
        EXPECT_EQ(captionOf(widget), c.caption) << c.name;
        EXPECT_EQ(spokenName(widget), *c.accessibleName ? c.accessibleName : c.caption) << c.name;
        EXPECT_EQ(widget->accessibleDescription().toStdString(), c.description) << c.name;
    }
    int index[2] = { 0, 0 };
    for (const Control& c : kParameters) {
        const int kind = std::string(c.name) == "txt_parameter";
        const QList<QWidget*> members = w.window.findChildren<QWidget*>(c.name);
        ASSERT_EQ(members.size(), 4) << c.name;
        QWidget* member = members[index[kind]];
        EXPECT_EQ(member->property("index").toInt(), index[kind]);
        EXPECT_EQ(member->geometry(), c.pixels) << c.name << index[kind];
        EXPECT_EQ(captionOf(member), c.caption);
        EXPECT_EQ(spokenName(member), *c.accessibleName ? c.accessibleName : c.caption);
        EXPECT_EQ(member->accessibleDescription().toStdString(), c.description);
        ++index[kind];
    }
    QTimer* timer = w.window.findChild<QTimer*>("tmr_pend_exp");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 15);
    EXPECT_FALSE(timer->isActive());
}

TEST(MainWindow, CaptionsShowWholeInTheirPlaces)
{
    Window w;
    QList<QLabel*> labels = w.window.findChildren<QLabel*>("lbl_parameter");
    labels.append(w.child<QLabel>("lbl_only_if_prompted"));
    for (QLabel* label : labels) {
        const QRect needed = QFontMetrics(label->font()).boundingRect(label->rect(), Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
        EXPECT_GE(label->font().pointSizeF(), 6);
    }
}

TEST(MainWindow, TheTwoTextBoxesArePlainBoldAndAlwaysScrollable)
{
    Window w;
    for (const char* name : { "txt_question", "txt_answer" }) {
        auto* box = w.child<QPlainTextEdit>(name);
        EXPECT_EQ(box->font().pointSizeF(), 9.75);
        EXPECT_EQ(box->font().weight(), QFont::Bold);
        EXPECT_FALSE(box->font().italic());
        // "System" where the system has it, else the face every other control's text is in.
        const bool system = QFontDatabase::hasFamily("System");
        EXPECT_EQ(box->font().families().value(0, box->font().family()),
            system ? QString("System") : w.child("cmd_quit")->font().family());
        if (!system) {
            EXPECT_EQ(QFontInfo(box->font()).family(), QFontInfo(w.child("cmd_quit")->font()).family());
        }
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    EXPECT_EQ(w.window.answerText(), " ");
    EXPECT_EQ(w.window.questionText(), "");
    EXPECT_NE(w.child("cmd_quit")->font().weight(), QFont::Bold);
}

TEST(MainWindow, BoxesGiveBackExactlyWhatWasPutInAndTypedLineBreaksAsCrLf)
{
    Window w;
    BoxText question(w.child<QPlainTextEdit>("txt_question"));
    question.setText("a\r\nb{}\nc\r");
    EXPECT_EQ(question.text(), "a\r\nb{}\nc\r");
    question.append("\r\nmore");
    EXPECT_EQ(question.text(), "a\r\nb{}\nc\r\r\nmore");
    auto* answer = w.child<QPlainTextEdit>("txt_answer");
    answer->clear();
    QTest::keyClicks(answer, "v = 3 m/s");
    QTest::keyClick(answer, Qt::Key_Return);
    QTest::keyClicks(answer, "done");
    EXPECT_EQ(w.window.answerText(), "v = 3 m/s\r\ndone");
}

TEST(MainWindow, TabOrderFollowsTheTabPositions)
{
    Window w;
    QWidget* at = w.child("txt_question");
    for (const char* stop : testing::kTabOrder) {
        ASSERT_EQ(testing::tableRowOf(at), stop);
        do {
            at = at->nextInFocusChain();
        } while (at->focusPolicy() == Qt::NoFocus || at->objectName().isEmpty() || at->parent() != &w.window);
    }
}

TEST(MainWindow, LoadsThenShowsWithTheFocusInTheQuestionBox)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    EXPECT_EQ(w.h.prompter.asked.size(), 3u);
    ASSERT_TRUE(w.showActive());
    EXPECT_EQ(QApplication::focusWidget(), w.child("txt_question"));
    EXPECT_NE(fileBytes(w.folder("masterFile_Student_One.txt")).find("assignment #002"), std::string::npos);
}

// The draft cannot be saved (a folder stands where it belongs) while the student types on slowly:
// no box takes their keys, the window tells it until a save works again.
TEST(MainWindow, ADraftThatCannotBeSavedIsToldInTheWindowWhileTheStudentTypesOn)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    ASSERT_TRUE(w.showActive());
    w.click("cmdNextQuestion");
    const std::filesystem::path draft = w.folder(".tolvanex_Student_One.draft1");
    std::filesystem::create_directories(draft / "in the way");
    auto* answer = w.child<QPlainTextEdit>("txt_answer");
    auto* notice = w.child<QLabel>("notice");
    EXPECT_FALSE(notice->isVisible());
    answer->setFocus();
    answer->selectAll();
    const std::string words = "a the velocity is twelve meters per second";
    for (const char c : words) {
        QTest::keyClick(QApplication::focusWidget(), c);
        QTest::qWait(25); // the draft is saved between the keys, half a second after typing began
        ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << "at " << c;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 3000));
    EXPECT_EQ(w.window.answerText(), words);
    EXPECT_EQ(notice->text().toStdString(), texts::draftNotKeptLine);
    EXPECT_EQ(notice->accessibleDescription().toStdString().rfind(texts::draftNotKept, 0), 0u);
    EXPECT_EQ(w.h.messages.shown, std::vector<std::string> {});
    std::filesystem::remove_all(draft);
    QTest::keyClick(answer, '.');
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice->isVisible(); }, 3000));
    EXPECT_EQ(decodeDraft(fileBytes(draft)).words, words + ".");
}

// Words of a window that is gone come back when their block is shown, said in the window until the
// next click.
TEST(MainWindow, WordsBroughtBackAtTheirBlockAreToldInTheWindowUntilTheNextClick)
{
    Window w;
    std::filesystem::create_directories(w.folder(""));
    std::ofstream(w.folder(".tolvanex_Student_One.draft1"), std::ios::binary)
        << encodeDraft({ "v = 2.0 m/s", DraftPlace { "002", "1", LineKind::Answer, { 2026, 1, 6, 9, 30, 0, 0 } } });
    ASSERT_TRUE(w.start("2"));
    ASSERT_TRUE(w.showActive());
    auto* notice = w.child<QLabel>("notice");
    for (const char* shows : { "", "Your words for the worked answer to question 1 are back in the answer box.", "" }) {
        w.click("cmdNextQuestion");
        EXPECT_EQ(notice->isVisible(), *shows != 0);
        EXPECT_EQ(notice->text().toStdString(), shows);
        EXPECT_EQ(w.window.answerText() == "v = 2.0 m/s", *shows != 0);
    }
}

// The timer's work going wrong is told in the window, not in a box that would take the keys, until
// the next click.
TEST(MainWindow, ATimerTickThatGoesWrongIsToldInTheWindowUntilTheNextClick)
{
    struct BrokenBeeper : Beeper {
        void beep() override { throw std::runtime_error("no sound device"); }
    } beeper;
    testing::FakeWindowServices h;
    MainWindow window(
        { { h.prompter, h.messages, h.clock, h.random, h.files, beeper, h.exit, h.background }, h.clipboard },
        testing::threeAssignments());
    h.replyAtStartUp("Student One", "2");
    ASSERT_TRUE(window.load());
    window.show();
    auto* notice = window.findChild<QLabel*>("notice");
    window.findChild<QPushButton*>("cmd_pend_exp")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 3000));
    window.pendExpTimer().stop();
    EXPECT_EQ(notice->text().toStdString(), "Something went wrong: no sound device");
    EXPECT_EQ(h.messages.shown, std::vector<std::string> {});
    window.findChild<QPushButton*>("cmdNextQuestion")->click();
    EXPECT_FALSE(notice->isVisible());
}

TEST(MainWindow, InertControlsChangeNothing)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    w.click("cmdNextQuestion");
    const std::string question = w.window.questionText();
    const std::string master = fileBytes(w.folder("masterFile_Student_One.txt"));
    for (const char* name : { "cmd_Make_Paragraph_question", "cmd_Make_paragraph", "cmd_timerTrigger" })
        w.click(name);
    QTest::keyClicks(w.child("txt_paragraph_goback"), "7");
    for (QLineEdit* box : w.window.findChildren<QLineEdit*>("txt_parameter"))
        QTest::keyClicks(box, "9");
    QTest::mouseClick(w.child<QListWidget>("List1")->viewport(), Qt::LeftButton);
    QTest::mouseClick(w.child("lbl_only_if_prompted"), Qt::LeftButton);
    EXPECT_EQ(w.window.questionText(), question);
    EXPECT_EQ(fileBytes(w.folder("masterFile_Student_One.txt")), master);
    EXPECT_FALSE(w.window.hasEnded());
    // The reading went on where it was: the next click shows the given answer, after the prompt.
    w.click("cmdNextQuestion");
    EXPECT_EQ(w.window.questionText(), question + "Average speed = 6.0 m / 3.0 s = 2.0 m/s.");
    EXPECT_EQ(w.window.answerText(), texts::responsePrompt);
}

TEST(MainWindow, QuitEndsTheProgramAndLaterClicksDoNothing)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    w.window.show();
    const std::string master = fileBytes(w.folder("masterFile_Student_One.txt"));
    w.click("cmd_quit");
    EXPECT_TRUE(w.window.hasEnded());
    EXPECT_EQ(w.exit.exits, 1);
    EXPECT_FALSE(w.window.isVisible());
    w.click("cmdNextQuestion");
    w.click("cmd_quit");
    EXPECT_EQ(w.window.questionText(), "");
    EXPECT_EQ(w.exit.exits, 1);
    EXPECT_EQ(fileBytes(w.folder("masterFile_Student_One.txt")), master);
}

TEST(MainWindow, WordsNotFiledComeBackOnceTheWindowHasPaintedAndNothingTypedBeforeThatIsLost)
{
    // A window that is gone left words typed for assignment 002 before its first question: the rest
    // of the load event brings them back after the first paint, or first, when the student turns to
    // the answer box or clicks before that. Until then the box takes nothing, and nothing is told.
    const std::string words = "a = 2.0 m/s^2";
    const auto painted = [](Window& w) {
        w.window.show();
        EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.child<QPlainTextEdit>("txt_answer")->isReadOnly(); }, 10000));
    };
    const struct {
        const char* name;
        bool draft;
        std::function<void(Window&)> act;
        std::string answer; // afterwards
    } cases[] = {
        { "painted", true, painted, words },
        { "painted, no draft", false, painted, " " },
        { "a key first", true, [](Window& w) { QTest::keyClick(w.child("txt_answer"), Qt::Key_X); }, "x" + words },
        { "a click first", true, [](Window& w) { w.click("cmd_clear_answer_box"); }, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        std::filesystem::create_directories(w.h.folder());
        if (c.draft) {
            const DraftPlace place { "002", "", LineKind::None, { 2026, 1, 7, 14, 5, 9, 0 } };
            std::ofstream(w.folder(".tolvanex_Student_One.draft1"), std::ios::binary) << encodeDraft({ words, place });
        }
        ASSERT_TRUE(w.start("2"));
        auto* answer = w.child<QPlainTextEdit>("txt_answer");
        EXPECT_TRUE(answer->isReadOnly());
        EXPECT_EQ(w.window.answerText(), " ");
        EXPECT_TRUE(w.h.messages.shown.empty());
        c.act(w);
        EXPECT_FALSE(answer->isReadOnly());
        EXPECT_EQ(w.window.answerText(), c.answer);
        EXPECT_EQ(w.h.messages.shown.size(), c.draft ? 1u : 0u);
        if (c.draft) {
            EXPECT_EQ(
                w.h.messages.shown[0].rfind("Your words typed on 01-07-2026 at 14:05:09 for assignment 002", 0), 0u)
                << w.h.messages.shown[0];
        }
    }
}

TEST(MainWindow, CancellingAtStartUpEndsBeforeTheWindowShows)
{
    Window w;
    w.h.prompter.reply("A");
    w.h.prompter.reply("");
    w.h.prompter.reply("019");
    w.h.prompter.cancel();
    EXPECT_FALSE(w.window.load());
    EXPECT_EQ(w.exit.exits, 1);
    EXPECT_EQ(w.h.messages.shown.size(), 1u);
}

TEST(MainWindow, ShortcutsPageAndFileWithoutTouchingCaptions)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    ASSERT_TRUE(w.showActive());
    auto* answer = w.child<QPlainTextEdit>("txt_answer");
    answer->setFocus();
    QTest::keyClick(answer, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.window.questionText().rfind("`q001.  ", 0), 0u);
    answer->clear();
    QTest::keyClicks(answer, "x=2");
    w.h.prompter.reply("2");
    QTest::keyClick(answer, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_NE(fileBytes(w.folder("masterFile_Student_One.txt"))
                  .find("RESPONSE -->  \r\nx=2\r\nconfidence assessment:  2\r\n"),
        std::string::npos);
    EXPECT_EQ(w.window.answerText(), "");
    QTest::keyClicks(answer, "a note");
    QTest::keyClick(answer, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(fileBytes(w.folder("notes_Student_One.txt")).find("NOTES -------> a note\r\n"), std::string::npos);
    EXPECT_EQ(w.child<QPushButton>("cmd_enter_response")->text(), "Enter Response");
}

TEST(MainWindow, ButtonsWorkFromTheKeyboard)
{
    Window w;
    ASSERT_TRUE(w.start("2"));
    ASSERT_TRUE(w.showActive());
    auto* next = w.child<QPushButton>("cmdNextQuestion");
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space);
    EXPECT_FALSE(w.window.questionText().empty());
}

TEST(PromptDialog, OkGivesTheTextCancelGivesNothing)
{
    QtPrompter prompter;
    QString title;
    int labelWidth = 0;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        title = modal->windowTitle();
        labelWidth = modal->findChild<QLabel*>("prompt")->width();
        auto* edit = modal->findChild<QLineEdit*>("reply");
        EXPECT_TRUE(edit->text().isEmpty());
        QTest::keyClicks(edit, "Student One");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    const std::string longPrompt(400, 'x');
    EXPECT_EQ(prompter.ask("Your full name:  " + longPrompt), std::optional<std::string>("Student One"));
    EXPECT_EQ(title, "tolvanex");
    EXPECT_LE(labelWidth, 400);

    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        QTest::keyClicks(modal->findChild<QLineEdit*>("reply"), "typed");
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(prompter.ask("Assignment Number:  "), std::nullopt);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() || QApplication::activeModalWidget() == nullptr);
}

} // namespace
} // namespace tolvanex
