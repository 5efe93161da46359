#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A blind student's journey through assignment 5, driven through the accessibility bus (AT-SPI)
alone, the way a screen reader sees the program: every prompt found by its label and answered
through the EditableText interface, every button pressed through the Action interface, texts read
through the Text interface, F6 pressed through AT-SPI's own key synthesis, and the files checked
byte for byte.

    screenreader.py --program build/tolvanex --content src/core/bank/content --output DIR

It runs itself in a D-Bus session of its own (dbus-run-session), where the AT-SPI bus is started
on demand, with the program's accessibility switched on. Skipped (77) where that cannot start.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journeys  # noqa: E402
from journeys import CRLF, PROMPTS, SKIPPED, Journey, assignment_five, expect_folder, match_file, read_bytes  # noqa: E402
from programtexts import ProgramTexts, default_path  # noqa: E402
from xsession import DriveError, wait_until  # noqa: E402

INSIDE = "TOLVANEX_SCREENREADER_BUS"  # set inside the D-Bus session this script starts
ACCESSIBLE = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1"}
TAB, F6 = 0xFF09, 0xFFC3  # key symbols

# Each Tab stop of the main window in its order: name and the description a screen reader speaks
# with it, as names of the program's texts (the shortcut buttons describe themselves with their
# tooltips).
TAB_STOPS = [
    ("question box", "questionBoxHelp"),
    ("answer box", "answerBoxHelp"),
    ("Next Question / Answer", "Next Question / Answer (Ctrl+PgDown)"),
    ("Enter Response", "Enter Response (Ctrl+Enter)"),
    ("picture box 1", "picture1Description"),
    ("picture box 2", "picture2Description"),
    ("Save as Notes", "Save as Notes (Ctrl+Shift+S)"),
    ("Make Paragraph", "inertControl"),
    ("Make Paragraph", "inertControl"),
    ("sentences previous", "inertControl"),
    ("Trigger Timer", "inertControl"),
    ("list", "inertControl"),
    ("Parameter 1", "inertControl"),
    ("Parameter 2", "inertControl"),
    ("Parameter 3", "inertControl"),
    ("Parameter 4", "inertControl"),
    ("display SEND file", ""),
    ("display notes", ""),
    ("quit program", ""),
    ("pend exp", ""),
    ("next picture", ""),
    ("copy picture", ""),
    ("clear box", ""),
]
NOTE = "units check: caf\u00e9 \u0394v"


def python_with_atspi():
    """This interpreter, or Debian's own, whichever can import pyatspi (python3-pyatspi)."""
    for python in (sys.executable, "/usr/bin/python3"):
        if os.path.exists(python) and subprocess.run([python, "-c", "import pyatspi"], capture_output=True).returncode == 0:
            return python
    return None


class Bus:
    """The program as AT-SPI shows it."""

    def __init__(self, timeout=20):
        import pyatspi  # only inside the session, where the interpreter is known to have it
        from gi.repository import GLib
        self.atspi, self.errors = pyatspi, (GLib.Error, RuntimeError, ValueError, LookupError)
        self.timeout = timeout

    def app(self):
        desktop = self.atspi.Registry.getDesktop(0)
        return next((a for a in desktop if a is not None and a.name == "tolvanex"), None)

    def find(self, what, test, root=None):
        """Waits for the first object (breadth first) for which test(object) is true."""
        def search():
            try:
                todo = [root or self.app()]
                while todo:
                    obj = todo.pop(0)
                    if obj is None:
                        continue
                    if test(obj):
                        return obj
                    todo.extend(obj)
            except self.errors:
                pass  # an object went away while it was looked at: look again
            return None
        return wait_until(search, self.timeout, what)

    def has(self, obj, state):
        return obj.getState().contains(getattr(self.atspi, "STATE_" + state))

    def named(self, name, role=None, root=None):
        return self.find("%s %r" % (role or "an object", name),
                         lambda o: o.name == name and (role is None or o.getRoleName() == role), root)

    def focused(self, name):
        return self.find("%r to have the focus" % name, lambda o: o.name == name and self.has(o, "FOCUSED"))

    def press(self, name, root=None):
        self.named(name, "push button", root).queryAction().doAction(0)

    def text(self, obj):
        return obj.queryText().getText(0, -1)

    def key(self, keysym):
        self.atspi.Registry.generateKeyboardEvent(keysym, None, self.atspi.KEY_SYM)

    def labels(self, obj):
        """The names of the objects that label this one."""
        return [r.getTarget(i).name for r in obj.getRelationSet()
                if r.getRelationType() == self.atspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]

    def answer_prompt(self, prompt, reply):
        """A prompt: its reply field has the focus and is labelled and named by the prompt's text;
        the reply goes in through EditableText, OK through Action."""
        field = self.find("the field of the prompt %r" % prompt[:40],
                          lambda o: self.has(o, "FOCUSED") and self.has(o, "EDITABLE") and prompt in self.labels(o))
        if field.name != prompt:
            raise DriveError("the prompt's field is named %r, not %r" % (field.name, prompt))
        field.queryEditableText().setTextContents(reply)
        wait_until(lambda: self.text(field) == reply, 5, "the field to hold %r" % reply)
        self.press("OK", field.parent)


def journey_screenreader(j, bus):
    """The start-up prompts, every Tab stop, a response with its rating and a note, each new block
    reached with F6, "quit program"."""
    header, question, answer = assignment_five(j.args)
    j.start(copyable_texts=False, extra_env=ACCESSIBLE)
    bus.answer_prompt(PROMPTS["name"], "Ida Moss")
    bus.answer_prompt(PROMPTS["folder"], "1")
    bus.answer_prompt(PROMPTS["path"], "")
    bus.answer_prompt(PROMPTS["assignment"], "5")
    master, send, notes = "masterFile_Ida_Moss.txt", j.clock.send_name("Ida_Moss"), "notes_Ida_Moss.txt"
    j.wait_file(send, lambda d: d.endswith(CRLF), "the heading block")
    window = bus.named("Form1", "filler")

    # Tab by Tab, each control says what it is; the inert ones say they are not used.
    question_box = bus.focused("question box")
    for name, described in TAB_STOPS:
        description = journeys.TEXTS.texts.get(described, described)
        control = bus.focused(name)
        print("%-22s | %-11s | %s" % (name, control.getRoleName(), control.description))
        if control.description != description:
            raise DriveError("%s is described %r, not %r" % (name, control.description, description))
        bus.key(TAB)

    # Paging puts the focus in the answer box; F6 reaches the new block, at its start, and back.
    bus.press("Next Question / Answer", window)
    answer_box = bus.focused("answer box")
    reach_newest_block(bus, question_box, question)

    answer_box.queryEditableText().setTextContents("About 7 m/s")
    bus.press("Enter Response", window)
    bus.answer_prompt(PROMPTS["confidence"], "2")
    rated = journeys.TEXTS.line("confidenceLine", reply="2")
    j.wait_file(send, lambda d: d.endswith(rated + CRLF + journeys.CLOSE + CRLF), "the response")
    # The focus is on "Next Question / Answer", which says the response was filed.
    told = bus.focused("Next Question / Answer")
    if told.description != journeys.TEXTS["responseFiledNews"]:
        raise DriveError("after filing, Next Question / Answer is described %r" % told.description)

    bus.press("Next Question / Answer", window)
    bus.focused("answer box")
    reach_newest_block(bus, question_box, answer.replace("\r\n", "\n"))
    answer_box.queryEditableText().setTextContents(NOTE)
    bus.press("Save as Notes", window)
    j.wait_file(notes, lambda d: d.endswith(journeys.PAD), "the note")
    # The focus stays in the answer box, which says the note was filed until the focus leaves it.
    answer_help = journeys.TEXTS["answerBoxHelp"]
    wait_until(lambda: answer_box.description == journeys.TEXTS["noteFiledNews"] + " " + answer_help, 5,
               "the answer box to say the note was filed")
    bus.key(TAB)
    bus.focused("Next Question / Answer")
    if answer_box.description != answer_help:
        raise DriveError("the answer box still says %r once the focus has left it" % answer_box.description)
    bus.press("quit program", window)
    status = j.program.wait_exit()
    if status != 0:
        raise DriveError("the program ended with status %d" % status)

    heading = j.heading("005", header)
    for filename, is_master in ((master, True), (send, False)):
        parts = list(heading) + j.response("50001", question, "About 7 m/s", rated.decode(), is_master)
        parts += j.note(answer, NOTE, is_master)
        match_file(read_bytes(j.path(filename)), parts, filename)
    match_file(read_bytes(j.path(notes)), j.note(answer, NOTE, False), notes)
    expect_folder(j, {master, send, notes})


def reach_newest_block(bus, question_box, block):
    """F6 from the answer box: the focus in the question box, the caret at the start of the block,
    whose first line a screen reader speaks; F6 again: back in the answer box."""
    wait_until(lambda: bus.text(question_box) == block, 10, "the question box to show %r" % block[:40])
    bus.key(F6)
    bus.focused("question box")
    text = question_box.queryText()
    if text.caretOffset != 0:
        raise DriveError("F6 put the caret at %d, not at the start of the block" % text.caretOffset)
    line = text.getTextAtOffset(0, bus.atspi.TEXT_BOUNDARY_LINE_START)[0]
    if not line or not block.startswith(line.rstrip("\n")):
        raise DriveError("the line at the caret is %r" % line)
    bus.key(F6)
    bus.focused("answer box")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built tolvanex executable")
    parser.add_argument("--content", required=True, help="the course content folder (src/core/bank/content)")
    parser.add_argument("--output", required=True, help="where screenshots and logs go")
    parser.add_argument("--texts", help="the program's texts (default: generated/texts.json beside the program)")
    args = parser.parse_args()
    args.program, args.content = os.path.abspath(args.program), os.path.abspath(args.content)
    journeys.use_texts(ProgramTexts(args.texts or default_path(args.program)))
    if os.environ.get(INSIDE) != "1":
        missing = [tool for tool in ("Xvfb", "import", "dbus-run-session", "dbus-update-activation-environment")
                   if shutil.which(tool) is None]
        missing += [path for path in ("/usr/libexec/at-spi-bus-launcher", "/usr/libexec/at-spi2-registryd")
                    if not os.path.exists(path)]
        python = python_with_atspi()
        if missing or python is None:
            print("skipped: missing %s (tools/common.sh installs them)"
                  % ", ".join(missing + ([] if python else ["python3-pyatspi"])), file=sys.stderr)
            return SKIPPED
        done = subprocess.run(["dbus-run-session", "--", python, os.path.abspath(__file__)] + sys.argv[1:],
                              env=dict(os.environ, **{INSIDE: "1"}), stdin=subprocess.DEVNULL)
        return done.returncode

    began = time.monotonic()
    j = Journey(args, "screenreader")
    failed = True
    try:
        # This session's bus starts the AT-SPI bus and its registry on demand; the registry
        # synthesises keys in the X server.
        subprocess.run(["dbus-update-activation-environment", "DISPLAY=" + j.x.display], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
        bus = Bus()
        try:
            bus.atspi.Registry.getDesktop(0).childCount
        except bus.errors as error:
            print("skipped: the accessibility bus did not start: %s" % error, file=sys.stderr)
            failed = False
            return SKIPPED
        journey_screenreader(j, bus)
        failed = False
    except Exception:
        traceback.print_exc()
    finally:
        j.close(failed)
    print("screenreader %s in %.1f s (logs in %s)" % ("FAILED" if failed else "passed", time.monotonic() - began,
                                                     os.path.join(args.output, "screenreader")))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
