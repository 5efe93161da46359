// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its thirty controls, keyboard order and shortcuts, inert controls, the text
// boxes' exact texts, the real prompt dialog, and the end of the program.
#include "core/text/Texts.h"
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"
#include "support/TabOrder.h"
#include "support/WindowFakes.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

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
