// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A student who answers every prompt by what it asks, however often and in whatever order the
// program asks: for the sweeps that start the program again and again over failing files.

#include "core/platform/Services.h"
#include "core/text/Texts.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tolvanex::testing {

// Ann Lee's name, the folder offered, assignment 2, confidence 2 and self-critique 3. onAsked sees
// each prompt first; a prompt not among those is otherwise's to answer (Cancel unless a test says
// else). A start asks each of its prompts a few times at most: one asked again and again is a
// start that goes round in circles, a failure, ended here with Cancel.
class AnsweringPrompter : public Prompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override
    {
        onAsked(prompt);
        if (++askings[prompt] > kMostAskings) {
            ADD_FAILURE() << "asked again and again: " << prompt;
            return std::nullopt;
        }
        for (const auto& [asked, reply] : { std::pair(texts::namePrompt, "Ann Lee"),
                 std::pair(texts::folderQuestion, ""), std::pair(texts::assignmentPrompt, "2"),
                 std::pair(texts::confidencePrompt, "2"), std::pair(texts::selfCritiquePrompt, "3") }) {
            if (prompt == asked)
                return reply;
        }
        return otherwise();
    }

    static constexpr int kMostAskings = 5;
    std::function<void(const std::string&)> onAsked = [](const std::string&) {};
    std::function<std::optional<std::string>()> otherwise = [] { return std::nullopt; };
    std::map<std::string, int> askings;
};

} // namespace tolvanex::testing
