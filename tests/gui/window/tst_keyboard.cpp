// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window by keyboard: Tab and Shift+Tab through both text boxes, pasted tabs, every button with
// a handler pressed through the window (mouse, Space, Enter) with the focus it leaves behind (and
// the order in which a screen reader learns of it), F6, and the program's own prompts and message
// boxes answered with Enter and Escape.
#include "core/text/Texts.h"
#include "gui/pictures/PictureBox.h"
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"
#include "support/TabOrder.h"
#include "support/WindowFakes.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

using testing::fileBytes;

const std::string kDots(49, '.');

// Scripted replies and recorded messages; with dialogs on, also the program's own prompt once the
// script has run out, and its own message box.
class Dialogs : public Prompter, public MessageService {
public:
    explicit Dialogs(testing::FakeWindowServices& h)
        : m_h(h)
    {
    }
    std::optional<std::string> ask(const std::string& prompt) override
    {
        if (on && m_h.prompter.replies.empty())
            return QtPrompter().ask(prompt);
        return m_h.prompter.ask(prompt);
    }
    void showMessage(const std::string& text) override
    {
        m_h.messages.showMessage(text);
        if (on)
            QtMessageService().showMessage(text);
    }
    bool on = false;

private:
    testing::FakeWindowServices& m_h;
};

// The window over the three-assignment course, started at an assignment, shown and active.
struct Keys {
    explicit Keys(const char* assignment = "2")
        : dialogs(h)
        , window({ h.servicesWith(&dialogs, &dialogs), h.clipboard }, testing::threeAssignments())
    {
        h.replyAtStartUp("Student One", assignment);
        EXPECT_TRUE(window.load());
        window.show();
        activate();
    }
    // As a window manager does once a dialog has gone.
    void activate()
    {
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <class T = QWidget> T* child(const char* name) { return window.findChild<T*>(name); }
    // Text put into a box as the student would put it there.
    void type(const char* box, const char* text) { child<QPlainTextEdit>(box)->setPlainText(text); }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    // A key as the keyboard gives it: to the widget that has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        if (QWidget* at = QApplication::focusWidget())
            QTest::keyClick(at, key, modifiers);
        else
            ADD_FAILURE() << "no control has the focus";
    }
    std::string focused() const
    {
        QWidget* at = QApplication::focusWidget();
        return at ? at->objectName().toStdString() : "(none)";
    }
    std::string file(const char* prefix) const
    {
        return fileBytes(h.folder() / (prefix + std::string("Student_One.txt")));
    }

    testing::FakeWindowServices h;
    Dialogs dialogs;
    MainWindow window;
};

// The caret of a box: where its selection begins (the anchor), and where it stands.
std::pair<int, int> caret(QPlainTextEdit* box)
{
    return { box->textCursor().anchor(), box->textCursor().position() };
}

int endOf(QPlainTextEdit* box)
{
    return box->document()->characterCount() - 1;
}

// The moments at which Qt tells accessibility tools that a text box took the focus (its focus
// event goes out as the application's focus changes) and that its caret or selection moved (sent
// as the box says its cursor moved or its selection changed), in their order.
class FocusAndCaret {
public:
    explicit FocusAndCaret(MainWindow& window)
    {
        m_connections.push_back(QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget*, QWidget* now) {
            if (now)
                m_seen.push_back("focus " + now->objectName().toStdString());
        }));
        for (auto* box : window.findChildren<QPlainTextEdit*>()) {
            const std::string name = box->objectName().toStdString();
            m_connections.push_back(QObject::connect(
                box, &QPlainTextEdit::cursorPositionChanged, [this, name] { m_seen.push_back("caret " + name); }));
            m_connections.push_back(QObject::connect(
                box, &QPlainTextEdit::selectionChanged, [this, name] { m_seen.push_back("caret " + name); }));
        }
    }
    ~FocusAndCaret()
    {
        for (const auto& connection : m_connections)
            QObject::disconnect(connection);
    }
    void clear() { m_seen.clear(); }
    // A screen reader takes a caret that moves in a box before the box's focus event as the focus
    // arriving there unannounced, and then says nothing when the focus event comes.
    void expectFocusBeforeCaret(const char* box) const
    {
        const auto focus = std::find(m_seen.begin(), m_seen.end(), "focus " + std::string(box));
        ASSERT_NE(focus, m_seen.end()) << box << " did not take the focus";
        EXPECT_EQ(std::find(m_seen.begin(), focus, "caret " + std::string(box)), focus)
            << "the caret or selection of " << box << " moved before it took the focus";
    }

private:
    std::vector<std::string> m_seen;
    std::vector<QMetaObject::Connection> m_connections;
};

TEST(Keyboard, TabAndShiftTabGoRoundTheTabOrderFromBothTextBoxesAndTypeNoTab)
{
    Keys k;
    ASSERT_EQ(k.focused(), "txt_question");
    using testing::kTabOrder;
    const int n = std::size(kTabOrder);
    for (int i = 1; i <= n; ++i) {
        k.press(Qt::Key_Tab);
        ASSERT_EQ(testing::tableRowOf(QApplication::focusWidget()), kTabOrder[i % n]) << "Tab number " << i;
    }
    for (int i = n - 1; i >= 0; --i) {
        k.press(Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_EQ(testing::tableRowOf(QApplication::focusWidget()), kTabOrder[i]) << "Shift+Tab back to position " << i;
    }
    // No key puts a tab character into either box, Ctrl+Tab included.
    for (const char* box : { "txt_question", "txt_answer" }) {
        k.child(box)->setFocus();
        k.press(Qt::Key_Tab, Qt::ControlModifier);
        k.press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    }
    EXPECT_EQ(k.window.questionText(), "");
    EXPECT_EQ(k.window.answerText(), " ");
}

TEST(Keyboard, APastedTabStaysInTheTextAndIsFiled)
{
    Keys k;
    k.press(Qt::Key_Tab);
    QApplication::clipboard()->setText("vf\t= 7 m/s");
    k.press(Qt::Key_A, Qt::ControlModifier);
    k.press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(k.window.answerText(), "vf\t= 7 m/s");
    k.press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(k.file("notes_").ends_with("NOTES -------> vf\t= 7 m/s\r\n" + kDots + "       "));
}

// One button with a handler: what is set up before it is pressed, what the press must have done,
// and where the focus is afterwards with its caret (none when the program has ended).
struct Press {
    const char* button;
    const char* assignment;
    std::function<void(Keys&)> before;
    std::function<void(Keys&)> done;
    const char* focus;
    std::function<std::pair<int, int>(QPlainTextEdit*)> caretIn = nullptr;
};

const Press kPresses[] = {
    { "cmdNextQuestion", "2", [](Keys&) {},
        [](Keys& k) {
            EXPECT_EQ(
                k.window.questionText(), "`q001.  A cart rolls 6.0 m in 3.0 s.\r\nHow fast does it go on average?");
        },
        "txt_answer", [](QPlainTextEdit* box) { return std::pair(endOf(box), 0); } }, // the first blank, selected
    { "cmdNextQuestion", "2", [](Keys& k) { k.click("cmdNextQuestion"); },
        [](Keys& k) { EXPECT_EQ(k.window.answerText(), texts::responsePrompt); }, "txt_answer",
        [](QPlainTextEdit* box) { return std::pair(endOf(box), 0); } }, // the response prompt, selected
    { "cmd_enter_response", "2",
        [](Keys& k) {
            k.click("cmdNextQuestion");
            k.type("txt_answer", "v = 2 m/s");
            k.h.prompter.reply("3");
        },
        [](Keys& k) {
            EXPECT_TRUE(
                k.file("masterFile_")
                    .ends_with("RESPONSE -->  \r\nv = 2 m/s\r\nconfidence assessment:  3\r\n" + kDots + "\r\n"));
            EXPECT_EQ(k.window.questionText() + k.window.answerText(), "");
        },
        "cmdNextQuestion" },
    { "cmd_enter_response", "2", // the files cannot be written: the words stay, and so does the focus
        [](Keys& k) {
            k.type("txt_answer", "kept words");
            k.h.files.failOpenContaining = "masterFile";
        },
        [](Keys& k) {
            EXPECT_EQ(k.h.messages.shown.size(), 1u);
            EXPECT_EQ(k.window.answerText(), "kept words");
        },
        "txt_answer", [](QPlainTextEdit* box) { return std::pair(endOf(box), endOf(box)); } },
    { "cmd_save_as_notes", "2", [](Keys& k) { k.type("txt_answer", "units first"); },
        [](Keys& k) {
            EXPECT_TRUE(k.file("notes_").ends_with("NOTES -------> units first\r\n" + kDots + "       "));
            EXPECT_EQ(k.window.questionText() + k.window.answerText(), "");
        },
        "txt_answer", [](QPlainTextEdit*) { return std::pair(0, 0); } },
    { "cmd_display_note_file", "2",
        [](Keys& k) {
            k.type("txt_answer", "n");
            k.click("cmd_save_as_notes");
            k.type("txt_question", "seen");
        },
        [](Keys& k) { EXPECT_EQ(k.window.questionText().rfind("seenNOTES -------> n......!!!!!!!!", 0), 0u); },
        "txt_question", [](QPlainTextEdit*) { return std::pair(4, 4); } }, // at the start of what was added
    { "cmd_displayCumulativeText", "2", [](Keys& k) { k.type("txt_question", "seen"); },
        [](Keys& k) {
            EXPECT_EQ(k.window.questionText().rfind("seen\r\n", 0), 0u);
            EXPECT_NE(k.window.questionText().find("\r\nassignment #002\r\n002.  Velocity\r\nPhysics I\r\n"),
                std::string::npos);
        },
        "txt_question", [](QPlainTextEdit*) { return std::pair(4, 4); } },
    { "cmd_clear_answer_box", "2", [](Keys& k) { k.type("txt_answer", "scratch"); },
        [](Keys& k) { EXPECT_EQ(k.window.answerText(), ""); }, "txt_answer" },
    { "cmd_next_picture", "1", // question, answer, then the routine line two lines on is run
        [](Keys& k) {
            k.click("cmdNextQuestion");
            k.click("cmdNextQuestion");
        },
        [](Keys& k) { EXPECT_FALSE(k.window.hasEnded()); }, "cmd_next_picture" },
    { "cmd_copy_picture", "2", // a picture to copy, and a clipboard that cannot be used: a message
        [](Keys& k) {
            k.child<PictureBox>("Picture1")->setPicture(QImage(8, 8, QImage::Format_RGB32));
            k.h.clipboard.refusePut = true;
        },
        [](Keys& k) { EXPECT_EQ(k.h.messages.shown.size(), 1u); }, "cmd_copy_picture" },
    { "cmd_pend_exp", "2", [](Keys&) {},
        [](Keys& k) {
            EXPECT_TRUE(k.window.pendExpTimer().isActive());
            k.window.pendExpTimer().stop();
        },
        "cmd_pend_exp" },
    { "cmd_quit", "2", [](Keys&) {},
        [](Keys& k) {
            EXPECT_TRUE(k.window.hasEnded());
            EXPECT_EQ(k.h.exit.exits, 1);
        },
        nullptr },
};

TEST(Keyboard, EveryButtonWithAHandlerWorksThroughTheWindowAndLeavesTheFocusWhereItIsNeeded)
{
    enum Way { Mouse, Space, Enter };
    const char* const ways[] = { " by mouse", " by Space", " by Enter" };
    for (const Press& p : kPresses) {
        for (Way way : { Mouse, Space, Enter }) {
            SCOPED_TRACE(p.button + std::string(ways[way]));
            Keys k(p.assignment);
            p.before(k);
            FocusAndCaret told(k.window);
            auto* button = k.child<QPushButton>(p.button);
            if (way == Mouse) {
                // At the middle of the button as it lies in the window: nothing covers it.
                const QPoint middle = button->geometry().center();
                ASSERT_EQ(k.window.childAt(middle), button);
                QTest::mouseClick(k.window.windowHandle(), Qt::LeftButton, Qt::NoModifier, middle);
            } else {
                button->setFocus();
                k.press(way == Space ? Qt::Key_Space : Qt::Key_Return);
            }
            p.done(k);
            if (!p.focus)
                continue;
            EXPECT_EQ(k.focused(), p.focus);
            if (p.caretIn) {
                auto* box = k.child<QPlainTextEdit>(p.focus);
                EXPECT_EQ(caret(box), p.caretIn(box));
                told.expectFocusBeforeCaret(p.focus);
            }
        }
    }
}

TEST(Keyboard, AFilingIsToldByTheControlTheFocusGoesToOrAnnouncedWhereTheFocusStays)
{
    const std::string help(texts::answerBoxHelp);
    const std::string noteFiled(texts::noteFiledNews);
    const struct {
        const char* button;
        const char* words; // nullptr: the response prompt
        bool fails;
        bool fromAnswerBox; // the button pressed while the focus is in the answer box (its shortcut)
        std::string told;
        std::string announced; // empty: nothing
    } cases[] = {
        { "cmd_enter_response", "v = 2 m/s", false, false, std::string(texts::responseFiledNews), "" },
        { "cmd_enter_response", "", true, false, help, "" }, // an empty response that could not be filed: not told
        { "cmd_save_as_notes", "units first", false, false, noteFiled + " " + help, "" },
        { "cmd_save_as_notes", "units first", false, true, noteFiled + " " + help, noteFiled },
        { "cmd_save_as_notes", nullptr, false, true, help, "" }, // the response prompt alone files nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.button) + " " + (c.words ? c.words : "(prompt)") + (c.fromAnswerBox ? " in the box" : ""));
        Keys k;
        k.click("cmdNextQuestion");
        if (c.words)
            k.type("txt_answer", c.words);
        else
            k.click("cmdNextQuestion"); // paged on without filing: the response prompt
        ASSERT_EQ(k.window.answerText(), c.words ? c.words : texts::responsePrompt);
        k.h.prompter.reply("3");
        k.h.files.failOpenContaining = c.fails ? "masterFile" : "";
        k.child(c.fromAnswerBox ? "txt_answer" : c.button)->setFocus();
        k.child<QPushButton>(c.button)->click();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->accessibleDescription().toStdString(), c.told);
        // The announcement: a notification, shown while it has words.
        QWidget* announcer = k.child("announcer");
        ASSERT_NE(announcer, nullptr);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
        EXPECT_EQ(announcer->isVisible() ? announcer->accessibleName().toStdString() : "", c.announced);
        EXPECT_EQ(announcer->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(announcer->size().isEmpty());
        if (!c.announced.empty()) {
            // Until the focus leaves the box.
            k.press(Qt::Key_Tab);
            EXPECT_FALSE(announcer->isVisible());
            EXPECT_EQ(announcer->accessibleName().toStdString(), "");
        }
    }
}

TEST(Keyboard, F6ReachesTheNewestBlockAndGoesBackTellingTheFocusBeforeTheCaret)
{
    Keys k;
    k.type("txt_question", "read before");
    k.click("cmd_displayCumulativeText"); // the newest block: the send file, after the text read before
    k.click("cmd_clear_answer_box");
    k.type("txt_answer", "my words");
    auto* question = k.child<QPlainTextEdit>("txt_question");
    auto* answer = k.child<QPlainTextEdit>("txt_answer");
    const auto caretTo = [](QPlainTextEdit* box, int at) {
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(at);
        box->setTextCursor(cursor);
    };
    FocusAndCaret told(k.window);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        // The student has read on in the question box, and moved about in the answer box.
        caretTo(question, endOf(question));
        caretTo(answer, 2);
        answer->setFocus();
        told.clear();
        k.press(Qt::Key_F6);
        EXPECT_EQ(k.focused(), "txt_question");
        EXPECT_EQ(caret(question), std::pair(11, 11));
        told.expectFocusBeforeCaret("txt_question");
        told.clear();
        k.press(Qt::Key_F6);
        EXPECT_EQ(k.focused(), "txt_answer");
        EXPECT_EQ(caret(answer), std::pair(8, 8)); // the student's words: the caret at their end
        told.expectFocusBeforeCaret("txt_answer");
    }
}

// Answers the next modal dialog, once it is up, from the keyboard: the text typed into its focused
// control, then the key. A dialog the key leaves open is closed here, and `closed` stays false.
void answerNextDialog(const QString& typed, Qt::Key key, bool& closed, QString* focusedName = nullptr)
{
    closed = false;
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [=, &closed, tries = 0]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        const bool up = modal && modal->isVisible() && modal->isActiveWindow() && modal->focusWidget();
        if (!up && ++tries < 1000)
            return;
        poll->stop();
        poll->deleteLater();
        if (!up) {
            if (modal)
                qobject_cast<QDialog*>(modal)->reject();
            return;
        }
        QWidget* target = modal->focusWidget();
        if (focusedName)
            *focusedName = target ? target->objectName() : QString();
        QTest::keyClicks(target, typed);
        QTest::keyClick(target, key);
        closed = QApplication::activeModalWidget() != modal;
        if (!closed)
            qobject_cast<QDialog*>(modal)->reject();
    });
    poll->start();
}

TEST(Keyboard, RatingPromptsTakeEnterAndEscapeGivesTheEmptyReplyOfCancel)
{
    Keys k;
    k.dialogs.on = true;
    const struct {
        const char* typed;
        Qt::Key key;
        const char* line;
    } ratings[] = {
        { "2", Qt::Key_Return, "confidence assessment:  2\r\n" }, // after the question
        { "3", Qt::Key_Escape, "self critique assessment: \r\n" }, // after the given answer
    };
    for (const auto& r : ratings) {
        k.press(Qt::Key_PageDown, Qt::ControlModifier);
        ASSERT_EQ(k.focused(), "txt_answer");
        QTest::keyClicks(QApplication::focusWidget(), "my words");
        bool closed = false;
        QString inField;
        answerNextDialog(r.typed, r.key, closed, &inField);
        k.press(Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(closed);
        EXPECT_EQ(inField, "reply");
        EXPECT_TRUE(
            k.file("masterFile_").ends_with("RESPONSE -->  \r\nmy words\r\n" + std::string(r.line) + kDots + "\r\n"));
        k.activate();
        EXPECT_EQ(k.focused(), "cmdNextQuestion");
    }
}

TEST(Keyboard, MessageBoxesCloseWithEnterOrEscape)
{
    Keys k;
    k.dialogs.on = true;
    auto* notes = k.child<QPushButton>("cmd_display_note_file");
    for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
        bool closed = false;
        answerNextDialog("", key, closed);
        notes->setFocus();
        k.press(Qt::Key_Space); // no notes yet: a message
        EXPECT_TRUE(closed) << key;
        k.activate();
        EXPECT_EQ(k.focused(), "txt_question");
    }
    EXPECT_EQ(k.h.messages.shown.size(), 3u);
    EXPECT_EQ(k.window.questionText(), "");
}

// A filing that waits for another copy of the program shows it after the window's title, after a
// rating prompt (which leaves no window active for a moment, or itself still active) as well as
// after "Save as Notes" (the window active).
TEST(Keyboard, AFilingThatWaitsShowsItInTheProgramsTitleWhicheverWindowIsActive)
{
    Keys k;
    for (const char* active : { "the window", "no window", "a dialog" }) {
        SCOPED_TRACE(active);
        QDialog dialog(&k.window);
        dialog.setWindowTitle("tolvanex");
        if (active == std::string("a dialog")) {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
        } else {
            QApplication::setActiveWindow(active == std::string("no window") ? nullptr : &k.window);
        }
        QtMessageService messages;
        messages.showWaiting("Waiting");
        EXPECT_EQ(k.window.windowTitle(), "Form1 - Waiting");
        EXPECT_EQ(dialog.windowTitle(), "tolvanex");
        messages.endWaiting();
        EXPECT_EQ(k.window.windowTitle(), "Form1");
    }
}

} // namespace
} // namespace tolvanex
