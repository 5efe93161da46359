// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: writes the program's own texts and the course's assignment numbers as JSON, for
// the journeys that drive the built program from outside (they read the texts from here instead of
// copying them). Usage: textsdump OUTPUT.json
#include "core/bank/QuestionBank.h"
#include "core/text/Texts.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: textsdump OUTPUT.json\n");
        return 2;
    }
    using namespace tolvanex;
    QuestionBank bank;
    long cursor = 0;
    loadBank(bank, cursor, builtInContent());
    std::string json = "{\n  \"texts\": {";
    const char* separator = "\n";
    for (const auto& [name, text] : texts::all) {
        json += separator + std::string("    ") + quoted(name) + ": " + quoted(text);
        separator = ",\n";
    }
    json += "\n  },\n  \"assignments\": [";
    separator = "";
    for (const std::string& number : assignmentNumbers(bank)) {
        json += separator + quoted(number);
        separator = ", ";
    }
    json += "],\n  \"bankLines\": " + std::to_string(cursor) + "\n}\n";
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << json;
    return out ? 0 : 1;
}
