#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Filings that fail for real, on the real program: strace, attached to the running program,
makes one system call on one output file fail (the send file's write with a full disk while a
response is filed, the new notes file's fsync with an I/O error while a note is filed). Each time
the message says nothing was saved and names the file and the reason, every file is byte for
byte as it was, the words stay in the answer box, and filing again puts the record into every
file exactly once.

    durability.py --program build/tolvanex --content src/core/bank/content --output DIR [durability]

Screenshots, strace's logs and the program's output go to DIR/durability.
"""

import os
import select
import signal
import subprocess
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journeys  # noqa: E402
from journeys import CRLF, read_bytes  # noqa: E402
from xsession import STEP, DriveError, wait_until  # noqa: E402


def texts():
    """The program's texts, read by the runner."""
    return journeys.TEXTS


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
        ready, _, _ = select.select([self.proc.stderr], [], [], STEP)
        line = self.proc.stderr.readline().decode(errors="replace") if ready else ""
        if "attached" not in line:
            self.proc.kill()
            if "Operation not permitted" in line:
                raise CannotTrace(line.strip())
            raise DriveError("strace did not attach to the program: %r" % line.strip())

    def stop(self):
        """Detaches; true when the fault was injected."""
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(STEP)
        with open(self.log) as f:
            traced = f.read()
        return "(INJECTED)" in traced or "+++ killed by SIGKILL +++" in traced


def held(j, names):
    """What each of the files holds (None for a file that is not there)."""
    return {name: read_bytes(j.path(name)) for name in names}


def failing_filing(j, names, keys, words, path, call, error, reason, prompt, record, endings):
    """Files with one system call failing and checks what the student sees and that no file
    changed; then files again and checks that each file named in endings got exactly one whole
    record with the words, ending so, and the others nothing."""
    before = held(j, names)
    log = os.path.join(j.out, "strace-%s.log" % call)
    injection = Injection(j.program.proc.pid, path, call, "error=" + error, log)
    try:
        j.keys(keys)
        if prompt:
            j.program.answer_prompt(prompt, "2")
        j.message("not-saved-" + call, texts().fill("notSaved", record=record), path, reason)
    finally:
        injected = injection.stop()
    if not injected:
        raise DriveError("strace injected no %s failure (see %s)" % (call, log))
    if held(j, names) != before:
        raise DriveError("the files changed although the filing failed")
    j.expect_box("txt_answer", words)
    j.keys(keys)
    if prompt:
        j.program.answer_prompt(prompt, "2")

    def filed():
        after = held(j, names)
        return all(after[name] is not None and after[name].endswith(endings[name]) if name in endings
                   else after[name] == before[name] for name in names) and after
    after = wait_until(filed, STEP, "the filing to go through")
    for name in endings:
        added_once(before[name] or b"", after[name], name, words.encode())


def added_once(before, after, name, words):
    """The file holds what it held and then exactly one record with the words."""
    if not after.startswith(before):
        raise DriveError("%s lost what it held" % name)
    record = after[len(before):]
    opening = texts().line("openingSeparator")
    if not (record.startswith(opening + CRLF) and record.count(words) == 1 and record.count(opening) == 2):
        raise DriveError("%s did not get exactly one whole record: %r" % (name, record))


def journey_durability(j):
    j.start()
    j.start_up("Fay Ng", "5")
    j.main_window()
    files = master, send, notes = j.started("Fay Ng")
    j.keys("ctrl+Next")

    words = "v = 21 m / 3 s = 7 m/s"
    j.type_answer(words)
    close = texts().line("closingSeparator")
    rated = texts().line("confidenceLine", reply="2") + CRLF + close + CRLF
    failing_filing(j, files, "ctrl+Return", words, j.path(send), "write", "ENOSPC", "No space left on device",
                   texts()["confidencePrompt"], texts()["responseRecord"], {master: rated, send: rated})

    note = "check the units first"
    j.type_answer(note)
    pad = close + b" " * 7
    failing_filing(j, files, "ctrl+shift+s", note, j.path(notes), "fsync", "EIO", "Input/output error", None,
                   texts()["noteRecord"], {master: close + CRLF, send: pad, notes: pad})
    j.quit()


if __name__ == "__main__":
    sys.exit(journeys.main({"durability": journey_durability}, __doc__, tools=("strace",), skip_on=(CannotTrace,)))
