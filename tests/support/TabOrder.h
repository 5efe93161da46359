// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's keyboard order as the student meets it, for the tests that walk it.

#include "core/text/Controls.h"

#include <QWidget>

#include <string>

namespace tolvanex::testing {

// The controls that take the focus, in keyboard order; a member of a control array as
// "name(index)".
inline const char* const kTabOrder[] = { "txt_question", "txt_answer", "cmdNextQuestion", "cmd_enter_response",
    "Picture1", "Picture2", "cmd_save_as_notes", "cmd_Make_paragraph", "cmd_Make_Paragraph_question",
    "txt_paragraph_goback", "cmd_timerTrigger", "List1", "txt_parameter(0)", "txt_parameter(1)", "txt_parameter(2)",
    "txt_parameter(3)", "cmd_displayCumulativeText", "cmd_display_note_file", "cmd_quit", "cmd_pend_exp",
    "cmd_next_picture", "cmd_copy_picture", "cmd_clear_answer_box" };

// The row of the controls table that a widget of the window was made from, written as in
// kTabOrder: known by its name and its place on the window together, since the members of a
// control array share their name.
inline std::string tableRowOf(const QWidget* widget)
{
    if (!widget)
        return "(no widget)";
    const std::string name = widget->objectName().toStdString();
    for (const controls::Control& row : controls::all) {
        const controls::Pixels place = controls::pixels(row.place);
        if (row.name == name && widget->geometry() == QRect(place.x, place.y, place.width, place.height))
            return row.index < 0 ? name : name + "(" + std::to_string(row.index) + ")";
    }
    return name + " (at no place of the table)";
}

} // namespace tolvanex::testing
