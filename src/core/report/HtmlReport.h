// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The class report as HTML.

#include <string>
#include <string_view>

namespace tolvanex::report {

// A text made safe inside HTML.
std::string htmlEscape(std::string_view text);

} // namespace tolvanex::report
