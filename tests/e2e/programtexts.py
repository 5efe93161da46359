# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's own texts, as the build writes them from the program's source into
generated/texts.json: prompts, record lines, messages, file names, the numbers of the assignments
the course holds, and the main window's controls. The journeys take them from here instead of
copying them."""

import json
import os


class ProgramTexts:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        self.texts = data["texts"]
        self.assignments = data["assignments"]
        self.bank_lines = data["bankLines"]
        window = data["window"]
        self.client = tuple(window["client"][2:])
        # Each control: name, index (in a control array; -1 for one of its own), kind, caption,
        # place (pixels at 96 dpi: x, y, width, height), tab, accessibleName, description.
        self.controls = window["controls"]

    def places(self):
        """The place of each control that has a name of its own."""
        return {c["name"]: tuple(c["place"]) for c in self.controls if c["index"] < 0}

    def tab_stops(self):
        """The controls that take the focus, in their keyboard order."""
        return sorted((c for c in self.controls if c["kind"] != "label"), key=lambda c: c["tab"])

    def __getitem__(self, name):
        return self.texts[name]

    def fill(self, text_name, **values):
        """The text with each {key} replaced by its value."""
        text = self.texts[text_name]
        for key, value in values.items():
            text = text.replace("{%s}" % key, value)
        return text

    def line(self, text_name, **values):
        """A record line as the files hold it (the record lines are plain ASCII)."""
        return self.fill(text_name, **values).encode("cp1252")

    def missing_assignment(self):
        """A number just past the course's last assignment."""
        return "%03d" % (int(self.assignments[-1]) + 1)


def default_path(program):
    """texts.json where the build writes it, beside the built program."""
    return os.path.join(os.path.dirname(os.path.abspath(program)), "generated", "texts.json")
