// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the services only the window uses: beep, clipboard and the end of the program.

#include "gui/platform/QtServices.h"

namespace tolvanex::testing {

class CountedBeeper : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// A clipboard that cannot be used.
class NoClipboard : public PictureClipboard {
public:
    bool putPicture(const QImage&) override { return false; }
    std::optional<QImage> getPicture() override { return std::nullopt; }
};

class ObservedExit : public ProgramExit {
public:
    void exitProgram() override { ++exits; }
    int exits = 0;
};

} // namespace tolvanex::testing
