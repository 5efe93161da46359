#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A blind student's journeys through assignment 5, in a D-Bus session of their own
(dbus-run-session) where the AT-SPI bus is started on demand, with the program's accessibility
switched on:

- screenreader: driven through the accessibility bus (AT-SPI) alone, the way a screen reader sees
  the program: every prompt found by its label and answered through the EditableText interface,
  every button pressed through the Action interface, texts read through the Text interface, F6
  pressed through AT-SPI's own key synthesis.
- orca: driven from the keyboard (xdotool) with the Orca screen reader running, whose debug log
  says what it spoke: every prompt, the newest block after F6, a response and a note heard as
  filed, the text a viewer added.

Both check the files byte for byte.

    screenreader.py --program build/tolvanex --content src/core/bank/content --output DIR [JOURNEY...]

Skipped (77) where the bus, or Orca for its journey, cannot start.
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journeys  # noqa: E402
from journeys import PROMPTS, SKIPPED, assignment_five, expect_files, rated  # noqa: E402
from xsession import START, STEP, DriveError, end_process, wait_until  # noqa: E402

INSIDE = "TOLVANEX_SCREENREADER_BUS"  # set inside the D-Bus session this script starts
ACCESSIBLE = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1"}
TAB, F6 = 0xFF09, 0xFFC3  # key symbols
ORCA = "/usr/bin/orca"

# The buttons with a shortcut, which describe themselves with their tooltips: the caption and the
# keys.
SHORTCUTS = {"cmdNextQuestion": "Ctrl+PgDown", "cmd_enter_response": "Ctrl+Enter", "cmd_save_as_notes": "Ctrl+Shift+S"}


def tab_stops():
    """Each Tab stop of the main window in its order: the name and the description a screen reader
    speaks with it."""
    return [(c["accessibleName"], "%s (%s)" % (c["caption"], SHORTCUTS[c["name"]]) if c["name"] in SHORTCUTS
             else c["description"]) for c in journeys.TEXTS.tab_stops()]


NOTE = "units check: caf\u00e9 \u0394v"


def python_with_atspi():
    """This interpreter, or Debian's own, whichever can import pyatspi (python3-pyatspi)."""
    for python in (sys.executable, "/usr/bin/python3"):
        if os.path.exists(python) and subprocess.run([python, "-c", "import pyatspi"], capture_output=True).returncode == 0:
            return python
    return None


class Bus:
    """The program as AT-SPI shows it."""

    def __init__(self, timeout=STEP):
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
        wait_until(lambda: self.text(field) == reply, STEP, "the field to hold %r" % reply)
        self.press("OK", field.parent)


def journey_screenreader(j, bus):
    """The start-up prompts, every Tab stop, a response with its rating and a note, each new block
    reached with F6, "quit program"."""
    _, question, answer = assignment_five(j.args)
    j.start(copyable_texts=False, extra_env=ACCESSIBLE)
    for prompt, reply in START_UP:
        bus.answer_prompt(PROMPTS[prompt], reply)
    files = j.started("Ida Moss")
    window = bus.named("Form1", "filler")

    # Tab by Tab, each control says what it is; the inert ones say they are not used.
    question_box = bus.focused("question box")
    for name, description in tab_stops():
        control = bus.focused(name)
        print("%-22s | %-11s | %s" % (name, control.getRoleName(), control.description))
        if control.description != description:
            raise DriveError("%s is described %r, not %r" % (name, control.description, description))
        bus.key(TAB)

    # Paging puts the focus in the answer box; F6 reaches the new block, at its start, and back.
    bus.press("Next Question / Answer", window)
    answer_box = bus.focused("answer box")
    reach_newest_block(bus, question_box, question)

    answer_box.queryEditableText().setTextContents(RESPONSE)
    bus.press("Enter Response", window)
    bus.answer_prompt(PROMPTS["confidence"], RATING)
    j.wait_rated(files, rated(RATING))
    # The focus is on "Next Question / Answer", which says the response was filed.
    told = bus.focused("Next Question / Answer")
    if told.description != journeys.TEXTS["responseFiledNews"]:
        raise DriveError("after filing, Next Question / Answer is described %r" % told.description)

    bus.press("Next Question / Answer", window)
    bus.focused("answer box")
    reach_newest_block(bus, question_box, answer.replace("\r\n", "\n"))
    answer_box.queryEditableText().setTextContents(NOTE)
    bus.press("Save as Notes", window)
    j.wait_file(files.notes, lambda d: d.endswith(journeys.PAD), "the note")
    # The focus stays in the answer box, which says the note was filed until the focus leaves it;
    # as no focus event tells a screen reader so, a notification announces it.
    answer_help = journeys.TEXTS["answerBoxHelp"]
    wait_until(lambda: answer_box.description == journeys.TEXTS["noteFiledNews"] + " " + answer_help, STEP,
               "the answer box to say the note was filed")
    bus.find("a notification that the note was filed",
             lambda o: o.getRoleName() == "notification" and o.name == journeys.TEXTS["noteFiledNews"]
             and bus.has(o, "SHOWING"))
    bus.key(TAB)
    bus.focused("Next Question / Answer")
    if answer_box.description != answer_help:
        raise DriveError("the answer box still says %r once the focus has left it" % answer_box.description)
    if bus.find("the notification", lambda o: o.getRoleName() == "notification").name:
        raise DriveError("the notification still holds news once the focus has left the answer box")
    bus.press("quit program", window)
    expect_records(j, files, NOTE)


# The start-up replies, the response and its rating of both journeys.
START_UP = [("name", "Ida Moss"), ("folder", "1"), ("path", ""), ("assignment", "5")]
RESPONSE, RATING = "About 7 m/s", "2"


def expect_records(j, files, note):
    """Once the program has quit: the heading, the response to the first question and the note on
    its answer, in each of the three files, byte for byte."""
    status = j.program.wait_exit()
    if status != 0:
        raise DriveError("the program ended with status %d" % status)
    header, question, answer = assignment_five(j.args)
    expect_files(j, files, j.heading("005", header), j.responded(question, RESPONSE, rated(RATING)),
                 j.noted(answer, note))


def reach_newest_block(bus, question_box, block):
    """F6 from the answer box: the focus in the question box, the caret at the start of the block,
    whose first line a screen reader speaks; F6 again: back in the answer box."""
    wait_until(lambda: bus.text(question_box) == block, STEP, "the question box to show %r" % block[:40])
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



# --- Orca -----------------------------------------------------------------------------------

# Orca's own launcher (/usr/bin/orca), run without its check for other copies of Orca: that check
# takes in every Orca of the same user, also those of other sessions (with --replace it would kill
# them), while this one has a D-Bus session and an X server of its own. Its debug log is written a
# line at a time, so that what it spoke can be read while it runs.
ORCA_LAUNCHER = """
import sys
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv.pop(1), 'w', buffering=1)
path = sys.argv[0] = %r
scope = {'__name__': 'orca_in_a_session_of_its_own', '__file__': path}
exec(compile(open(path).read(), path, 'exec'), scope)
scope['otherOrcas'] = lambda: []
sys.exit(scope['main']())
""" % ORCA


class OrcaDidNotStart(Exception):
    pass


# How long Orca may take to speak after the step that makes it speak. Orca works through every
# event the program sends, in Python, and asks the program back for more: on a loaded machine it
# falls far behind (the first prompt spoken 30 s after it opened, beside other tests).
HEARD = 2 * STEP

# The last line of Orca's debug log before it enters its main loop, where it takes events.
ORCA_STARTING = "ORCA: Starting registry"


class Orca:
    """The Orca screen reader in the journey's X server and D-Bus session, with a home, settings and
    preferences folder of its own in the journey's output folder, and no speech server (it logs
    what it would say all the same). heard() waits for words it speaks after what was heard before.
    Made once Orca is ready: its main loop running, which answers for Orca on the accessibility
    bus, so that the program started next has Orca's full attention from its first window."""

    def __init__(self, j, bus):
        base = os.path.join(j.out, "orca")
        folders = {name: os.path.join(base, name) for name in ("home", "config", "data", "cache", "prefs")}
        for folder in folders.values():
            os.makedirs(folder)
        # Orca's own file of customizations: no echo of typed keys. Echoing a key it comes to late,
        # with a dialog just opened, Orca would take that dialog's field for its focus in silence
        # and not read its prompt (its own way, whatever the program does).
        with open(os.path.join(folders["prefs"], "orca-customizations.py"), "w") as out:
            out.write("import orca.settings\norca.settings.enableKeyEcho = False\n")
        runtime = os.path.join(j.root, "orca-runtime")  # short: sockets go there
        os.makedirs(runtime, mode=0o700)
        env = dict(j.x.env, HOME=folders["home"], XDG_CONFIG_HOME=folders["config"], XDG_DATA_HOME=folders["data"],
                   XDG_CACHE_HOME=folders["cache"], XDG_RUNTIME_DIR=runtime, GSETTINGS_BACKEND="memory",
                   # Speech Dispatcher is neither started nor found.
                   SPEECHD_CMD="/bin/false", SPEECHD_ADDRESS="unix_socket:" + os.path.join(runtime, "no-speech"))
        self.log_path = os.path.join(j.out, "orca-debug.log")
        self.output = open(os.path.join(j.out, "orca.log"), "wb")
        with open(ORCA) as launcher:
            python = launcher.readline()[2:].strip() or "/usr/bin/python3"
        self.proc = subprocess.Popen([python, "-c", ORCA_LAUNCHER, self.log_path, "-u", folders["prefs"]],
                                     env=env, stdin=subprocess.DEVNULL, stdout=self.output, stderr=self.output)
        self.at, self.read_to, self.said = 0, 0, []
        try:
            wait_until(lambda: ORCA_STARTING in self.log(), START, "Orca's start", 0.1, gone=self.ended)
            wait_until(lambda: orca_answers(bus), STEP, "Orca to answer on the accessibility bus", gone=self.ended)
        except DriveError as error:
            # An Orca that ends at its start cannot run here (the journey is skipped); one that does
            # not get ready hangs (the journey fails).
            ended = self.ended()
            self.stop()
            with open(os.path.join(j.out, "orca.log"), errors="replace") as f:
                told = "Orca did not start (%s): %s" % (error, f.read()[-500:].strip())
            raise OrcaDidNotStart(told) if ended else DriveError(told)

    def ended(self):
        status = self.proc.poll()
        return None if status is None else "Orca ended with status %d" % status

    def log(self):
        """What the debug log holds so far, read from where the last call stopped (it grows by
        a megabyte in a journey), up to its last whole line."""
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self.read_to)
                new = f.read()
        except FileNotFoundError:
            return ""
        new = new[:new.rfind(b"\n") + 1]
        self.read_to += len(new)
        self.said += re.findall(r"^\S+ - SPEECH OUTPUT: '(.*)'(?: voice=\w+)? ?\{[^{}]*\}$",
                                new.decode("utf-8", errors="replace"), re.MULTILINE)
        return new.decode("utf-8", errors="replace")

    def spoken(self):
        """Everything Orca spoke, one utterance after another."""
        self.log()
        return self.said

    def heard(self, what, test, timeout=HEARD):
        """Waits until Orca speaks an utterance for which test(utterance) is true, after those heard
        so far; returns it. What it spoke meanwhile is passed over."""
        def find():
            said = self.spoken()
            return next((i for i in range(self.at, len(said)) if test(said[i])), None)
        try:
            found = wait_until(lambda: (lambda i: i + 1 if i is not None else None)(find()), timeout,
                               "Orca to speak %s" % what)
        except DriveError:
            raise DriveError("Orca did not speak %s; it spoke: %r" % (what, self.spoken()[self.at:]))
        self.at = found
        return self.spoken()[found - 1]

    def heard_words(self, what, words, timeout=HEARD):
        return self.heard("%s (%r)" % (what, words), lambda said: words in said, timeout)

    def skip(self):
        """From now on only what Orca speaks after this moment counts."""
        self.at = len(self.spoken())

    def stop(self):
        end_process(self.proc)
        self.output.close()


def orca_answers(bus):
    """Whether Orca is on the accessibility bus and answers there (from its main loop)."""
    try:
        return any(app is not None and app.name == "orca" and app.childCount >= 0
                   for app in bus.atspi.Registry.getDesktop(0))
    except bus.errors:
        return False


def words_of(text):
    return re.findall(r"\w+", text)


def speaks_line(line):
    """Whether an utterance is the line: its words in their order (Orca says a run of one
    character as a count, "7 dash characters", and adds stops), and at least two of them."""
    wanted = words_of(line)

    def test(said):
        spoken = iter(words_of(said))
        return len(wanted) >= 2 and all(word in spoken for word in wanted)
    return test


def journey_orca(j, bus):
    """The start-up prompts, a response with its rating, a note filed with Ctrl+Shift+S, each new
    block reached with F6, "display notes" and "quit program", from the keyboard alone, as heard
    through Orca."""
    _, question, answer = assignment_five(j.args)
    orca = Orca(j, bus)
    try:
        hear_journey(j, bus, orca, question, answer)
    finally:
        orca.stop()


def hear_journey(j, bus, orca, question, answer):
    j.start(copyable_texts=False, extra_env=ACCESSIBLE)
    for prompt, reply in START_UP:
        # Each prompt is spoken with its words when its field takes the focus; the reply is typed.
        window = j.program.next_dialog()
        orca.heard_words("the prompt", PROMPTS[prompt].strip())
        type_into(j, bus, prompt_field(bus, PROMPTS[prompt]), reply)
        j.x.key("Return")
        wait_until(lambda: window not in j.x.visible_windows("tolvanex"), STEP, "the prompt to close")
    j.window = j.x.wait_window("Form1")
    files = j.started("Ida Moss")
    question_box, answer_box = bus.named("question box", "text"), bus.named("answer box", "text")
    orca.heard_words("the question box taking the focus", "question box text")

    # Paging: the answer box; F6: the newest block's first line; F6 again: the answer box.
    j.keys("ctrl+Next")
    orca.heard_words("the answer box after paging", "answer box text")
    hear_newest_block(j, bus, orca, question_box, question)
    type_into(j, bus, answer_box, RESPONSE)
    j.keys("ctrl+Return")
    orca.heard_words("the confidence prompt", PROMPTS["confidence"].strip())
    type_into(j, bus, prompt_field(bus, PROMPTS["confidence"]), RATING)
    j.x.key("Return")
    j.wait_rated(files, rated(RATING))
    orca.heard_words("the focus on Next Question / Answer", "Next Question / Answer push button")
    orca.heard_words("that the response was filed", journeys.TEXTS["responseFiledNews"])

    # Enter pages on to the given answer; a note on it, filed from the answer box with its shortcut.
    j.keys("Return")
    orca.heard_words("the answer box after paging", "answer box text")
    hear_newest_block(j, bus, orca, question_box, answer.replace("\r\n", "\n"))
    type_into(j, bus, answer_box, ORCA_NOTE)
    j.keys("ctrl+shift+s")
    j.wait_file(files.notes, lambda d: d.endswith(journeys.PAD), "the note")
    orca.heard_words("that the note was filed", journeys.TEXTS["noteFiledNews"])

    # "display notes", seven Shift+Tabs back from the answer box: the caret at the start of what it
    # added to the question box, whose line Orca speaks.
    shown = len(bus.text(question_box))
    j.keys(*["shift+Tab"] * 7)
    orca.heard_words("the focus on display notes", "display notes push button")
    j.keys("Return")
    orca.heard_words("the question box taking the focus", "question box text")
    wait_until(lambda: question_box.queryText().caretOffset == shown, STEP, "the caret at the start of the notes")
    text = question_box.queryText()
    line = text.getTextAtOffset(shown, bus.atspi.TEXT_BOUNDARY_LINE_START)[0]
    if not bus.text(question_box)[shown:].startswith(line.rstrip("\n")) or ORCA_NOTE.split()[0] not in line:
        raise DriveError("the line at the caret is %r" % line)
    orca.heard("the first line of the notes (%r)" % line, speaks_line(line))

    j.keys(*["shift+Tab"] * 5)  # "quit program"
    orca.heard_words("the focus on quit program", "quit program push button")
    j.keys("space")
    expect_records(j, files, ORCA_NOTE)


ORCA_NOTE = "units first"


def prompt_field(bus, prompt):
    return bus.find("the field of the prompt %r" % prompt[:40],
                    lambda o: bus.has(o, "FOCUSED") and bus.has(o, "EDITABLE") and prompt in bus.labels(o))


def type_into(j, bus, field, text):
    """Types the text into the field that has the focus and waits until the field holds it: the
    shortcut pressed next would otherwise overtake keys still on their way through the screen
    reader."""
    j.x.type(text)
    wait_until(lambda: bus.text(field) == text, STEP, "the field to hold %r" % text)


def hear_newest_block(j, bus, orca, question_box, block):
    """F6 from the answer box: the caret at the start of the newest block and its first line
    spoken; F6 again: the answer box spoken."""
    wait_until(lambda: bus.text(question_box) == block, STEP, "the question box to show %r" % block[:40])
    orca.skip()
    j.keys("F6")
    bus.focused("question box")
    text = question_box.queryText()
    line = text.getTextAtOffset(text.caretOffset, bus.atspi.TEXT_BOUNDARY_LINE_START)[0]
    if text.caretOffset != 0 or not block.startswith(line.rstrip("\n")):
        raise DriveError("F6 put the caret at %d, on the line %r" % (text.caretOffset, line))
    orca.heard("the block's first line (%r) after F6" % line, speaks_line(line))
    j.keys("F6")
    orca.heard_words("the answer box after F6", "answer box text")


JOURNEYS = {"screenreader": journey_screenreader, "orca": journey_orca}


class BusDidNotStart(Exception):
    pass


def in_session(journey):
    """The journey with the accessibility bus of this D-Bus session, which starts the AT-SPI bus and
    its registry on demand, in the journey's X server (where the registry synthesises keys) and with
    a home folder of its own."""
    def run(j):
        home = os.path.join(j.out, "session-home")
        os.makedirs(home)
        subprocess.run(["dbus-update-activation-environment", "DISPLAY=" + j.x.display, "HOME=" + home,
                        "XDG_CONFIG_HOME=" + os.path.join(home, ".config"),
                        "XDG_CACHE_HOME=" + os.path.join(home, ".cache"),
                        "XDG_DATA_HOME=" + os.path.join(home, ".local", "share")], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP)
        bus = Bus()
        # The bus and its registry start on the first call, slowly on a busy machine: asked again
        # until the registry answers.
        failures = []

        def registry_answers():
            try:
                return bus.atspi.Registry.getDesktop(0).childCount >= 0
            except bus.errors as error:
                failures.append(error)
                return False
        try:
            wait_until(registry_answers, START, "the accessibility bus", 0.2)
        except DriveError:
            raise BusDidNotStart("the accessibility bus did not start: %s" % failures[-1])
        journey(j, bus)
    return run


def each_in_a_session(args):
    """Outside a D-Bus session of this script's own: runs each journey in one of its own, whose
    AT-SPI bus knows its X server alone; inside, nothing (the journeys run here)."""
    if os.environ.get(INSIDE) == "1":
        return None
    missing = [] if "orca" not in args.journeys or os.path.exists(ORCA) else ["orca"]
    python = python_with_atspi()
    if missing or python is None:
        print("skipped: missing %s (tools/common.sh installs them)"
              % ", ".join(missing + ([] if python else ["python3-pyatspi"])), file=sys.stderr)
        return SKIPPED
    codes = []
    for name in args.journeys:
        command = [python, os.path.abspath(__file__), "--program", args.program, "--content", args.content,
                   "--output", args.output] + (["--texts", args.texts] if args.texts else []) + [name]
        codes.append(subprocess.run(["dbus-run-session", "--"] + command, env=dict(os.environ, **{INSIDE: "1"}),
                                    stdin=subprocess.DEVNULL).returncode)
    failed = [code for code in codes if code != SKIPPED]
    return max(failed) if failed else SKIPPED


if __name__ == "__main__":
    sys.exit(journeys.main({name: in_session(journey) for name, journey in JOURNEYS.items()}, __doc__,
                           tools=("dbus-run-session", "dbus-update-activation-environment",
                                  "/usr/libexec/at-spi-bus-launcher", "/usr/libexec/at-spi2-registryd"),
                           skip_on=(BusDidNotStart, OrcaDidNotStart), before=each_in_a_session))
