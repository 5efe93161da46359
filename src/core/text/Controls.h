// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's controls as data: name, kind, caption, place, keyboard order, and what a
// screen reader is told of each. The window builds itself from this table (its handlers are its
// own, by name); the journeys that drive the built program from outside and the benchmarks read
// the same table (generated/texts.json, made by core/tools/textsdump.cpp). The timer tmr_pend_exp,
// which has no place on screen, is the window's own.

#include "core/text/Texts.h"

#include <stdexcept>
#include <string_view>

namespace tolvanex::controls {

enum class Kind { Button, Label, LineBox, TextBox, PictureBox, ListBox };

// A rectangle in twips, the classic unit of form layouts: 1440 twips make an inch.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

// A rectangle in pixels.
struct Pixels {
    int x;
    int y;
    int width;
    int height;
};

// At 96 dots per inch a pixel is 15 twips; a part of a pixel is dropped (the toolkit scales the
// pixels for other screens).
constexpr Pixels pixels(Twips place)
{
    return { place.left / 15, place.top / 15, place.width / 15, place.height / 15 };
}

struct Control {
    std::string_view name;
    // The member's index in a control array (several controls of one name), -1 for a single one.
    int index;
    Kind kind;
    // The caption, or a text box's initial text.
    std::string_view caption;
    Twips place;
    // Keyboard order, 0 first; labels have a number too but never take the focus.
    int tab;
    // What a screen reader calls the control where its caption does not say (empty: the caption).
    std::string_view accessibleName;
    // What a screen reader says beside the name (empty: nothing, or a button's shortcut).
    std::string_view description;
};

inline constexpr std::string_view windowCaption = "Form1";
inline constexpr Twips clientArea = { 0, 0, 10875, 8490 };

// Controls without a handler are described as not used.
inline constexpr Control all[] = {
    { "cmdNextQuestion", -1, Kind::Button, texts::nextQuestionCaption, { 240, 0, 975, 735 }, 2, "", "" },
    { "cmd_Make_Paragraph_question", -1, Kind::Button, "Make Paragraph", { 1200, 240, 855, 495 }, 8, "",
        texts::inertControl },
    { "lbl_paragraph_goback", -1, Kind::Label, "# sentences previous", { 2880, 360, 135, 135 }, 10, "", "" },
    { "txt_paragraph_goback", -1, Kind::LineBox, "1", { 3120, 240, 150, 285 }, 9, "sentences previous",
        texts::inertControl },
    { "cmd_display_note_file", -1, Kind::Button, "display notes", { 3360, 360, 135, 195 }, 22, "", "" },
    { "cmd_displayCumulativeText", -1, Kind::Button, "display SEND file", { 4440, 240, 855, 495 }, 21, "", "" },
    { "cmd_enter_response", -1, Kind::Button, texts::enterResponseCaption, { 5640, 240, 855, 495 }, 3, "", "" },
    { "cmd_save_as_notes", -1, Kind::Button, texts::saveAsNotesCaption, { 6480, 240, 855, 495 }, 6, "", "" },
    { "cmd_Make_paragraph", -1, Kind::Button, "Make Paragraph", { 7320, 240, 975, 495 }, 7, "", texts::inertControl },
    { "cmd_clear_answer_box", -1, Kind::Button, "clear box", { 8280, 240, 855, 495 }, 28, "", "" },
    { "cmd_quit", -1, Kind::Button, "quit program", { 10200, 0, 735, 495 }, 23, "", "" },
    { "txt_question", -1, Kind::TextBox, "", { 240, 720, 5175, 3255 }, 0, "question box", texts::questionBoxHelp },
    { "txt_answer", -1, Kind::TextBox, " ", { 5640, 720, 5055, 3255 }, 1, "answer box", texts::answerBoxHelp },
    { "Picture1", -1, Kind::PictureBox, "", { 240, 4080, 5175, 3375 }, 4, "picture box 1", texts::picture1Description },
    { "Picture2", -1, Kind::PictureBox, "", { 5640, 4080, 5055, 3375 }, 5, "picture box 2",
        texts::picture2Description },
    { "lbl_only_if_prompted", -1, Kind::Label, "click only if prompted", { 240, 7560, 855, 495 }, 26, "", "" },
    { "cmd_next_picture", -1, Kind::Button, "next picture", { 1200, 7560, 855, 495 }, 25, "", "" },
    { "cmd_copy_picture", -1, Kind::Button, "copy picture", { 1200, 8160, 855, 495 }, 27, "", "" },
    { "cmd_timerTrigger", -1, Kind::Button, "Trigger Timer", { 2400, 7560, 735, 495 }, 11, "", texts::inertControl },
    { "List1", -1, Kind::ListBox, "", { 3120, 7680, 1695, 840 }, 12, "list", texts::inertControl },
    { "lbl_parameter", 0, Kind::Label, "Parameter 1", { 5640, 7680, 900, 195 }, 13, "", "" },
    { "txt_parameter", 0, Kind::LineBox, "1", { 6720, 7680, 300, 285 }, 14, "Parameter 1", texts::inertControl },
    { "lbl_parameter", 1, Kind::Label, "Parameter 2", { 5640, 8160, 855, 195 }, 15, "", "" },
    { "txt_parameter", 1, Kind::LineBox, "1", { 6720, 8160, 300, 285 }, 16, "Parameter 2", texts::inertControl },
    { "lbl_parameter", 2, Kind::Label, "Parameter 3", { 7200, 7680, 1005, 195 }, 17, "", "" },
    { "txt_parameter", 2, Kind::LineBox, "1", { 8205, 7680, 300, 285 }, 18, "Parameter 3", texts::inertControl },
    { "lbl_parameter", 3, Kind::Label, "Parameter 4", { 7200, 8160, 900, 195 }, 19, "", "" },
    { "txt_parameter", 3, Kind::LineBox, "1", { 8205, 8160, 300, 285 }, 20, "Parameter 4", texts::inertControl },
    { "cmd_pend_exp", -1, Kind::Button, "pend exp", { 8640, 7560, 495, 375 }, 24, "", "" },
};

// Where the window tells what it must not interrupt the student with (trouble that background
// work runs into, words brought back): a line of text in the free corner right of "pend exp",
// hidden while there is nothing to tell. It is no control: it takes no focus and has no handler.
inline constexpr Twips noticeArea = { 9180, 7560, 1650, 915 };

// The control of that name (the first member of a control array); in a constant expression a name
// the table lacks does not compile.
constexpr const Control& named(std::string_view name)
{
    for (const Control& control : all)
        if (control.name == name)
            return control;
    throw std::out_of_range("no control of that name");
}

} // namespace tolvanex::controls
