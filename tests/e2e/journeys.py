#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end journeys through the built program: each one starts its own X server and the
program with a fresh home folder, drives it from outside with the keyboard and the mouse, and
checks the window, the dialogs and the files written, byte for byte.

    journeys.py --program build/tolvanex --content src/core/bank/content --output DIR JOURNEY

The same journeys drive the Windows program under Wine: --program build/windows/tolvanex.exe
--wine /usr/lib/wine/wine64 --wineprefix DIR (the prefix is made when missing; the files are then
in its drive C:, the Windows folder c:\\tolvanex).

Each journey leaves its screenshots (PNG) and the program's output in DIR/JOURNEY.
"""

import argparse
import collections
import datetime
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from programtexts import ProgramTexts, default_path  # noqa: E402
from xsession import START, STEP, DriveError, Program, Wine, XServer, missing_tools, wait_until  # noqa: E402

# The client area and the controls' places in pixels (x, y, width, height), from the program's
# table of its controls; set by use_texts().
CLIENT = None
CONTROLS = {}
# The controls the layout journey finds on the window's picture: their frames (all but the picture
# box, found by its white area).
LAID_OUT = ["cmdNextQuestion", "cmd_display_note_file", "cmd_displayCumulativeText", "cmd_enter_response",
            "cmd_save_as_notes", "cmd_clear_answer_box", "cmd_quit", "txt_question", "txt_answer", "Picture1"]
FRAMED = [name for name in LAID_OUT if name != "Picture1"]


def scaled(rect, scale):
    """Pixels at another screen resolution (scale 1.5 at 144 dpi), as Qt scales the window."""
    return tuple(round(v * scale) for v in rect)

BLANKS = b" " * 36
CRLF = b"\r\n"

# The program's texts (generated/texts.json), set by main() before any journey runs.
TEXTS = None
OPEN = CLOSE = PAD = None
PROMPTS = {}
RESPONSE_PROMPT = None


def use_texts(texts):
    global TEXTS, OPEN, CLOSE, PAD, RESPONSE_PROMPT, CLIENT
    TEXTS = texts
    CLIENT = texts.client
    CONTROLS.update(texts.places())
    OPEN = texts.line("openingSeparator")
    CLOSE = texts.line("closingSeparator")
    PAD = CLOSE + b" " * 7
    PROMPTS.update(name=texts["namePrompt"], folder=texts["folderQuestion"], path=texts["pathPrompt"],
                   assignment=texts["assignmentPrompt"], confidence=texts["confidencePrompt"],
                   critique=texts["selfCritiquePrompt"])
    # As the answer box shows it: its line breaks as the box gives them back when copied.
    RESPONSE_PROMPT = texts["responsePrompt"].replace("\r\n", "\n")


# --- The course content, read the way the bank is built from it -----------------------------

def bank_lines(path):
    lines = []
    with open(path, encoding="ascii") as f:
        for raw in f.read().splitlines():
            if not raw or raw.startswith("#"):
                continue
            if raw.startswith("> "):
                lines.append(raw[2:])
            elif raw.startswith(". "):
                lines[-1] += "\r\n" + raw[2:]
            elif raw == ".":
                lines[-1] += "\r\n"
            elif raw == "-":
                lines.append("")
            else:
                raise ValueError("%s: unexpected line %r" % (path, raw))
    return lines


def non_empty(lines):
    return [line for line in lines if line]


# --- Files ----------------------------------------------------------------------------------

def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except (FileNotFoundError, IsADirectoryError, NotADirectoryError):
        return None


def filed(text):
    """A text from a box as the files hold it: CR LF line breaks, Windows-1252, and a character
    beyond it as [U+XXXX]."""
    out = b""
    for c in re.sub("\r?\n", "\r\n", text):
        try:
            out += c.encode("cp1252")
        except UnicodeEncodeError:
            out += b"[U+%04X]" % ord(c)
    return out


def cp1252_text(data):
    """The program's reading of its own files: Windows-1252, unassigned bytes as themselves."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in data)


def file_lines(text):
    """Lines as the program reads them back: a line ends at CR or CR LF."""
    lines = re.split("\r\n|\r", text)
    if lines and lines[-1] == "":
        lines.pop()
    return lines


class Pattern:
    """A stretch of a file checked by pattern rather than byte for byte."""

    def __init__(self, label, regex, check=None):
        self.label, self.regex, self.check = label, re.compile(regex), check


def match_file(data, parts, what):
    """Checks that the bytes are exactly the parts in order (bytes, or Patterns); returns the
    texts the patterns matched."""
    if data is None:
        raise DriveError("%s is missing" % what)
    at = 0
    found = []
    for part in parts:
        if isinstance(part, bytes):
            if data[at:at + len(part)] != part:
                got = data[at:at + len(part)]
                first = next((i for i, (a, b) in enumerate(zip(part, got)) if a != b), min(len(part), len(got)))
                raise DriveError("%s differs at byte %d:\n  expected ...%r\n  found    ...%r"
                                 % (what, at + first, part[max(first - 40, 0):first + 40],
                                    data[at + max(first - 40, 0):at + first + 40]))
            at += len(part)
        else:
            m = part.regex.match(data, at)
            if not m:
                raise DriveError("%s: no %s at byte %d: %r" % (what, part.label, at, data[at:at + 60]))
            if part.check:
                part.check(m.group(0))
            found.append(m.group(0))
            at = m.end()
    if at != len(data):
        raise DriveError("%s has %d more bytes than expected: %r" % (what, len(data) - at, data[at:at + 120]))
    return found


class Clock:
    """Times and dates written during a journey must fall within the journey."""

    def __init__(self):
        self.start = datetime.datetime.now() - datetime.timedelta(seconds=1)

    def check_time(self, raw):
        now = datetime.datetime.now() + datetime.timedelta(seconds=1)
        first, last, value = self.start.strftime("%H:%M:%S"), now.strftime("%H:%M:%S"), raw.decode()
        within = first <= value <= last if self.start.date() == now.date() else value >= first or value <= last
        if not within:
            raise DriveError("time %s is not within the journey (%s to %s)" % (value, first, last))

    def check_date(self, raw):
        days = {self.start.strftime("%m-%d-%Y"), datetime.datetime.now().strftime("%m-%d-%Y")}
        if raw.decode() not in days:
            raise DriveError("date %s is not today (%s)" % (raw.decode(), " or ".join(sorted(days))))

    def time(self):
        return Pattern("time hh:mm:ss", rb"\d\d:\d\d:\d\d", self.check_time)

    def date(self):
        return Pattern("date mm-dd-yyyy", rb"\d\d-\d\d-\d\d\d\d", self.check_date)


def file_name(text_name, **values):
    """The name of one of the program's files (masterFile, sendFile, notesFile, journalFile, ...),
    without its folder."""
    return TEXTS.fill(text_name, folder="", **values).lstrip("\\")


def heading_days(data):
    """The month and day of each heading block in a file's bytes, in order (the heading ends with
    the course title and the date)."""
    pattern = re.escape(TEXTS.line("courseTitle")) + rb"\r\n(\d\d)-(\d\d)-\d{4}\r\n"
    return [(m.group(1).decode(), m.group(2).decode()) for m in re.finditer(pattern, data or b"")]


# A student's three files, by name.
Files = collections.namedtuple("Files", "master send notes")


class Record:
    """What one filing puts into the files: parts(master) gives its parts in the master file
    (master=True) or the send file; a note goes into the notes file too, as in the send file."""

    def __init__(self, parts, note=False):
        self.parts, self.note = parts, note


# A filler line: 19 to 28 passes, each an optional character of code 66 to 116 and then one of
# code 118 to 255.
FILLER = rb"(?:[\x42-\x74]?[\x76-\xff]){19,28}"


# --- One journey ----------------------------------------------------------------------------

class Journey:
    def __init__(self, args, name):
        self.name = name
        self.args = args
        self.out = os.path.join(args.output, name)
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.root = tempfile.mkdtemp(prefix="tolvanex-e2e-")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.wine = getattr(args, "wine_setup", None)
        self.scale = getattr(args, "scale", 1)
        if self.wine:
            # The Windows program's own c:\tolvanex, emptied of an earlier journey's files.
            self.folder = self.wine.drive_c("tolvanex")
            shutil.rmtree(self.folder, ignore_errors=True)
        else:
            self.folder = os.path.join(self.home, "tolvanex")
        self.clock = Clock()
        self.x = XServer(self.out)
        self.program = None
        self.window = None
        self.shots = 0

    def count_headings(self):
        """Before a start: the heading blocks the files hold already (the program's own comes after
        them)."""
        self.headings_before = {name: len(heading_days(read_bytes(self.path(name))))
                                for name in (os.listdir(self.folder) if os.path.isdir(self.folder) else ())}

    def start(self, copyable_texts=True, extra_env=None):
        self.count_headings()
        self.program = Program(self.x, self.args.program, self.home, self.out, self.root,
                               copyable_texts=copyable_texts, extra_env=extra_env, wine=self.wine)
        return self.program

    def start_up(self, name, assignment, folder_reply="", path=None):
        p = self.program
        p.answer_prompt(PROMPTS["name"], name)
        p.answer_prompt(PROMPTS["folder"], folder_reply)
        if path is not None:
            p.answer_prompt(PROMPTS["path"], path)
        p.answer_prompt(PROMPTS["assignment"], assignment)

    def main_window(self):
        self.window = self.program.main_window()
        geometry = self.x.geometry(self.window)
        client = scaled(CLIENT, self.scale)
        if geometry[2:] != client:
            raise DriveError("the main window's client area is %dx%d, not %dx%d" % (geometry[2:] + client))
        return self.window

    # The main window's controls. With no window manager in the X server the test gives the
    # keyboard focus back to the main window once a dialog has gone, as a window manager would.
    def take_focus(self):
        if self.x.focused() != self.window:
            self.x.focus(self.window)

    def click(self, control):
        self.take_focus()
        x, y, w, h = scaled(CONTROLS[control], self.scale)
        self.x.click(self.window, x + w // 2, y + h // 2)

    def keys(self, *keys):
        self.take_focus()
        self.x.key(*keys)

    def box_text(self, box):
        """What a text box holds (it must hold something): a click into it, Ctrl+A, Ctrl+C."""
        self.click(box)
        held = self.x.copy_with("ctrl+a", "ctrl+c")
        self.x.key("ctrl+Home")  # the selection off again
        return held

    def type_answer(self, text, paste=False):
        """Types into the answer box, over what it holds, and checks the box holds just that.
        Characters beyond the keyboard's are pasted: xdotool would type them by changing the
        keyboard map on the fly, which races with the program reading the map."""
        self.click("txt_answer")
        self.x.key("ctrl+a")
        if paste:
            self.x.set_clipboard(text)
            wait_until(lambda: self.x.clipboard() == text, STEP, "the clipboard to hold the text")
            self.x.key("ctrl+v")
        else:
            for number, line in enumerate(text.split("\n")):
                if number:
                    self.x.key("Return")
                self.x.type(line)
        held = self.x.copy_with("ctrl+a", "ctrl+c")
        if held != text:
            raise DriveError("the answer box holds %r after typing %r" % (held, text))
        self.x.key("ctrl+End")

    def expect_box(self, box, expected):
        held = self.box_text(box)
        if held != expected:
            raise DriveError("%s holds\n  %r\nnot\n  %r" % (box, held[:400], expected[:400]))

    def expect_empty_boxes(self):
        """Both text boxes come to show no text: inside their frames, left of the scroll bar,
        nothing but white, apart from at most a text cursor (one column). The boxes are emptied
        after the files are written, and drawn after that, so the picture is taken until then."""
        def inked_columns():
            picture = self.x.capture(self.window)
            found = {}
            for box in ("txt_question", "txt_answer"):
                x0, y0, w, h = scaled(CONTROLS[box], self.scale)
                inked = set()
                for y in range(y0 + 2, y0 + h - 2):
                    row = picture.rows[y]
                    for x in range(x0 + 2, x0 + w - 20):
                        if row[3 * x:3 * x + 3] != b"\xff\xff\xff":
                            inked.add(x)
                found[box] = len(inked)
            return found
        try:
            wait_until(lambda: all(n <= 1 for n in inked_columns().values()), STEP, "both boxes to be empty", 0.2)
        except DriveError:
            self.screenshot("not-empty")
            raise DriveError("the boxes are not empty: ink in %s columns" % inked_columns())

    def screenshot(self, label, window=None):
        self.shots += 1
        path = os.path.join(self.out, "%s-%d-%s.png" % (self.name, self.shots, label))
        self.x.capture(window or self.window).save_png(path)
        return path

    def message(self, label, *parts):
        """Waits for a message box, keeps a picture of it, checks that its text mentions each of
        the parts, and presses Return (OK)."""
        window = self.program.next_dialog()
        self.screenshot(label, window)
        text = self.program.dialog_text(window)
        for part in parts:
            if part not in text:
                raise DriveError("the message does not mention %r: %r" % (part, text))
        self.x.key("Return")
        # The window may be on the screen already (a message after its first paint): the box is
        # waited for to close before the next step looks at what is open.
        wait_until(lambda: window not in self.x.visible_windows("tolvanex"), STEP, "the message to close")
        return text

    def no_dialog_open(self):
        open_now = self.x.visible_windows("tolvanex")
        if open_now:
            raise DriveError("a dialog is open that should not be: %s" % open_now)

    def quit(self):
        self.click("cmd_quit")
        status = self.program.wait_exit()
        if status != 0:
            raise DriveError("the program ended with status %d" % status)

    # Files.
    def path(self, filename):
        return os.path.join(self.folder, filename)

    def wait_file(self, filename, condition, what):
        return wait_until(lambda: (lambda d: d if d is not None and condition(d) else None)(
            read_bytes(self.path(filename))), STEP, what)

    def wait_rated(self, files, rating, what="the response"):
        """Until the send file ends with a response of that rating line."""
        self.wait_file(files.send, lambda d: d.endswith(rating.encode() + CRLF + CLOSE + CRLF), what)

    def wait_note(self, files):
        """Until the notes file and the send file end with a note."""
        self.wait_file(files.notes, lambda d: d.endswith(PAD), "the note")
        self.wait_file(files.send, lambda d: d.endswith(PAD), "the note in the send file")

    def started(self, student):
        """The student's files once the program just started has written its heading block. The
        send file is named by the day the program started: the day of the heading it wrote then in
        the master file (after those the file held before)."""
        part = student.replace(" ", "_")
        master = file_name("masterFile", name=part)
        before = self.headings_before.get(master, 0)
        data = self.wait_file(master, lambda d: len(heading_days(d)) > before, "the heading block")
        month, day = heading_days(data)[-1]
        send = file_name("sendFile", mmdd=month + day, name=part)
        before = self.headings_before.get(send, 0)
        self.wait_file(send, lambda d: len(heading_days(d)) > before, "the heading block in the send file")
        return Files(master, send, file_name("notesFile", name=part))

    def heading(self, assignment, header):
        return [Pattern("filler line", FILLER), CRLF + TEXTS.line("assignmentLine", number=assignment) + CRLF
                + header.encode() + CRLF + TEXTS.line("courseTitle") + CRLF, self.clock.date(), CRLF]

    def response(self, number, shown, text, rating, master):
        """A filed response as the master file (master=True) or the send file has it."""
        parts = [OPEN + CRLF + BLANKS, self.clock.time(), CRLF]
        if master:
            parts.append(CRLF + CRLF + TEXTS.line("questionNumberMarker") + b" " + number.encode() + b" " + CRLF)
        parts.append(filed(shown) + CRLF + OPEN + CRLF + TEXTS.line("responseLine") + CRLF
                     + filed(text) + CRLF + rating.encode() + CRLF + CLOSE + CRLF)
        return parts

    def note(self, shown, text, master):
        parts = [OPEN + CRLF + BLANKS, self.clock.time(), CRLF + BLANKS, self.clock.date(), self.clock.time(),
                 CRLF + filed(shown) + CRLF + OPEN + CRLF + TEXTS.line("notesEntry", words="") + filed(text) + CRLF]
        parts.append(CLOSE + CRLF if master else PAD)
        return parts

    def responded(self, shown, text, rating, number="50001"):
        return Record(lambda master: self.response(number, shown, text, rating, master))

    def noted(self, shown, text):
        return Record(lambda master: self.note(shown, text, master), note=True)

    def close(self, failed):
        if failed and self.window is not None and self.program is not None and self.program.running():
            try:
                self.screenshot("failure")
            except Exception:  # the picture is a help, not part of the verdict
                pass
        if self.program is not None:
            self.program.kill()
        if self.wine:
            self.wine.stop_server()
        self.x.stop()
        if failed:
            if self.program is not None:
                sys.stderr.write("--- program output ---\n%s\n" % self.program.output())
            shutil.copytree(self.home, os.path.join(self.out, "home"), symlinks=True, dirs_exist_ok=True)
            if self.wine and os.path.isdir(self.folder):
                shutil.copytree(self.folder, os.path.join(self.out, "tolvanex"), dirs_exist_ok=True)
        shutil.rmtree(self.root, ignore_errors=True)


# --- The journeys ---------------------------------------------------------------------------

def content(args, number):
    return bank_lines(os.path.join(args.content, "a%03d.txt" % number))


def assignment_five(args):
    lines = non_empty(content(args, 5))
    header = lines[0]
    question = lines[1]
    answer = lines[2][2:]
    assert question.startswith("`q001.") and lines[2].startswith("`a"), "assignment 005 begins otherwise"
    return header, question, answer


# Entered in the mouse journey: a critique of two lines, typed, and a note with characters from
# Windows-1252 beyond ASCII and one from outside it, pasted.
CRITIQUE = "I used vf for the whole interval.\nNext time: vAve first."
NOTE = "remember vAve = \u00bd(v0 + vf); caf\u00e9 \u0394v"


def journey_mouse(j):
    """Assignment 5 with the mouse: a response with its confidence, the given answer with a
    critique, a note, both file viewers, quit."""
    header, question, answer = assignment_five(j.args)
    j.start()
    j.start_up("Ann Lee", "5")
    j.main_window()
    files = _, send, notes = j.started("Ann Lee")
    heading = j.heading("005", header)
    j.expect_box("txt_answer", " ")
    j.screenshot("start")

    j.click("cmdNextQuestion")
    j.expect_box("txt_question", question)
    j.type_answer("About 7 m/s")
    j.click("cmd_enter_response")
    j.program.answer_prompt(PROMPTS["confidence"], "2")
    j.wait_rated(files, rated("2"))
    j.expect_empty_boxes()

    j.click("cmdNextQuestion")
    j.expect_box("txt_question", answer.replace("\r\n", "\n"))
    j.type_answer(CRITIQUE)
    j.click("cmd_enter_response")
    j.program.answer_prompt(PROMPTS["critique"], "3")
    j.wait_rated(files, critiqued("3"), "the critique")
    j.expect_empty_boxes()

    j.type_answer(NOTE, paste=True)
    j.click("cmd_save_as_notes")
    j.wait_note(files)
    j.expect_empty_boxes()

    # "display notes" puts the notes file, its lines run together, after the last entry.
    j.click("cmd_display_note_file")
    shown_notes = TEXTS.fill("notesEntry", words=NOTE) + "".join(file_lines(cp1252_text(read_bytes(j.path(notes)))))
    j.expect_box("txt_question", shown_notes)
    # "display SEND file" adds the send file, each line on a line of its own.
    j.click("cmd_displayCumulativeText")
    send_lines = file_lines(cp1252_text(read_bytes(j.path(send))))
    held = j.box_text("txt_question")
    expected = shown_notes + "\n" + "\n".join(send_lines)
    # The clipboard gives no-break spaces (a filler line may hold some) as plain blanks.
    if held != expected.replace("\u00a0", " "):
        raise DriveError("after display SEND file the question box holds\n  %r\nnot\n  %r" % (held, expected))
    j.screenshot("files-shown")
    j.quit()

    in_master, in_send = expect_files(j, files, heading, j.responded(question, "About 7 m/s", rated("2")),
                                      j.responded(answer, CRITIQUE, critiqued("3")), j.noted(answer, NOTE))
    if in_master[0] != in_send[0]:
        raise DriveError("the master and send files begin with different filler lines")


def journey_keyboard(j):
    """An unknown assignment first, then assignment 5 with the keyboard shortcuts."""
    header, question, answer = assignment_five(j.args)
    j.start()
    p = j.program
    p.answer_prompt(PROMPTS["name"], "Cy Diaz")
    p.answer_prompt(PROMPTS["folder"], "")
    missing = TEXTS.missing_assignment()
    p.answer_prompt(PROMPTS["assignment"], missing)
    j.message("no-assignment", '"%s"' % missing, "%s to %s" % (TEXTS.assignments[0], TEXTS.assignments[-1]))
    p.answer_prompt(PROMPTS["assignment"], "5")
    j.main_window()
    files = _, send, notes = j.started("Cy Diaz")

    j.keys("ctrl+Next")
    j.expect_box("txt_question", question)
    j.type_answer("21 m in 3 s")
    j.keys("ctrl+Return")
    p.answer_prompt(PROMPTS["confidence"], "1")
    j.wait_file(send, lambda d: d.endswith(CLOSE + CRLF), "the response")
    j.expect_empty_boxes()
    j.click("txt_answer")
    j.keys("ctrl+Next")
    j.expect_box("txt_question", answer.replace("\r\n", "\n"))
    j.type_answer("units check")
    j.keys("ctrl+shift+s")
    j.wait_file(notes, lambda d: d.endswith(PAD), "the note")
    j.expect_empty_boxes()
    j.screenshot("after-note")
    j.quit()

    expect_files(j, files, j.heading("005", header), j.responded(question, "21 m in 3 s", rated("1")),
                 j.noted(answer, "units check"))


# The keyboard-only journey: every step starts where the one before left the focus, so a focus
# that landed anywhere else sends the keys that follow astray and the files come out wrong.
KEY_NOTE = "remember\tvAve = \u00bd(v0 + vf); caf\u00e9 \u0394v"  # pasted: the tab stays text


def keyboard_prompt(j, reply, key="Return"):
    """A prompt answered from the keyboard: the reply typed into its field, which has the focus,
    read back with Ctrl+A Ctrl+C, then Enter (or Escape, which cancels)."""
    j.program.next_dialog()
    if reply:
        j.x.type(reply)
        held = j.x.copy_with("ctrl+a", "ctrl+c")
        if held != reply:
            raise DriveError("the prompt's field holds %r, not %r" % (held, reply))
    j.x.key(key)


def focused_text(j):
    """The text of the box that has the focus, with Ctrl+A Ctrl+C."""
    j.take_focus()
    return j.x.copy_with("ctrl+a", "ctrl+c")


def expect_focused_text(j, what, expected):
    held = focused_text(j)
    if held != expected.replace("\u00a0", " "):  # the clipboard gives no-break spaces as blanks
        raise DriveError("%s holds\n  %r\nnot\n  %r" % (what, held[:400], expected[:400]))


def journey_keyboard_only(j):
    """Assignment 5 without the mouse: the start-up prompts (a message dismissed with Escape), a
    response with its rating, the given answer with a critique whose rating is cancelled with
    Escape, a note with a pasted tab, both viewers and "quit program", with only Tab, Shift+Tab,
    Space, Enter, Escape, the program's shortcuts and typing; texts are read with Ctrl+A Ctrl+C."""
    header, question, answer = assignment_five(j.args)
    j.start()
    keyboard_prompt(j, "Gus Hale")
    keyboard_prompt(j, "")
    keyboard_prompt(j, "19")
    # The message (its words are checked in the keyboard journey) goes with Escape; were it the
    # prompt again, Escape would cancel it and end the program.
    j.screenshot("no-assignment-19", j.program.next_dialog())
    j.x.key("Escape")
    keyboard_prompt(j, "5")
    j.main_window()
    files = _, send, notes = j.started("Gus Hale")

    # The focus starts in the question box: two Tabs reach "Next Question / Answer".
    j.keys("Tab", "Tab", "space")
    # Paging puts the focus in the answer box with its text selected: typing replaces it.
    j.x.type("About 7 m/s")
    expect_focused_text(j, "the answer box", "About 7 m/s")
    j.keys("shift+Tab")
    expect_focused_text(j, "the question box", question)
    j.keys("Tab", "Tab", "Tab", "space")  # answer box, "Next Question / Answer", "Enter Response"
    keyboard_prompt(j, "2")
    j.wait_rated(files, rated("2"))
    j.expect_empty_boxes()

    # After "Enter Response" the focus is on "Next Question / Answer": Enter pages on at once.
    j.keys("Return")
    for number, line in enumerate(CRITIQUE.split("\n")):
        if number:
            j.x.key("Return")
        j.x.type(line)
    expect_focused_text(j, "the answer box", CRITIQUE)
    j.keys("shift+Tab")
    expect_focused_text(j, "the question box", answer.replace("\r\n", "\n"))
    j.keys("Tab", "ctrl+Return")
    keyboard_prompt(j, "3", key="Escape")  # Cancel: the rating is empty
    j.wait_rated(files, critiqued(""), "the critique")
    j.expect_empty_boxes()

    # A note, pasted into the answer box (one Shift+Tab back), filed five Tabs on with "Save as Notes".
    j.keys("shift+Tab")
    j.x.set_clipboard(KEY_NOTE)
    wait_until(lambda: j.x.clipboard() == KEY_NOTE, STEP, "the clipboard to hold the note")
    j.x.key("ctrl+v")
    expect_focused_text(j, "the answer box", KEY_NOTE)
    j.keys("Tab", "Tab", "Tab", "Tab", "Tab", "space")
    j.wait_note(files)
    j.expect_empty_boxes()

    # The focus stays in the answer box; backwards round the tab order to "display notes" (Enter),
    # which leaves the focus in the question box on what it shows.
    j.keys(*["shift+Tab"] * 7, "Return")
    shown_notes = TEXTS.fill("notesEntry", words=KEY_NOTE) + "".join(file_lines(cp1252_text(read_bytes(j.path(notes)))))
    expect_focused_text(j, "the question box", shown_notes)
    j.keys(*["shift+Tab"] * 7, "space")  # "display SEND file"
    send_lines = file_lines(cp1252_text(read_bytes(j.path(send))))
    expect_focused_text(j, "the question box", shown_notes + "\n" + "\n".join(send_lines))
    j.screenshot("files-shown")
    j.keys(*["shift+Tab"] * 5, "space")  # "quit program"
    status = j.program.wait_exit()
    if status != 0:
        raise DriveError("the program ended with status %d" % status)

    expect_files(j, files, j.heading("005", header), j.responded(question, "About 7 m/s", rated("2")),
                 j.responded(answer, CRITIQUE, critiqued("")), j.noted(answer, KEY_NOTE))


def journey_notices(j):
    """Assignment 001: three notices, and the routine line after them ends the program."""
    lines = non_empty(content(j.args, 1))
    header, notices, routine = lines[0], lines[1:4], lines[4]
    assert routine.lower().startswith("`routine"), "assignment 001 has three notices, then its routine"
    j.start()
    j.start_up("Bo Chen", "001")
    j.main_window()
    files = j.started("Bo Chen")
    shown = ""
    for count, notice in enumerate(notices, 1):
        j.click("cmdNextQuestion")
        shown += notice
        j.expect_box("txt_question", shown)
        # The first click leaves the answer box as it was; from the second on it offers the
        # response prompt.
        j.expect_box("txt_answer", " " if count == 1 else RESPONSE_PROMPT)
    j.screenshot("third-notice")
    j.click("cmdNextQuestion")
    status = j.program.wait_exit()
    if status != 0:
        raise DriveError("the program ended with status %d" % status)
    expect_files(j, files, j.heading("001", header))


def journey_missing_folder(j):
    """A folder that does not exist: the message names the file and the reason, the path is
    asked for again, and Enter alone keeps the default folder."""
    header, _, _ = assignment_five(j.args)
    j.start()
    p = j.program
    p.answer_prompt(PROMPTS["name"], "Di Evans")
    p.answer_prompt(PROMPTS["folder"], "1")
    p.answer_prompt(PROMPTS["path"], "c:\\nothere")
    p.answer_prompt(PROMPTS["assignment"], "5")
    j.message("no-such-folder", "c:\\nothere\\masterFile_Di_Evans.txt",
              *system_words(j, "No such file or directory", "the folder \"c:\\nothere\" does not exist"))
    p.answer_prompt(PROMPTS["path"], "")
    j.main_window()
    files = j.started("Di Evans")
    j.screenshot("started")
    j.quit()
    expect_files(j, files, j.heading("005", header))
    if not j.wine and sorted(os.listdir(j.home)) != ["tolvanex"]:  # Wine keeps its own folders there
        raise DriveError("the home folder holds %s" % sorted(os.listdir(j.home)))


def system_words(j, elsewhere, windows):
    """The words a message gives for the system's reason: the C library's, or Windows' own (None
    where Windows' wording is its own and only the file's name is checked)."""
    words = windows if j.wine else elsewhere
    return () if words is None else (words,)


def journey_unwritable(j):
    """Filing while the files cannot be written: a message, the words stay in the answer box,
    nothing is half-written; once the files can be written again the same words are filed."""
    header, question, _ = assignment_five(j.args)
    j.start()
    j.start_up("Eve Fox", "5")
    j.main_window()
    p = j.program
    files = master, send, _ = j.started("Eve Fox")
    j.click("cmdNextQuestion")
    j.expect_box("txt_question", question)
    words = "my precious answer"
    j.type_answer(words)
    heading_bytes = {name: read_bytes(j.path(name)) for name in (master, send)}
    # The draft of the words is saved first (within half a second): a save that met the folder
    # gone would rightly be told, before the rating prompt this journey waits for. It is written
    # as "<draft>.new", renamed, then the folder is put on disk: the draft under its own name and
    # no ".new" beside it, then a pause for the folder, which the program opens by its name just
    # after the rename (nothing outside the program shows when it has; a second is ample even for
    # a loaded machine, where the rename and that open are a few system calls apart).
    def draft_saved():
        names = os.listdir(j.folder)
        return not any(name.endswith(".new") for name in names) and any(
            re.fullmatch(r"\.tolvanex_Eve_Fox\.draft\d+", name) and words.encode() in (read_bytes(j.path(name)) or b"")
            for name in names)
    wait_until(draft_saved, STEP, "the draft of the typed words")
    time.sleep(1)

    # The folder replaced by a file: even the superuser cannot open a file inside it.
    away = j.folder + ".away"
    os.rename(j.folder, away)
    with open(j.folder, "w") as f:
        f.write("in the way\n")
    j.click("cmd_enter_response")
    p.answer_prompt(PROMPTS["confidence"], "1")  # the rating is asked before the files are touched
    j.message("folder-is-a-file", TEXTS.fill("notSaved", record=TEXTS["responseRecord"]),
              "c:\\tolvanex\\masterFile_Eve_Fox.txt",
              *system_words(j, "Not a directory", "c:\\tolvanex is a file, not a folder"))
    j.expect_box("txt_answer", words)
    j.expect_box("txt_question", question)
    j.no_dialog_open()
    j.screenshot("kept-after-failure")
    os.remove(j.folder)
    os.rename(away, j.folder)

    # The send file replaced by a folder: the master file opens, but nothing may go into it.
    os.rename(j.path(send), j.path(send) + ".away")
    os.mkdir(j.path(send))
    j.click("cmd_enter_response")
    p.answer_prompt(PROMPTS["confidence"], "1")
    j.message("send-file-is-a-folder", "c:\\tolvanex\\" + send, *system_words(j, "Is a directory", None))
    j.expect_box("txt_answer", words)
    os.rmdir(j.path(send))
    os.rename(j.path(send) + ".away", j.path(send))
    for name, data in heading_bytes.items():
        if read_bytes(j.path(name)) != data:
            raise DriveError("%s changed although the response could not be filed" % name)

    # Filed at last, from what the box kept.
    j.click("cmd_enter_response")
    p.answer_prompt(PROMPTS["confidence"], "2")
    j.wait_file(send, lambda d: d.endswith(CLOSE + CRLF), "the response")
    j.expect_empty_boxes()
    j.quit()
    expect_files(j, files, j.heading("005", header), j.responded(question, words, rated("2")))


def journey_layout(j):
    """The window as drawn: every control's frame (or, for the picture box, its white area) lies
    exactly on the rectangle given for it, and one pixel off in any direction it would not."""
    j.start(copyable_texts=False)  # the program's own look, no style sheet
    p = j.program
    for reply in ("Lay Out", "", "5"):
        p.next_dialog()
        j.x.type(reply)
        j.x.key("Return")
    j.main_window()
    j.started("Lay Out")
    j.x.xdotool("mousemove", "--sync", "--window", str(j.window), "700", "540")  # no hover highlight

    def layout_faults():
        picture = j.x.capture(j.window)
        sx, sy = picture.width / CLIENT[0], picture.height / CLIENT[1]
        faults = []
        for name in LAID_OUT:
            x, y, w, h = CONTROLS[name]
            rect = (round(x * sx), round(y * sy), round(w * sx), round(h * sy))
            framed = name in FRAMED
            # Scaled by 1.5, a control's last pixel covers one or two screen pixels: a frame drawn on
            # it may be on either.
            last = (int((x + w - 1) * sx), int((y + h - 1) * sy)) if (sx, sy) != (1, 1) else None
            faults += edge_faults(picture, name, rect, framed, last)
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                moved = (rect[0] + dx, rect[1] + dy, rect[2], rect[3])
                if not edge_faults(picture, name, moved, framed):
                    faults.append("%s: the edges are found one pixel off too (%+d, %+d)" % (name, dx, dy))
        return faults
    # The window may still be drawing its controls when it first shows.
    try:
        wait_until(lambda: not layout_faults(), STEP, "the controls to be drawn", 0.3)
    except DriveError:
        pass  # the faults of the last picture are reported below
    path = j.screenshot("window")
    faults = layout_faults()
    if faults:
        raise DriveError("controls not where they belong (see %s):\n  %s" % (path, "\n  ".join(faults)))
    j.quit()


def journey_installer(j):
    """The Windows installer, run silently with no mode (for the current user, although Wine's
    user is an administrator) and then for all users beside it: the program, its licences and its
    Start-menu entry are installed, the second copy named apart in the Start menu and in the list
    of apps; each installed program starts and writes its heading block; the uninstaller takes away
    what was installed, and the student's records stay as they were."""
    if not j.wine:
        raise DriveError("the installer is a Windows program: run this journey with --wine")
    found = glob.glob(os.path.join(os.path.dirname(j.args.program), "tolvanex-*-setup.exe"))
    if len(found) != 1:
        raise DriveError("expected one installer beside the program, found %s" % found)
    header, _, _ = assignment_five(j.args)
    env = dict(os.environ, DISPLAY=j.x.display, **j.wine.env)
    users = glob.glob(j.wine.drive_c("users", "*", "AppData"))
    users = [u for u in users if "Public" not in u]
    if len(users) != 1:
        raise DriveError("expected one user in the Wine prefix, found %s" % users)
    menu = os.path.join("Microsoft", "Windows", "Start Menu", "Programs")
    all_users_folder = j.wine.drive_c("Program Files", "tolvanex")
    # Each: the mode given to the installer, the one to the uninstaller, where it installs, its
    # Start-menu entry, its registry hive and the name it has in the list of apps.
    modes = (("", "/CurrentUser", os.path.join(users[0], "Local", "Programs", "tolvanex"),
              os.path.join(users[0], "Roaming", menu, "tolvanex.lnk"), "HKCU", "tolvanex"),
             ("/AllUsers", "/AllUsers", all_users_folder,
              j.wine.drive_c("ProgramData", menu, "tolvanex (for all users).lnk"), "HKLM",
              "tolvanex (for all users)"))

    def display_name(hive):
        key = hive + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tolvanex"
        done = subprocess.run(j.wine.command("reg", "query", key, "/v", "DisplayName"), env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        found = re.search(r"DisplayName\s+REG_SZ\s+(.*?)\s*$", done.stdout.decode("utf-8", "replace"), re.M)
        return found.group(1) if found else None

    for mode, _, folder, shortcut, _, _ in modes:
        done = subprocess.run(j.wine.command(found[0], "/S", *([mode] if mode else [])), env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=START)
        if done.returncode != 0:
            raise DriveError("the installer (/S %s) ended with status %d" % (mode, done.returncode))
        for part in ("tolvanex.exe", "tolvanex-report.exe", "Uninstall.exe", os.path.join("licences", "GPL-3.0-or-later.txt"),
                     os.path.join("licences", "CC-BY-SA-4.0.txt")):
            if not os.path.isfile(os.path.join(folder, part)):
                raise DriveError("installed (/S %s): no %s in %s" % (mode, part, folder))
        if not os.path.isfile(shortcut):
            raise DriveError("installed (/S %s): no Start-menu entry %s (there: %s)"
                             % (mode, shortcut, os.listdir(os.path.dirname(shortcut))))
        if not mode and os.path.exists(all_users_folder):
            raise DriveError("/S alone installed for all users, into %s" % all_users_folder)
    for _, _, _, _, hive, name in modes:
        if display_name(hive) != name:
            raise DriveError("installed both ways: %s's entry in the list of apps is %r, not %r"
                             % (hive, display_name(hive), name))

    kept = {}
    for _, mode, folder, shortcut, _, _ in modes:
        student = "Ivy Ng" if mode == "/CurrentUser" else "Jo Ma"
        j.count_headings()
        j.program = Program(j.x, os.path.join(folder, "tolvanex.exe"), j.home, j.out, j.root,
                            name="installed" + mode[1:], copyable_texts=True, wine=j.wine)
        j.start_up(student, "5")
        j.main_window()
        files = j.started(student)
        j.screenshot("installed" + mode[1:])
        j.quit()
        j.program.kill()
        for name in files[:2]:
            match_file(read_bytes(j.path(name)), j.heading("005", header), name)
            kept[name] = read_bytes(j.path(name))

        # The uninstaller copies itself away and returns at once: its work is waited for.
        done = subprocess.run(j.wine.command(os.path.join(folder, "Uninstall.exe"), "/S", mode), env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=START)
        if done.returncode != 0:
            raise DriveError("the uninstaller (%s) ended with status %d" % (mode, done.returncode))
        wait_until(lambda: not os.path.exists(folder), START, "the uninstaller to remove %s" % folder, 0.5)
        if os.path.exists(shortcut):
            raise DriveError("uninstalled %s: the Start-menu entry %s is still there" % (mode, shortcut))
        for name, data in kept.items():
            if read_bytes(j.path(name)) != data:
                raise DriveError("uninstalling (%s) changed the student's %s" % (mode, name))


def luminance(rgb):
    return (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) // 1000


def edge_faults(picture, name, rect, framed, last=None):
    """Each edge of the rectangle inside the window, sampled along its middle half. A framed
    control (button, text box) has a dark frame pixel on the edge line with a light pixel on at
    least one side (captions may run into the frame from inside, neighbours touch it from
    outside); the picture box is white on its edge line and not white just outside it. last: the
    other screen column and row the right and bottom edges may take (at a scale of 1.5), sample by
    sample (a neighbour laid over one of them hides it)."""
    x, y, w, h = rect
    edges = {  # the edge line, the step from it towards the inside, the span along it
        "left": ("x", x, 1, y, y + h),
        "right": ("x", x + w - 1, -1, y, y + h),
        "top": ("y", y, 1, x, x + w),
        "bottom": ("y", y + h - 1, -1, x, x + w),
    }
    width, height = picture.width, picture.height
    faults = []
    for edge, (axis, line, step, begin, end) in edges.items():
        other = None if last is None or edge in ("left", "top") else last[0 if edge == "right" else 1]
        across, along = (width, height) if axis == "x" else (height, width)
        if not 0 <= line < across:
            continue  # beyond the window's edge
        quarter = (end - begin) // 4
        samples = [s for s in range(begin + quarter, max(end - quarter, begin + quarter + 1)) if 0 <= s < along]

        def at(pos, s):
            if not 0 <= pos < across:
                return None
            return picture.pixel(pos, s) if axis == "x" else picture.pixel(s, pos)
        def good_at(line, s):
            on, inside, outside = at(line, s), at(line + step, s), at(line - step, s)
            if framed:
                light = [side for side in (inside, outside) if side is not None and luminance(side) >= 0xDC]
                return luminance(on) < 0xD0 and bool(light)
            return on == (255, 255, 255) and outside != (255, 255, 255)
        good = sum(good_at(line, s) or (other is not None and other != line and good_at(other, s)) for s in samples)
        if not samples or good * 10 < len(samples) * 9:
            faults.append("%s: %s edge not at %s=%d (%d of %d samples)" % (name, edge, axis, line, good, len(samples)))
    return faults


def rated(reply):
    return TEXTS.fill("confidenceLine", reply=reply)


def critiqued(reply):
    return TEXTS.fill("selfCritiqueLine", reply=reply)


def work_file(text_name, student, window="1"):
    """The name of one of the program's own files beside the records ("journalFile", "draftFile",
    "lockFile", "draftLockFile") for the student's name part; a draft and its lock are those of the
    window numbered window."""
    return file_name(text_name, name=student, window=window)


def expect_files(j, files, *contents):
    """Once the program has ended, each file byte for byte and the folder: the master file and the
    send file hold the contents in order (a list of parts the same in both, such as a heading
    block, or a Record), the notes file the notes among them, and the folder these files and the
    program's own. Returns what the patterns matched in the master file and in the send file."""
    found = []
    for name, master in ((files.master, True), (files.send, False)):
        parts = [part for c in contents for part in (c.parts(master) if isinstance(c, Record) else c)]
        found.append(match_file(read_bytes(j.path(name)), parts, name))
    notes = [part for c in contents if isinstance(c, Record) and c.note for part in c.parts(False)]
    if notes:
        match_file(read_bytes(j.path(files.notes)), notes, files.notes)
    expect_folder(j, {files.master, files.send} | ({files.notes} if notes else set()))
    return found


def expect_folder(j, names):
    """The folder holds the files named and the program's hidden lock file and journal beside them,
    the journal empty (no unfinished filing), the locks each window held on its draft, and no draft
    of words left unfiled."""
    student = next(n[len("masterFile_"):-len(".txt")] for n in names if n.startswith("masterFile_"))
    journal = work_file("journalFile", student)
    expected = set(names) | {journal, work_file("lockFile", student)}
    window_lock = re.compile(re.escape(work_file("draftLockFile", student, "@")).replace("@", "[1-9][0-9]?") + "$")
    held = {name for name in os.listdir(j.folder) if not window_lock.match(name)}
    if held != expected:
        raise DriveError("the folder holds %s, not %s" % (sorted(held), sorted(expected)))
    if read_bytes(os.path.join(j.folder, journal)):
        raise DriveError("the journal is not empty: a filing was left unfinished")


JOURNEYS = {
    "mouse": journey_mouse,
    "keyboard": journey_keyboard,
    "keyboard_only": journey_keyboard_only,
    "notices": journey_notices,
    "missing_folder": journey_missing_folder,
    "unwritable": journey_unwritable,
    "layout": journey_layout,
    "installer": journey_installer,
}


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def main(journeys=JOURNEYS, description=__doc__, tools=(), skip_on=(), before=None):
    """Runs the journeys named on the command line (all by default), each with a Journey of its
    own. Each of tools (a command, or a file's path) must be there; an exception of a kind in
    skip_on reports the run skipped (the system does not allow a step). before(args), when given,
    runs first: an exit status it returns ends the run there."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built tolvanex executable")
    parser.add_argument("--content", required=True, help="the course content folder (src/core/bank/content)")
    parser.add_argument("--output", required=True, help="where screenshots and logs go")
    parser.add_argument("--texts", help="the program's texts (default: generated/texts.json beside the program)")
    parser.add_argument("--wine", help="Wine's loader (wine64), to run a Windows program")
    parser.add_argument("--wineprefix", help="with --wine: the Wine prefix, made when missing")
    parser.add_argument("--dpi", type=int, default=96, help="with --wine: the screen's resolution")
    parser.add_argument("journeys", nargs="*", default=list(journeys), help=", ".join(journeys))
    args = parser.parse_args()
    args.program, args.content = os.path.abspath(args.program), os.path.abspath(args.content)
    args.scale = args.dpi / 96
    use_texts(ProgramTexts(args.texts or default_path(args.program)))
    missing = missing_tools() + [tool for tool in tools
                                 if not (os.path.exists(tool) if os.path.isabs(tool) else shutil.which(tool))]
    if args.wine and not os.path.exists(args.wine):
        missing.append(args.wine)
    if missing:
        # Reported to CTest as skipped, not failed: a bare build without these tools can still test.
        print("skipped: missing tools: %s (tools/common.sh installs them)" % ", ".join(missing), file=sys.stderr)
        return SKIPPED
    if before is not None:
        status = before(args)
        if status is not None:
            return status
    args.wine_setup = None
    if args.wine:
        args.wine_setup = Wine(args.wine, args.wineprefix or os.path.join(args.output, "wineprefix"), args.dpi)
        args.wine_setup.make_prefix()
    failures = 0
    for name in args.journeys:
        began = time.monotonic()
        failed = True
        j = None
        try:
            j = Journey(args, name)
            journeys[name](j)
            failed = False
        except skip_on as reason:
            failed = False
            print("skipped: %s" % reason, file=sys.stderr)
            return SKIPPED
        except Exception:
            traceback.print_exc()
        finally:
            if j is not None:
                j.close(failed)
        print("%s %s in %.1f s (output in %s)" % (name, "FAILED" if failed else "passed",
                                                   time.monotonic() - began, os.path.join(args.output, name)))
        failures += failed
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
