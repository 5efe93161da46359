// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/MainWindow.h"

#include "core/pictures/PendExp.h"
#include "core/text/Controls.h"
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
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <map>
#include <vector>

namespace tolvanex {
namespace {

QFont textBoxFont()
{
    // "System" where the system has it, the platform's general face otherwise. Asked of the font
    // database, which the first text laid out loads anyway: a family list with a face the system
    // lacks is resolved by a search through every font for a stand-in, each time a size of it is
    // first used.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (QFontDatabase::hasFamily(QStringLiteral("System")))
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
    QTextDocument* document = edit->document();
    m_changed = QObject::connect(document, &QTextDocument::contentsChange, edit,
        [document](int from, int, int added) { keepLongLayouts(document, from, added); });
}

BoxText::~BoxText()
{
    // The box outlives this (the window deletes its controls last), and may still signal.
    QObject::disconnect(m_typed);
    QObject::disconnect(m_changed);
}

void BoxText::keepLongLayouts(QTextDocument* document, int from, int added)
{
    // A paragraph's layout forgets its script runs, character properties and glyphs once its lines
    // are found, and works them out again, for the whole paragraph, each time a part of it is
    // drawn or the caret is placed in it: for the notes of a year, run together into one paragraph,
    // that is a page scroll costing as much as showing them. A long paragraph keeps them (about 25
    // bytes a character); a short one finds them again in no time, and keeps nothing.
    const QTextBlock last = document->findBlock(from + added);
    for (QTextBlock block = document->findBlock(from); block.isValid(); block = block.next()) {
        if (block.length() > kLongParagraph)
            block.layout()->setCacheEnabled(true);
        if (block == last)
            break;
    }
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
    setObjectName(qText(controls::windowCaption));
    setWindowTitle(qText(controls::windowCaption));
    const controls::Pixels client = controls::pixels(controls::clientArea);
    resize(client.width, client.height);
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
    if (m_answer)
        m_answer->removeEventFilter(this);
    if (qApp)
        QObject::disconnect(qApp, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void MainWindow::buildControls()
{
    // What each button with a handler does; the others are inert.
    Drill& d = m_drill;
    const std::map<std::string_view, std::function<Outcome()>> handlers = {
        { "cmdNextQuestion", [this, &d] { return d.nextQuestion(questionText(), answerText()); } },
        { "cmd_display_note_file", [&d] { return d.displayNotes(); } },
        { "cmd_displayCumulativeText", [&d] { return d.displaySendFile(); } },
        { "cmd_enter_response", [this, &d] { return d.enterResponse(answerText()); } },
        { "cmd_save_as_notes", [this, &d] { return d.saveAsNotes(answerText()); } },
        { "cmd_clear_answer_box", [&d] { return d.clearBox(); } },
        { "cmd_quit", [&d]() -> Outcome { d.quit(); } },
        { "cmd_next_picture", [&d] { return d.nextPicture(); } },
        { "cmd_copy_picture",
            [this] {
                copyPicture(*m_picture1, *m_picture2, m_services.clipboard, m_services.core.messages);
                return Outcome {};
            } },
        { "cmd_pend_exp",
            [this] {
                // Once running the timer keeps its rhythm: a further click neither restarts it nor adds one.
                if (!m_timer.isActive())
                    m_timer.start();
                return Outcome {};
            } },
    };

    // The font is looked up once for both boxes. Plain text needs no OpenType shaping (scripts that
    // do are still shaped): without it a long paragraph is laid out in well under half the time.
    QFont boxFont = textBoxFont();
    boxFont.setStyleStrategy(QFont::PreferNoShaping);
    auto bigBox = [this, &boxFont]() {
        auto* box = new QPlainTextEdit(this);
        box->setFont(boxFont);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // Tab and Shift+Tab move on to the next control, as in every other control; a tab
        // character that comes in by pasting stays in the text.
        box->setTabChangesFocus(true);
        return box;
    };
    auto make = [&](const controls::Control& c) -> QWidget* {
        const QString caption = qText(c.caption);
        switch (c.kind) {
        case controls::Kind::Button: {
            auto* button = new WrapButton(caption, this);
            const auto handler = handlers.find(c.name);
            if (handler != handlers.end())
                connect(button, &QPushButton::clicked, this, [this, action = handler->second] { click(action); });
            return button;
        }
        case controls::Kind::Label: {
            auto* label = new QLabel(caption, this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case controls::Kind::LineBox:
            return new QLineEdit(caption, this);
        case controls::Kind::TextBox:
            return bigBox();
        case controls::Kind::PictureBox: {
            auto* picture = new PictureBox(this);
            picture->setFocusPolicy(Qt::TabFocus);
            return picture;
        }
        case controls::Kind::ListBox:
            return new QListWidget(this);
        }
        return nullptr;
    };
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const controls::Control& c : controls::all) {
        QWidget* widget = make(c);
        widget->setObjectName(qText(c.name));
        const controls::Pixels place = controls::pixels(c.place);
        widget->setGeometry(place.x, place.y, place.width, place.height);
        if (c.index >= 0)
            widget->setProperty("index", c.index);
        if (!c.accessibleName.empty())
            widget->setAccessibleName(qText(c.accessibleName));
        if (!c.description.empty())
            widget->setAccessibleDescription(qText(c.description));
        if (c.kind != controls::Kind::Label)
            tabOrder.emplace_back(c.tab, widget);
    }
    m_question = findChild<QPlainTextEdit*>("txt_question");
    m_answer = findChild<QPlainTextEdit*>("txt_answer");
    m_picture1 = findChild<PictureBox*>("Picture1");
    m_picture2 = findChild<PictureBox*>("Picture2");
    m_questionText = std::make_unique<BoxText>(m_question);
    m_answerText = std::make_unique<BoxText>(m_answer);
    m_answerText->setText(std::string(controls::named("txt_answer").caption));
    m_announcer = new Announcer(this);
    m_notice = new QLabel(this);
    m_notice->setObjectName("notice");
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const controls::Pixels noticePlace = controls::pixels(controls::noticeArea);
    m_notice->setGeometry(noticePlace.x, noticePlace.y, noticePlace.width, noticePlace.height);
    m_notice->hide();
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
    connect(&m_draftTimer, &QTimer::timeout, this,
        [this] { run([this] { m_drill.answerTyped(answerText()); }, Asked::InBackground); });
    // A draft that cannot be saved is shown on this thread, once the save on the background failed,
    // in the notice line, and taken away once a save works again: a message box would take the
    // keys the student is typing.
    m_drill.onDraftTrouble([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                run(
                    [this] {
                        m_draftNotice = m_drill.draftNotice();
                        showNotices();
                    },
                    Asked::InBackground);
            },
            Qt::QueuedConnection);
    });

    m_timer.setParent(this);
    m_timer.setObjectName("tmr_pend_exp");
    m_timer.setInterval(15);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        run([this] { pendExpTick(m_services.core.beeper, m_services.core.random, *m_picture1); }, Asked::InBackground);
    });

    // Keyboard order: the controls that take the focus, in their tab positions.
    std::sort(tabOrder.begin(), tabOrder.end());
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

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
    run([this] { m_drill.start(); });
    if (m_ended)
        return false;
    // Words kept from a window that is gone may come back into the answer box: until they have,
    // nothing can be typed there that they would replace.
    m_answer->setReadOnly(true);
    m_answer->installEventFilter(this);
    m_claimPending = true;
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The student turns to the answer box before the rest of the load event has run: it runs
    // first, and the key, click or text then reaches the box as usual.
    if (watched == m_answer && m_claimPending) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::DragEnter:
            claimWords();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::claimWords()
{
    if (!m_claimPending)
        return;
    m_claimPending = false;
    m_answer->removeEventFilter(this);
    Outcome outcome;
    run([this, &outcome] { outcome = m_drill.claimWords(); });
    m_answer->setReadOnly(false);
    if (!m_ended) {
        showOutcome(outcome);
        m_draftNotice = m_drill.draftNotice();
        showNotices();
    }
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The window is on the screen: the rest of the load event follows at once.
    if (m_claimPending && !m_claimQueued) {
        m_claimQueued = true;
        QMetaObject::invokeMethod(this, &MainWindow::claimWords, Qt::QueuedConnection);
    }
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
    claimWords();
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
        m_clickNews = outcome.news;
        m_backgroundFailure.reset();
        showNotices();
    }
}

void MainWindow::showNotices()
{
    QString line;
    QString whole;
    for (const std::optional<Notice>* notice : { &m_draftNotice, &m_clickNews, &m_backgroundFailure }) {
        if (!*notice)
            continue;
        line += (line.isEmpty() ? "" : "\n") + fromUtf8((*notice)->line);
        whole += (whole.isEmpty() ? "" : "\n\n") + fromUtf8((*notice)->whole);
    }
    const bool changed = whole != m_notice->toolTip();
    m_notice->setText(line);
    m_notice->setToolTip(whole);
    m_notice->setAccessibleName(line);
    m_notice->setAccessibleDescription(whole);
    m_notice->setVisible(!line.isEmpty());
    // Spoken once, as the note's notification is, whatever has the focus; not at every keystroke.
    if (changed && !whole.isEmpty() && m_announcer)
        m_announcer->announce(whole);
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

void MainWindow::run(const std::function<void()>& handler, Asked asked)
{
    if (m_ended)
        return;
    try {
        handler();
    } catch (const ProgramEnded&) {
        endProgram();
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop; the student is told and can go on. What the
        // student did not ask for is told where it takes no keys from their typing.
        const std::string text = fill(texts::somethingWentWrong, { { "reason", error.what() } });
        if (asked == Asked::ByClick) {
            m_services.core.messages.showMessage(text);
        } else {
            m_backgroundFailure = Notice { text, text };
            showNotices();
        }
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
