// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/Run.h"

namespace tolvanex {

Focus typingFocus(const std::string& answer, const std::string& responsePrompt)
{
    const bool programText = answer == responsePrompt || answer.find_first_not_of(" \t\r\n") == std::string::npos;
    return programText ? Focus::TypeOver : Focus::TypeOn;
}

} // namespace tolvanex
