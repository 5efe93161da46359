// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/MainWindow.h"

#include "core/pictures/PendExp.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"
#include "gui/pictures/PictureBox.h"
#include "gui/window/Announcer.h"
#include "gui/window/WrapButton.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace tolvanex {
namespace {

// Positions and sizes are given in twips, the classic unit of form layouts: 1440 twips make an inch,
// so at 96 dots per inch a pixel is 15 twips (Qt scales the pixels for the screen).
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont textBoxFont()
{
    // "System" where the system has it, the platform's general face otherwise: the family list is
    // resolved when the font is first used, without listing every font on the system up front.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies({ QStringLiteral("System"), font.family() });
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Captions drawn smaller, all at one size and down to 6 points, until each shows whole in its
// label's place; captions that cannot be shown whole even then keep the window's font.
void fitCaptions(const QList<QLabel*>& labels)
{
    const QFont original = labels.front()->font();
    QFont font = original;
    const auto fits = [&font](QLabel* label) {
        label->setFont(font);
        const QFontMetrics metrics(font);
        const QStringList words = label->text().split(' ', Qt::SkipEmptyParts);
        return label->heightForWidth(label->width()) <= label->height()
            && std::all_of(words.begin(), words.end(),
                [&](const QString& word) { return metrics.horizontalAdvance(word) <= label->width(); });
    };
    for (qreal points = original.pointSizeF(); points >= 6; points -= 0.25) {
        font.setPointSizeF(points);
        if (std::all_of(labels.begin(), labels.end(), fits))
            return;
    }
    font = original;
    std::for_each(labels.begin(), labels.end(), fits);
}

} // namespace

BoxText::BoxText(QPlainTextEdit* edit)
    : m_edit(edit)
{
    m_typed = QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] { m_edited = true; });
}

BoxText::~BoxText()
{
    // The box outlives this (the window deletes its controls last), and may still signal.
    QObject::disconnect(m_typed);
}

void BoxText::takeTypedText()
{
    if (!m_edited)
        return;
    QString raw = m_edit->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    m_text = raw.toStdString();
    m_edited = false;
}

std::string BoxText::text()
{
    takeTypedText();
    return m_text;
}

void BoxText::setText(const std::string& text)
{
    if (!m_edited && text == m_text) {
        // The box shows this very text already (the drill puts the response prompt back after every
        // question): laying it out again would change nothing but the caret and the scrolling.
        m_edit->moveCursor(QTextCursor::Start);
        m_edit->verticalScrollBar()->setValue(0);
        return;
    }
    const QSignalBlocker blocker(m_edit);
    m_text = text;
    m_edited = false;
    m_edit->setPlainText(fromUtf8(text));
}

void BoxText::append(const std::string& tail)
{
    takeTypedText();
    if (tail.empty())
        return;
    const QSignalBlocker blocker(m_edit);
    m_text += tail;
    // Inside an edit block the cursor does not work out its horizontal position; outside one, moving
    // to the end and inserting would each lay out the last paragraph in full, which for a long one
    // costs as much as showing it. The paragraph is laid out once, when the block ends.
    QTextCursor cursor(m_edit->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(fromUtf8(tail));
    cursor.endEditBlock();
}

MainWindow::MainWindow(const WindowServices& services, const BankContent& content, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_drill(services.core, content)
{
    setObjectName("Form1");
    setWindowTitle("Form1");
    resize(10875 / 15, 8490 / 15);
    // The platform's own face at the 8 points of a classic dialog font, so that the captions fit
    // the classic button sizes as well as they can.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8);
    setFont(font);
    buildControls();
}

MainWindow::~MainWindow()
{
    // ~QWidget, which runs after this, closes the window and deletes the controls: the focus moves
    // out of the window and the controls signal as they go, when the window's own part is gone
    // already. So every connection that would call into the window is cut here, first: those to
    // the application (the focus) and those from the controls and the timers.
    m_timer.stop();
    m_draftTimer.stop();
    if (qApp)
        QObject::disconnect(qApp, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void MainWindow::buildControls()
{
    struct Button {
        const char* name;
        std::string_view caption;
        QRect place;
        std::function<Outcome()> click;
    };
    Drill& d = m_drill;
    const Button buttons[] = {
        { "cmdNextQuestion", texts::nextQuestionCaption, twips(240, 0, 975, 735),
            [this, &d] { return d.nextQuestion(questionText(), answerText()); } },
        { "cmd_Make_Paragraph_question", "Make Paragraph", twips(1200, 240, 855, 495), nullptr },
        { "cmd_display_note_file", "display notes", twips(3360, 360, 135, 195), [&d] { return d.displayNotes(); } },
        { "cmd_displayCumulativeText", "display SEND file", twips(4440, 240, 855, 495),
            [&d] { return d.displaySendFile(); } },
        { "cmd_enter_response", texts::enterResponseCaption, twips(5640, 240, 855, 495),
            [this, &d] { return d.enterResponse(answerText()); } },
        { "cmd_save_as_notes", texts::saveAsNotesCaption, twips(6480, 240, 855, 495),
            [this, &d] { return d.saveAsNotes(answerText()); } },
        { "cmd_Make_paragraph", "Make Paragraph", twips(7320, 240, 975, 495), nullptr },
        { "cmd_clear_answer_box", "clear box", twips(8280, 240, 855, 495), [&d] { return d.clearBox(); } },
        { "cmd_quit", "quit program", twips(10200, 0, 735, 495), [&d]() -> Outcome { d.quit(); } },
        { "cmd_next_picture", "next picture", twips(1200, 7560, 855, 495), [&d] { return d.nextPicture(); } },
        { "cmd_copy_picture", "copy picture", twips(1200, 8160, 855, 495),
            [this] {
                copyPicture(*m_picture1, *m_picture2, m_services.clipboard, m_services.core.messages);
                return Outcome {};
            } },
        { "cmd_timerTrigger", "Trigger Timer", twips(2400, 7560, 735, 495), nullptr },
        { "cmd_pend_exp", "pend exp", twips(8640, 7560, 495, 375),
            [this] {
                // Once running the timer keeps its rhythm: a further click neither restarts it nor adds one.
                if (!m_timer.isActive())
                    m_timer.start();
                return Outcome {};
            } },
    };
    for (const Button& entry : buttons) {
        auto* button = new WrapButton(qText(entry.caption), this);
        button->setObjectName(entry.name);
        button->setGeometry(entry.place);
        if (!entry.click)
            button->setAccessibleDescription(qText(texts::inertControl));
        else
            connect(button, &QPushButton::clicked, this, [this, handler = entry.click] { click(handler); });
    }

    auto label = [this](const char* name, const char* caption, QRect place) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        l->setGeometry(place);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    auto smallBox = [this](const char* name, QRect place) {
        auto* box = new QLineEdit("1", this);
        box->setObjectName(name);
        box->setGeometry(place);
        box->setAccessibleDescription(qText(texts::inertControl));
        return box;
    };
    label("lbl_paragraph_goback", "# sentences previous", twips(2880, 360, 135, 135));
    smallBox("txt_paragraph_goback", twips(3120, 240, 150, 285))->setAccessibleName("sentences previous");
    label("lbl_only_if_prompted", "click only if prompted", twips(240, 7560, 855, 495));

    // The font is looked up once for both boxes. Plain text needs no OpenType shaping (scripts that
    // do are still shaped): without it a long paragraph is laid out in well under half the time.
    QFont boxFont = textBoxFont();
    boxFont.setStyleStrategy(QFont::PreferNoShaping);
    auto bigBox = [this, &boxFont](const char* name, QRect place, const char* description) {
        auto* box = new QPlainTextEdit(this);
        box->setObjectName(name);
        box->setGeometry(place);
        box->setFont(boxFont);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setAccessibleName(description);
        // Tab and Shift+Tab move on to the next control, as in every other control; a tab
        // character that comes in by pasting stays in the text.
        box->setTabChangesFocus(true);
        return box;
    };
    m_question = bigBox("txt_question", twips(240, 720, 5175, 3255), "question box");
    m_answer = bigBox("txt_answer", twips(5640, 720, 5055, 3255), "answer box");
    m_question->setAccessibleDescription(qText(texts::questionBoxHelp));
    m_answer->setAccessibleDescription(qText(texts::answerBoxHelp));
    m_questionText = std::make_unique<BoxText>(m_question);
    m_answerText = std::make_unique<BoxText>(m_answer);
    m_answerText->setText(" ");
    m_announcer = new Announcer(this);

    m_picture1 = new PictureBox(this);
    m_picture1->setObjectName("Picture1");
    m_picture1->setGeometry(twips(240, 4080, 5175, 3375));
    m_picture1->setAccessibleName("picture box 1");
    m_picture1->setAccessibleDescription(qText(texts::picture1Description));
    m_picture2 = new PictureBox(this);
    m_picture2->setObjectName("Picture2");
    m_picture2->setGeometry(twips(5640, 4080, 5055, 3375));
    m_picture2->setAccessibleName("picture box 2");
    m_picture2->setAccessibleDescription(qText(texts::picture2Description));

    auto* list = new QListWidget(this);
    list->setObjectName("List1");
    list->setGeometry(twips(3120, 7680, 1695, 840));
    list->setAccessibleName("list");
    list->setAccessibleDescription(qText(texts::inertControl));

    const struct {
        QRect label;
        QRect box;
    } parameters[] = {
        { twips(5640, 7680, 900, 195), twips(6720, 7680, 300, 285) },
        { twips(5640, 8160, 855, 195), twips(6720, 8160, 300, 285) },
        { twips(7200, 7680, 1005, 195), twips(8205, 7680, 300, 285) },
        { twips(7200, 8160, 900, 195), twips(8205, 8160, 300, 285) },
    };
    for (int i = 0; i < 4; ++i) {
        const QString caption = QString("Parameter %1").arg(i + 1);
        QLabel* l = label("lbl_parameter", "", parameters[i].label);
        l->setText(caption);
        l->setProperty("index", i);
        QLineEdit* box = smallBox("txt_parameter", parameters[i].box);
        box->setProperty("index", i);
        box->setAccessibleName(caption);
    }
    // "# sentences previous" is too small for any caption: it shows what fits, as designed.
    fitCaptions(findChildren<QLabel*>("lbl_parameter"));
    fitCaptions({ findChild<QLabel*>("lbl_only_if_prompted") });

    m_draftTimer.setParent(this);
    m_draftTimer.setObjectName("draftTimer");
    m_draftTimer.setSingleShot(true);
    m_draftTimer.setInterval(500);
    connect(m_answer, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_draftTimer.isActive())
            m_draftTimer.start();
    });
    connect(&m_draftTimer, &QTimer::timeout, this, [this] { run([this] { m_drill.answerTyped(answerText()); }); });
    // A draft that cannot be saved is told on this thread, once the save on the background failed.
    m_drill.onDraftNews([this] {
        QMetaObject::invokeMethod(
            this, [this] { run([this] { m_drill.draftNews(); }); }, Qt::QueuedConnection);
    });

    m_timer.setParent(this);
    m_timer.setObjectName("tmr_pend_exp");
    m_timer.setInterval(15);
    connect(&m_timer, &QTimer::timeout, this,
        [this] { run([this] { pendExpTick(m_services.core.beeper, m_services.core.random, *m_picture1); }); });

    // Keyboard order: the controls that take the focus, in their tab positions.
    const char* order[] = { "txt_question", "txt_answer", "cmdNextQuestion", "cmd_enter_response", "Picture1",
        "Picture2", "cmd_save_as_notes", "cmd_Make_paragraph", "cmd_Make_Paragraph_question", "txt_paragraph_goback",
        "cmd_timerTrigger", "List1" };
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (const char* name : order)
        chain(findChild<QWidget*>(name));
    for (QLineEdit* box : findChildren<QLineEdit*>("txt_parameter"))
        chain(box);
    for (const char* name : { "cmd_displayCumulativeText", "cmd_display_note_file", "cmd_quit", "cmd_pend_exp",
             "cmd_next_picture", "cmd_copy_picture", "cmd_clear_answer_box" })
        chain(findChild<QWidget*>(name));
    m_picture1->setFocusPolicy(Qt::TabFocus);
    m_picture2->setFocusPolicy(Qt::TabFocus);

    // Keys no one types in an answer by accident: never a bare letter or digit.
    const struct {
        const char* button;
        QKeySequence keys;
    } shortcuts[] = {
        { "cmdNextQuestion", QKeySequence(Qt::CTRL | Qt::Key_PageDown) },
        { "cmd_enter_response", QKeySequence(Qt::CTRL | Qt::Key_Return) },
        { "cmd_enter_response", QKeySequence(Qt::CTRL | Qt::Key_Enter) },
        { "cmd_save_as_notes", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) },
    };
    for (const auto& shortcut : shortcuts) {
        auto* button = findChild<QPushButton*>(shortcut.button);
        auto* key = new QShortcut(shortcut.keys, this);
        connect(key, &QShortcut::activated, button, &QPushButton::click);
        button->setToolTip(button->text() + " (" + shortcut.keys.toString(QKeySequence::NativeText) + ")");
    }
    // F6 takes a screen reader's user from wherever they are to the newest block, and back.
    connect(new QShortcut(Qt::Key_F6, this), &QShortcut::activated, this, [this] {
        if (focusWidget() == m_question)
            placeFocus(typingFocus(answerText(), std::string(texts::responsePrompt)), 0);
        else
            placeFocus(Focus::ReadAdded, m_newestFrom);
    });
    // News last until the focus leaves the control that tells them.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old && old == m_newsOn)
            tellNews(nullptr, {});
    });
}

bool MainWindow::load()
{
    // Both picture boxes are 1000 by 1000 units, before any prompt is shown.
    m_picture1->setScale(1000, 1000);
    m_picture2->setScale(1000, 1000);
    Outcome outcome;
    run([this, &outcome] { outcome = m_drill.load(); });
    if (!m_ended)
        showOutcome(outcome);
    return !m_ended;
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_question->setFocus();
        // The start-up prompts have just closed: the window asks for the keyboard itself rather
        // than wait for a window manager to give it.
        activateWindow();
    }
}

void MainWindow::click(const std::function<Outcome()>& handler)
{
    Outcome outcome;
    bool handled = false;
    run([&] {
        outcome = handler();
        handled = true;
    });
    if (handled && !m_ended) {
        const int addedFrom = showOutcome(outcome);
        tellScreenReader(outcome, addedFrom);
        placeFocus(outcome.focus, addedFrom);
    }
}

int MainWindow::showOutcome(const Outcome& outcome)
{
    if (outcome.clearQuestion)
        m_questionText->setText("");
    const int addedFrom = m_question->document()->characterCount() - 1;
    m_questionText->append(outcome.addToQuestion);
    if (outcome.answer)
        m_answerText->setText(*outcome.answer);
    return addedFrom;
}

void MainWindow::placeFocus(Focus focus, int addedFrom)
{
    // The focus goes first and the caret after it. A screen reader takes a caret that moves in a box
    // which has the focus by the time it looks as the focus arriving there unannounced, and then
    // says nothing when the focus event itself comes.
    switch (focus) {
    case Focus::Stay:
        return;
    case Focus::NextBlock:
        findChild<QPushButton*>("cmdNextQuestion")->setFocus(Qt::OtherFocusReason);
        return;
    case Focus::TypeOver:
    case Focus::TypeOn: {
        // Text the program put there is selected, so that typing replaces it; the student's own
        // words get the caret at their end.
        m_answer->setFocus(Qt::OtherFocusReason);
        QTextCursor cursor = m_answer->textCursor();
        cursor.movePosition(QTextCursor::End);
        if (focus == Focus::TypeOver)
            cursor.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
        m_answer->setTextCursor(cursor);
        return;
    }
    case Focus::ReadAdded: {
        // The caret at the start of what the viewer added, in view, ready for Page Down.
        m_question->setFocus(Qt::OtherFocusReason);
        QTextCursor cursor = m_question->textCursor();
        cursor.setPosition(std::min(addedFrom, m_question->document()->characterCount() - 1));
        m_question->setTextCursor(cursor);
        return;
    }
    }
}

void MainWindow::tellScreenReader(const Outcome& outcome, int addedFrom)
{
    if (outcome.clearQuestion)
        m_newestFrom = 0;
    if (!outcome.addToQuestion.empty())
        m_newestFrom = addedFrom;
    // A filing is told with the description of the control the focus goes to next, which a screen
    // reader speaks with it.
    if (outcome.filed == Filed::Response)
        tellNews(findChild<QPushButton*>("cmdNextQuestion"),
            qText(outcome.completed ? texts::responseCompletedNews : texts::responseFiledNews));
    else if (outcome.filed == Filed::Note)
        tellNews(m_answer, qText(outcome.completed ? texts::noteCompletedNews : texts::noteFiledNews));
    else
        tellNews(nullptr, {});
}

void MainWindow::tellNews(QWidget* control, const QString& news)
{
    if (m_newsOn)
        m_newsOn->setAccessibleDescription(m_newsOn == m_answer ? qText(texts::answerBoxHelp) : QString());
    m_newsOn = control;
    if (control)
        control->setAccessibleDescription(control == m_answer ? news + " " + qText(texts::answerBoxHelp) : news);
    // A control that has the focus already gets no focus event to carry its new description to a
    // screen reader (nor is a description that changes spoken): the news are announced instead.
    if (!m_announcer)
        return;
    if (control && control->hasFocus())
        m_announcer->announce(news);
    else
        m_announcer->quiet();
}

void MainWindow::run(const std::function<void()>& handler)
{
    if (m_ended)
        return;
    try {
        handler();
    } catch (const ProgramEnded&) {
        endProgram();
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop; the student is told and can go on.
        m_services.core.messages.showMessage(fill(texts::somethingWentWrong, { { "reason", error.what() } }));
    }
}

void MainWindow::endProgram()
{
    m_ended = true;
    m_timer.stop();
    hide();
    m_services.core.exit.exitProgram();
}

} // namespace tolvanex
