// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace tolvanex {

// Reads the command line before any window system is touched: --help prints the usage and
// --version the version on standard output; anything the program does not know prints the usage
// on standard error. Then the program is to end with the status returned. Nothing is returned when
// the program is to start; Qt's own options (-platform, -stylesheet, ...) are left in argv for
// QApplication. No file is read or written here.
std::optional<int> answerCommandLine(int& argc, char** argv);

} // namespace tolvanex
