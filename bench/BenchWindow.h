// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scripted stand-ins for the services a window needs, the window over them, and waiting until a
// widget has painted.

#include "BenchSupport.h"

#include "core/platform/RealServices.h"
#include "core/startup/StartUp.h"
#include "core/text/Texts.h"
#include "gui/window/MainWindow.h"
#include "support/WindowFakes.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QWidget>

namespace tolvanex::bench {

// The main window over the tests' scripted prompts, messages, beeper, exit and clipboard, and the
// real clock, generator and file system (drive c: is HOME, which the caller points at a temporary
// folder).
struct BenchWindow {
    BenchWindow()
        : files(LocalFileSystem::userHomeFolder())
        , window({ { prompter, messages, clock, random, files, beeper, exit, background }, clipboard })
    {
    }
    // Answers name, folder question and assignment number, and loads.
    bool start(const std::string& assignment)
    {
        prompter.replies = { "Bench Student", "", assignment };
        const bool started = window.load();
        for (const std::string& message : messages.shown)
            std::fprintf(stderr, "bench: message: %s\n", message.c_str());
        return started && messages.shown.empty();
    }
    template <class T = QWidget> T* child(const char* name)
    {
        T* found = window.findChild<T*>(name);
        if (!found) {
            std::fprintf(stderr, "bench: no control named %s\n", name);
            std::exit(2);
        }
        return found;
    }
    // The run's files, as the program names them.
    FileNames fileNames()
    {
        return tolvanex::fileNames(std::string(texts::defaultFolder), "Bench_Student", clock.now());
    }
    // Text put into the answer box as the student would.
    void typeAnswer(const char* text) { child<QPlainTextEdit>("txt_answer")->setPlainText(QString::fromUtf8(text)); }

    testing::ScriptedPrompter prompter;
    testing::RecordingMessages messages;
    SystemClock clock;
    SplitMixRandom random;
    LocalFileSystem files;
    testing::CountingBeeper beeper;
    testing::CountingExit exit;
    WorkerThread background;
    testing::FakeClipboard clipboard;
    MainWindow window;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

// Runs the event loop until the counted widget has painted since `before` and then until no event
// is left to process: the widget is idle, its layout done and its first picture drawn.
inline void settle(const PaintCounter& counter, int before)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const Clock::time_point start = Clock::now();
    while (counter.paints == before) {
        dispatcher->processEvents(QEventLoop::AllEvents);
        if (millisecondsSince(start) > 120000) {
            std::fprintf(stderr, "bench: the widget never painted\n");
            std::exit(2);
        }
    }
    while (dispatcher->processEvents(QEventLoop::AllEvents)) { }
}

} // namespace tolvanex::bench
