// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform/Services.h"

#include <string>

namespace tolvanex {

// The coding step every recorded text passes through: the text comes back unchanged.
std::string code(const std::string& aLine, float codeNbr);

// A filler line of codeNbr passes: a pass adds, one time in ten, a character of code 66 to 116,
// and always one of code 118 to 255 (Windows-1252 codes, returned as text).
std::string makeCodeLine(float codeNbr, RandomSource& random);

} // namespace tolvanex
