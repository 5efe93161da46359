// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outside world as the core of the program sees it. Each service is a small interface passed
// in by reference; the real implementations live beside this file, tests bring their own.

#include "core/platform/Files.h"

#include <functional>
#include <optional>
#include <string>

namespace tolvanex {

// Modal input prompt: shows the prompt text with one empty edit field. The typed text on OK or
// Enter; nothing on Cancel (callers that treat Cancel as an empty reply use value_or("")).
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual std::optional<std::string> ask(const std::string& prompt) = 0;
};

// Modal message box with an OK button; and a sign that the program waits (a busy cursor and the
// text), from showWaiting() until endWaiting().
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void showMessage(const std::string& text) = 0;
    virtual void showWaiting(const std::string& text) { (void)text; }
    virtual void endWaiting() { }
};

struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
};

std::string dateText(const LocalTime& t); // mm-dd-yyyy
std::string timeText(const LocalTime& t); // hh:mm:ss, 24-hour clock
double secondsSinceMidnight(const LocalTime& t);

// The program's one random generator: uniform single-precision values in [0, 1), never 1.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double value) = 0;
    virtual float next() = 0;
};

// The system's alert sound, started without waiting for it to end.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// Work done away from the clicks and keys (saving the draft of typed words): one task after
// another, in the order given.
class Background {
public:
    virtual ~Background() = default;
    virtual void post(std::function<void()> task) = 0;
};

// What happens once the program has ended: the real one leaves the event loop.
class ProgramExit {
public:
    virtual ~ProgramExit() = default;
    virtual void exitProgram() = 0;
};

// Every service the program is given, passed on by reference; the clipboard, which holds pictures
// of the windowing toolkit, is the window's own (gui/platform).
struct Services {
    Prompter& prompter;
    MessageService& messages;
    Clock& clock;
    RandomSource& random;
    FileSystem& files;
    Beeper& beeper;
    ProgramExit& exit;
    Background& background;
};

} // namespace tolvanex
