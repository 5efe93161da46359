// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"

namespace tolvanex {

// Somewhere to draw circles, in the coordinates of a 1000 x 1000 user scale.
class CircleCanvas {
public:
    virtual ~CircleCanvas() = default;
    virtual void drawCircle(double centerX, double centerY, double radius) = 0;
};

// One tick of the "pend exp" timer: a beep, one random value, one circle of radius r x 500
// centred on the middle of the box.
void pendExpTick(Beeper& beeper, RandomSource& random, CircleCanvas& canvas);

} // namespace tolvanex
