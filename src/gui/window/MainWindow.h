// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/drill/Drill.h"
#include "gui/platform/QtServices.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QTextDocument;

namespace tolvanex {

class Announcer;
class PictureBox;

// A text box whose exact text (CR LF line breaks included) the program keeps beside the widget,
// so what was put in comes back unchanged; after the student edits it, the widget's text is taken.
class BoxText {
public:
    explicit BoxText(QPlainTextEdit* edit);
    ~BoxText();
    BoxText(const BoxText&) = delete;
    BoxText& operator=(const BoxText&) = delete;
    std::string text();
    void setText(const std::string& text);
    void append(const std::string& tail);

private:
    // After the student has typed, the kept text is taken from the widget again.
    void takeTypedText();
    // Paragraphs longer than this keep their layout's analysis between paints.
    static constexpr int kLongParagraph = 4096;
    static void keepLongLayouts(QTextDocument* document, int from, int added);

    QPlainTextEdit* m_edit;
    std::string m_text;
    bool m_edited = false;
    QMetaObject::Connection m_typed;
    QMetaObject::Connection m_changed;
};

struct WindowServices {
    Services core;
    PictureClipboard& clipboard;
};

// The main window, "Form1": thirty controls at fixed places, and handlers that pass each click to
// the drill. A click after the program has ended does nothing.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // content: the course the drill's bank is filled from (the built-in course by default).
    explicit MainWindow(
        const WindowServices& services, const BankContent& content = builtInContent(), QWidget* parent = nullptr);
    // Cuts the window's connections before its controls go (see the definition).
    ~MainWindow() override;

    // The load event: start-up dialogue and positioning. False when the program ended during it.
    // The rest of it (the draft claimed, words not filed back in the answer box, and the student
    // told of these) follows the window's first paint, or comes first when the student clicks or
    // turns to the answer box before that; the box takes no text by any other way until then.
    bool load();
    bool hasEnded() const { return m_ended; }
    QTimer& pendExpTimer() { return m_timer; }

    // The texts of the two boxes, exactly as the drill gave them or as the student typed them.
    std::string questionText() { return m_questionText->text(); }
    std::string answerText() { return m_answerText->text(); }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The rest of the load event, once.
    void claimWords();
    // Runs a click's handler and shows what it leads to.
    void click(const std::function<Outcome()>& handler);
    // The boxes as the outcome says; returns where the text added to the question box starts.
    int showOutcome(const Outcome& outcome);
    void placeFocus(Focus focus, int addedFrom);
    // What a screen reader learns once a click has been handled: where the newest block begins
    // (for F6), and that a response or note was filed.
    void tellScreenReader(const Outcome& outcome, int addedFrom);
    // Puts news in the control's description (and announces them when the control has the focus
    // already), and the one the last news were on back as it was.
    void tellNews(QWidget* control, const QString& news);
    // Runs a handler; what goes wrong is told in a message box, or, for work the student did not
    // ask for just now (timers, the draft), in the window's notice.
    enum class Asked { ByClick, InBackground };
    void run(const std::function<void()>& handler, Asked asked = Asked::ByClick);
    // Shows the notices that hold in the window's notice line, and tells a screen reader of them
    // when they change.
    void showNotices();
    void endProgram();

    WindowServices m_services;
    Drill m_drill;
    QTimer m_timer;
    // While the student types, what the answer box holds goes to the drill's draft at most this
    // often, and this soon after the last key.
    QTimer m_draftTimer;
    QPlainTextEdit* m_question = nullptr;
    QPlainTextEdit* m_answer = nullptr;
    PictureBox* m_picture1 = nullptr;
    PictureBox* m_picture2 = nullptr;
    std::unique_ptr<BoxText> m_questionText;
    std::unique_ptr<BoxText> m_answerText;
    bool m_ended = false;
    bool m_shownOnce = false;
    // The load event has its rest to run (claimWords()), and it is queued.
    bool m_claimPending = false;
    bool m_claimQueued = false;
    // Where the question box's newest block begins: what the last paging or viewer showed.
    int m_newestFrom = 0;
    QWidget* m_newsOn = nullptr;
    // The notice line, and what it tells: trouble with the draft while it lasts; news of the last
    // click, and what went wrong in the background since, until the next click.
    QLabel* m_notice = nullptr;
    std::optional<Notice> m_draftNotice;
    std::optional<Notice> m_clickNews;
    std::optional<Notice> m_backgroundFailure;
    QPointer<Announcer> m_announcer;
};

} // namespace tolvanex
