// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: writes the program's own texts, the main window's controls and the course's
// assignment numbers as JSON, for the journeys and benchmarks that drive the built program from
// outside (they read them from here instead of copying them). Usage: textsdump OUTPUT.json
#include "core/bank/QuestionBank.h"
#include "core/text/Controls.h"
#include "core/text/Quoted.h"
#include "core/text/Texts.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

std::string jsonString(std::string_view text)
{
    return tolvanex::quoted(text, tolvanex::Quoting::Json);
}

std::string_view kindName(tolvanex::controls::Kind kind)
{
    using enum tolvanex::controls::Kind;
    switch (kind) {
    case Button:
        return "button";
    case Label:
        return "label";
    case LineBox:
        return "line box";
    case TextBox:
        return "text box";
    case PictureBox:
        return "picture box";
    case ListBox:
        return "list box";
    }
    return "";
}

// A rectangle in pixels at 96 dots per inch, as [x, y, width, height].
std::string pixelList(tolvanex::controls::Twips place)
{
    const tolvanex::controls::Pixels p = tolvanex::controls::pixels(place);
    return "[" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.width) + ", "
        + std::to_string(p.height) + "]";
}

// The window's caption, its client area and each control, in pixels at 96 dots per inch.
std::string windowJson()
{
    using namespace tolvanex;
    std::string json = "  \"window\": {\n    \"caption\": " + jsonString(controls::windowCaption)
        + ",\n    \"client\": " + pixelList(controls::clientArea) + ",\n    \"controls\": [";
    const char* separator = "\n";
    for (const controls::Control& c : controls::all) {
        json += separator + std::string("      {\"name\": ") + jsonString(c.name) + ", \"index\": "
            + std::to_string(c.index) + ", \"kind\": " + jsonString(kindName(c.kind)) + ", \"caption\": "
            + jsonString(c.caption) + ", \"place\": " + pixelList(c.place) + ", \"tab\": " + std::to_string(c.tab)
            + ", \"accessibleName\": " + jsonString(c.accessibleName.empty() ? c.caption : c.accessibleName)
            + ", \"description\": " + jsonString(c.description) + "}";
        separator = ",\n";
    }
    return json + "\n    ]\n  }";
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
        json += separator + std::string("    ") + jsonString(name) + ": " + jsonString(text);
        separator = ",\n";
    }
    json += "\n  },\n  \"assignments\": [";
    separator = "";
    for (const std::string& number : assignmentNumbers(bank)) {
        json += separator + jsonString(number);
        separator = ", ";
    }
    json += "],\n  \"bankLines\": " + std::to_string(cursor) + ",\n" + windowJson() + "\n}\n";
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << json;
    return out ? 0 : 1;
}
