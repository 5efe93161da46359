// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/WorkFiles.h"

#include "core/text/Text.h"
#include "core/text/Texts.h"

namespace tolvanex {

WorkFiles workFiles(const std::string& folder, const std::string& namePart, int window)
{
    const std::string number = std::to_string(window);
    const auto named = [&](std::string_view text) {
        return fill(text, { { "folder", folder }, { "name", namePart }, { "window", number } });
    };
    return { named(texts::journalFile), window > 0 ? named(texts::draftFile) : std::string(), named(texts::lockFile),
        window > 0 ? named(texts::draftLockFile) : std::string() };
}

} // namespace tolvanex
