// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tolvanex {

// Where one bank line stands in the table of stored parts.
struct StoredLine {
    std::size_t firstPart;
    std::size_t partCount;
};

// Course content as built into the program: bank lines in order, each stored in one or more parts.
struct BankContent {
    std::span<const std::string_view> parts;
    std::span<const StoredLine> lines;
};

const BankContent& builtInContent();

} // namespace tolvanex
