// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scripted stand-ins for the services a window needs, the window over them, and waiting until a
// widget has painted.

#include "BenchSupport.h"
#include "Stamps.h"

#include "core/platform/RealServices.h"
#include "core/startup/StartUp.h"
#include "core/text/Texts.h"
#include "gui/window/MainWindow.h"
#include "support/WindowFakes.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QWidget>

namespace tolvanex::bench {

// The prompts answered by script; the reply to the assignment number is a moment of the start-up.
class StampedPrompter : public testing::ScriptedPrompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override
    {
        std::optional<std::string> reply = ScriptedPrompter::ask(prompt);
        if (prompt == texts::assignmentPrompt)
            Stamps::note("assignment");
        return reply;
    }
};

// The real file system; the heading block's filing begins with its lock and ends with emptying
// the journal, and the draft's claim begins with trying the lock of a window's draft: moments of
// the start-up.
class StampedFiles : public LocalFileSystem {
public:
    using LocalFileSystem::LocalFileSystem;
    void emptyFile(const std::string& path) override
    {
        LocalFileSystem::emptyFile(path);
        Stamps::note("headed");
    }
    std::unique_ptr<FileLock> tryLock(const std::string& path) override
    {
        Stamps::note(path.find(".inuse") == std::string::npos ? "heading" : "claim");
        return LocalFileSystem::tryLock(path);
    }
};

// Notes a moment when it is constructed.
struct StampHere {
    explicit StampHere(const char* name) { Stamps::note(name); }
};

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
    // The student turns to the box first (the window takes its draft then, if it has not been
    // painted yet).
    void typeAnswer(const char* text)
    {
        auto* box = child<QPlainTextEdit>("txt_answer");
        QFocusEvent turn(QEvent::FocusIn);
        QCoreApplication::sendEvent(box, &turn);
        box->setPlainText(QString::fromUtf8(text));
    }

    StampedPrompter prompter;
    testing::RecordingMessages messages;
    SystemClock clock;
    SplitMixRandom random;
    StampedFiles files;
    testing::CountingBeeper beeper;
    testing::CountingExit exit;
    WorkerThread background;
    StampHere workerStarted { "worker" };
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
