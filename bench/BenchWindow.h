// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scripted stand-ins for the services a window needs, the window over them, and waiting until a
// widget has painted.

#include "BenchSupport.h"

#include "core/platform/RealServices.h"
#include "gui/window/MainWindow.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tolvanex::bench {

// Replies in order; an unexpected prompt is reported and cancelled.
class ScriptedPrompter : public Prompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override
    {
        if (replies.empty()) {
            std::fprintf(stderr, "bench: unexpected prompt: %.60s\n", prompt.c_str());
            return std::nullopt;
        }
        std::string reply = replies.front();
        replies.pop_front();
        return reply;
    }
    std::deque<std::string> replies;
};

class ReportedMessages : public MessageService {
public:
    void showMessage(const std::string& text) override
    {
        std::fprintf(stderr, "bench: message: %s\n", text.c_str());
        ++shown;
    }
    int shown = 0;
};

class SilentBeeper : public Beeper {
public:
    void beep() override { }
};

class NoClipboard : public PictureClipboard {
public:
    bool putPicture(const QImage&) override { return false; }
    std::optional<QImage> getPicture() override { return std::nullopt; }
};

class NotedExit : public ProgramExit {
public:
    void exitProgram() override { ended = true; }
    bool ended = false;
};

// The main window over scripted services and the real clock, generator and file system (drive c:
// is HOME, which the caller points at a temporary folder).
struct BenchWindow {
    BenchWindow()
        : files(LocalFileSystem::userHomeFolder())
        , window({ { prompter, messages, clock, random, files }, beeper, clipboard, exit })
    {
    }
    // Answers name, folder question and assignment number, and loads.
    bool start(const std::string& assignment)
    {
        prompter.replies = { "Bench Student", "", assignment };
        return window.load();
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

    ScriptedPrompter prompter;
    ReportedMessages messages;
    SystemClock clock;
    SplitMixRandom random;
    LocalFileSystem files;
    SilentBeeper beeper;
    NoClipboard clipboard;
    NotedExit exit;
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
