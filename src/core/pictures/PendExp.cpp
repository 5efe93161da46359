// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/pictures/PendExp.h"

namespace tolvanex {

void pendExpTick(Beeper& beeper, RandomSource& random, CircleCanvas& canvas)
{
    beeper.beep();
    const float r = random.next();
    const float radius = r * 500.0f;
    canvas.drawCircle(500.0, 500.0, radius);
}

} // namespace tolvanex
