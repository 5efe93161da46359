#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Filings that fail for real, on the real program: strace, attached to the running program,
makes one system call on one output file fail (the send file's write with a full disk while a
response is filed, the new notes file's fsync with an I/O error while a note is filed). Each time
the message says nothing was saved and names the file and the reason, every file is byte for
byte as it was, the words stay in the answer box, and filing again puts the record into every
file exactly once.

    durability.py --program build/tolvanex --output DIR

Screenshots and the program's output go to DIR/durability.
"""

import argparse
import datetime
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from programtexts import ProgramTexts, default_path  # noqa: E402
from xsession import DriveError, Program, XServer, missing_tools, wait_until  # noqa: E402

SKIPPED = 77  # CTest's SKIP_RETURN_CODE

CRLF = b"\r\n"
TEXTS = None  # the program's texts (generated/texts.json), read by main()
ANSWER_BOX = (376 + 337 // 2, 48 + 217 // 2)
QUIT_BUTTON = (680 + 49 // 2, 16)


class CannotTrace(Exception):
    """The system does not let strace attach to the program (no ptrace permission)."""


class Injection:
    """strace attached to the program: the first `call` on the file at `path` meets the fault
    ("error=ENOSPC": fails so; "signal=KILL": the program is killed as it makes the call)."""

    def __init__(self, pid, path, call, fault, log):
        self.log = log
        self.proc = subprocess.Popen(
            ["strace", "-p", str(pid), "-P", path, "-e", "trace=" + call,
             "-e", "inject=%s:%s:when=1" % (call, fault), "-o", log],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        ready, _, _ = select.select([self.proc.stderr], [], [], 15)
        line = self.proc.stderr.readline().decode(errors="replace") if ready else ""
        if "attached" not in line:
            self.proc.kill()
            if "Operation not permitted" in line:
                raise CannotTrace(line.strip())
            raise DriveError("strace did not attach to the program: %r" % line.strip())

    def stop(self):
        """Detaches; true when the fault was injected."""
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(10)
        with open(self.log) as f:
            traced = f.read()
        return "(INJECTED)" in traced or "+++ killed by SIGKILL +++" in traced


class Journey:
    def __init__(self, args):
        self.out = os.path.join(args.output, "durability")
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.root = tempfile.mkdtemp(prefix="tolvanex-durability-")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.folder = os.path.join(self.home, "tolvanex")
        self.x = XServer(self.out)
        self.program = Program(self.x, args.program, self.home, self.out, self.root, copyable_texts=True)
        self.window = None

    def path(self, name):
        return os.path.join(self.folder, name)

    def files(self):
        held = {}
        for name in self.names:
            try:
                with open(self.path(name), "rb") as f:
                    held[name] = f.read()
            except FileNotFoundError:
                held[name] = None
        return held

    # With no window manager in the X server the keyboard focus is given back to the main window
    # once a dialog has gone, as a window manager would.
    def take_focus(self):
        if self.x.focused() != self.window:
            self.x.focus(self.window)

    def keys(self, *keys):
        self.take_focus()
        self.x.key(*keys)

    def click(self, where):
        self.take_focus()
        self.x.click(self.window, *where)

    def answer_box(self):
        """What the answer box holds, selected and copied."""
        self.click(ANSWER_BOX)
        held = self.x.copy_with("ctrl+a", "ctrl+c")
        self.x.key("ctrl+End")
        return held

    def type_answer(self, text):
        self.click(ANSWER_BOX)
        self.x.key("ctrl+a")
        self.x.type(text)
        held = self.x.copy_with("ctrl+a", "ctrl+c")
        self.x.key("ctrl+End")
        if held != text:
            raise DriveError("the answer box does not hold %r" % text)

    def message(self, *parts):
        window = self.program.next_dialog()
        text = self.program.dialog_text(window)
        for part in parts:
            if part not in text:
                raise DriveError("the message does not mention %r:\n%s" % (part, text))
        self.x.key("Return")

    def failing_filing(self, keys, words, path, call, error, reason, prompt, record, endings):
        """Files with one system call failing and checks what the student sees and that no file
        changed; then files again and checks that each file named in endings got exactly one whole
        record with the words, ending so, and the others nothing."""
        before = self.files()
        log = os.path.join(self.out, "strace-%s.log" % call)
        injection = Injection(self.program.proc.pid, path, call, "error=" + error, log)
        try:
            self.keys(keys)
            if prompt:
                self.program.answer_prompt(prompt, "2")
            self.message(TEXTS.fill("notSaved", record=record), path, reason)
        finally:
            injected = injection.stop()
        if not injected:
            raise DriveError("strace injected no %s failure (see %s)" % (call, log))
        if self.files() != before:
            raise DriveError("the files changed although the filing failed")
        if self.answer_box() != words:
            raise DriveError("the words are not kept in the answer box")
        self.keys(keys)
        if prompt:
            self.program.answer_prompt(prompt, "2")

        def filed():
            after = self.files()
            return all(after[name] is not None and after[name].endswith(endings[name]) if name in endings
                       else after[name] == before[name] for name in self.names) and after
        after = wait_until(filed, 10, "the filing to go through")
        for name in endings:
            added_once(before[name] or b"", after[name], name, words.encode())

    def close(self, failed):
        self.program.kill()
        self.x.stop()
        if failed:
            sys.stderr.write("--- program output ---\n%s\n" % self.program.output())
            shutil.copytree(self.home, os.path.join(self.out, "home"), symlinks=True, dirs_exist_ok=True)
        shutil.rmtree(self.root, ignore_errors=True)


def added_once(before, after, name, words):
    """The file holds what it held and then exactly one record with the words."""
    if not after.startswith(before):
        raise DriveError("%s lost what it held" % name)
    record = after[len(before):]
    opening = TEXTS.line("openingSeparator")
    if not (record.startswith(opening + CRLF) and record.count(words) == 1 and record.count(opening) == 2):
        raise DriveError("%s did not get exactly one whole record: %r" % (name, record))


def journey(j):
    p = j.program
    for prompt, reply in (("namePrompt", "Fay Ng"), ("folderQuestion", ""), ("assignmentPrompt", "5")):
        p.answer_prompt(TEXTS[prompt], reply)
    j.window = p.main_window()
    master, notes = "masterFile_Fay_Ng.txt", "notes_Fay_Ng.txt"
    send = "send_%sFay_Ng.txt" % datetime.datetime.now().strftime("%m%d")
    j.names = (master, send, notes)
    wait_until(lambda: (j.files()[send] or b"").endswith(CRLF), 10, "the heading block")
    j.keys("ctrl+Next")

    words = "v = 21 m / 3 s = 7 m/s"
    j.type_answer(words)
    close = TEXTS.line("closingSeparator")
    rated = TEXTS.line("confidenceLine", reply="2") + CRLF + close + CRLF
    j.failing_filing("ctrl+Return", words, j.path(send), "write", "ENOSPC", "No space left on device",
                     TEXTS["confidencePrompt"], TEXTS["responseRecord"], {master: rated, send: rated})

    note = "check the units first"
    j.type_answer(note)
    pad = close + b" " * 7
    j.failing_filing("ctrl+shift+s", note, j.path(notes), "fsync", "EIO", "Input/output error", None,
                     TEXTS["noteRecord"], {master: close + CRLF, send: pad, notes: pad})

    j.click(QUIT_BUTTON)
    if p.wait_exit() != 0:
        raise DriveError("the program did not end cleanly")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built tolvanex executable")
    parser.add_argument("--output", required=True, help="where the program's output and strace logs go")
    parser.add_argument("--texts", help="the program's texts (default: generated/texts.json beside the program)")
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    global TEXTS
    TEXTS = ProgramTexts(args.texts or default_path(args.program))
    missing = missing_tools() + [tool for tool in ("strace",) if shutil.which(tool) is None]
    if missing:
        print("skipped: missing tools: %s (tools/common.sh installs them)" % ", ".join(missing), file=sys.stderr)
        return SKIPPED
    began = time.monotonic()
    failed = True
    j = None
    try:
        j = Journey(args)
        journey(j)
        failed = False
    except CannotTrace as reason:
        failed = False
        print("skipped: strace may not attach to the program here: %s" % reason, file=sys.stderr)
        return SKIPPED
    except Exception:
        traceback.print_exc()
    finally:
        if j is not None:
            j.close(failed)
    print("durability %s in %.1f s (output in %s)" % ("FAILED" if failed else "passed", time.monotonic() - began,
                                                     os.path.join(args.output, "durability")))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
