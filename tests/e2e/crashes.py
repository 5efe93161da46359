#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program killed, and a second copy of it, on the real program: strace, attached to the
running program, kills it as it writes a response into one of the files, or makes that write fail
with a full disk while a second window files a note; the program is killed while the student
types. Started again with the same name and folder, it completes the record in every file, exactly
once, and says so, or puts the typed words back into the answer box.

    crashes.py --program build/tolvanex --content src/core/bank/content --output DIR JOURNEY

Each journey leaves its screenshots, strace's log and the program's output in DIR/JOURNEY.
"""

import fcntl
import os
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journeys  # noqa: E402
from durability import CannotTrace, Injection  # noqa: E402
from journeys import (PROMPTS, Journey, assignment_five, content, critiqued, expect_files, expect_folder,  # noqa: E402
                      match_file, non_empty, rated, read_bytes, work_file)
from xsession import STEP, DriveError, wait_until  # noqa: E402


def texts():
    return journeys.TEXTS


def injected(j, path, fault, step):
    """Runs step with strace attached to the program, faulting the first write to the file at path;
    fails unless the fault was injected."""
    log = os.path.join(j.out, "strace-%s.log" % os.path.basename(path))
    injection = Injection(j.program.proc.pid, path, "write", fault, log)
    try:
        step()
    finally:
        done = injection.stop()
    if not done:
        raise DriveError("strace injected no %s at the write to %s (see %s)" % (fault, path, log))


def start(j, student, told=None, assignment="5"):
    """Starts the program (again: with the same name and folder); one message says exactly told
    (none when told is None), and no other dialog follows it."""
    if j.program is not None:
        j.program.kill()
    j.start()
    j.start_up(student, assignment)
    if told is not None:
        shown = j.message("told", told)
        if shown != told:
            raise DriveError("the message says %r, not %r" % (shown, told))
    j.main_window()
    j.no_dialog_open()


def journey_killed_filing(j):
    """A response, killed as it writes the master file (the journal on disk, no record file written
    yet), started again; another, killed as it writes the send file (the master file written);
    started again. Each time the record is completed in the files that lacked it, and the student
    is told so; both files hold both responses once, byte for byte, and agree."""
    header, question, _ = assignment_five(j.args)
    student = "Kim_Roe"
    names = expected = told = None
    for k in range(3):
        start(j, "Kim Roe", told)
        if names is None:
            names = list(j.started("Kim Roe")[:2])
            expected = {name: [] for name in names}
        for name in names:
            expected[name] += j.heading("005", header)
        if k == len(names):
            break
        killed_at = names[k]
        words = "try %d: v = 21 m / 3 s" % (k + 1)
        j.click("cmdNextQuestion")
        j.type_answer(words)
        before = {name: read_bytes(j.path(name)) for name in names}

        def file_response():
            j.click("cmd_enter_response")
            j.program.answer_prompt(PROMPTS["confidence"], "2")
            j.program.wait_exit()
        injected(j, j.path(killed_at), "signal=KILL", file_response)
        # Killed at the write to names[k]: the files before it hold the record, the others not yet.
        for i, name in enumerate(names):
            if (read_bytes(j.path(name)) != before[name]) != (i < k):
                raise DriveError("killed at the write to %s, %s is %s" % (killed_at, name,
                                                                          "changed" if i >= k else "unchanged"))
        if not read_bytes(j.path(work_file("journalFile", student))):
            raise DriveError("no journal was left by the filing that was killed")
        for i, name in enumerate(names):
            expected[name] += j.response("50001", question, words, rated("2"), i == 0)
        # The files are named to the student as the system names them.
        told = texts().fill("recoveredCompleted", files=", ".join(j.path(n) for n in names[k:]))
    j.quit()
    found = [match_file(read_bytes(j.path(name)), expected[name], name) for name in names]
    if found[0] != found[1]:
        raise DriveError("the master and send files differ in filler, date or time: %s" % found)
    expect_folder(j, set(names))


def wait_draft(j, student, words):
    """Until the program's draft (saved within half a second of the typing) holds the words; its
    bytes."""
    return wait_until(lambda: (lambda d: d if d and d.endswith(words.encode()) else None)(
        read_bytes(j.path(work_file("draftFile", student)))), STEP, "the draft to hold %r" % words)


def draft_place(j, student, kind=b"answer"):
    """What the first window's draft says of the words it holds: their assignment, block and time
    as the student is told them; and the words."""
    held = read_bytes(j.path(work_file("draftFile", student)))
    magic, assignment, number, kind_held, typed, words = held.split(b"\n", 5)
    if magic != b"tolvanex draft 1" or kind_held != kind or not number:
        raise DriveError("the draft begins %r" % held[:80])
    date, clock = typed.decode().split(" ")
    year, month, day = date.split("-")
    j.clock.check_time(clock.encode())
    block = "blockAnswer" if kind == b"answer" else "blockQuestion"
    return {"date": "%s-%s-%s" % (month, day, year), "time": clock, "assignment": assignment.decode(),
            "block": texts().fill(block, number=number.decode())}, words.decode()


def journey_killed_typing(j):
    """Words typed at the worked answer to the first question (one beyond Windows-1252), a pause,
    the program killed. Started again with another assignment, the words stay kept for theirs, and
    the student is told for which block and when they were typed; started with their assignment,
    they are kept for their block, told likewise: the question before it is shown with the answer
    box as it was, and the words come back when the worked answer does, said in the window. Filing
    them writes one record, of the worked answer, with its self-critique."""
    header, question, answer = assignment_five(j.args)
    header_four = non_empty(content(j.args, 4))[0]
    words = "\u0394v = 21 m/s - 0 m/s, over 3 s"
    start(j, "Uma Sato")
    files = j.started("Uma Sato")
    j.click("cmdNextQuestion")
    j.click("cmdNextQuestion")
    # The worked answer is shown before the words are pasted: a program still busy showing it
    # under load would take the paste only after the clipboard holds the next marker.
    j.expect_box("txt_question", question + answer.replace("\r\n", "\n"))
    j.type_answer(words, paste=True)
    wait_draft(j, "Uma_Sato", words)
    place, kept = draft_place(j, "Uma_Sato")
    if kept != words or place["assignment"] != "005":
        raise DriveError("the draft holds %r for assignment %s" % (kept, place["assignment"]))
    start(j, "Uma Sato", texts().fill("draftKeptForAssignment", **place), assignment="4")
    j.expect_box("txt_answer", " ")
    start(j, "Uma Sato", texts().fill("draftRestoredFrom", **place))
    j.expect_box("txt_answer", " ")
    j.click("cmdNextQuestion")
    j.expect_box("txt_question", question)
    j.expect_box("txt_answer", " ")
    j.click("cmdNextQuestion")
    j.expect_box("txt_answer", words)
    j.no_dialog_open()
    j.click("cmd_enter_response")
    j.program.answer_prompt(PROMPTS["critique"], "3")
    j.expect_empty_boxes()
    j.quit()
    expect_files(j, files, j.heading("005", header), j.heading("004", header_four), j.heading("005", header),
                 j.responded(answer, words, critiqued("3")))


def journey_two_windows(j):
    """Two copies of the program on the same files: A has typed words (its draft saved) when B
    starts, and B says nothing of them and leaves them to A; A's rating prompt is open while B files
    a note and then a critique, showing each time (after the critique's rating prompt too) that it
    waits while another filing holds the files; A's response then fails at the send file (full
    disk). A is told nothing was saved, B's records are whole in all three files, A's retry files
    the response once, and nothing interleaves."""
    header, question, answer = assignment_five(j.args)
    b = Journey(j.args, j.name + "_b")  # a second X server, the same home
    b.home, b.folder = j.home, j.folder
    failed = True
    try:
        words, note, critique = "7 m/s, both ways", "units first", "forgot the units"
        j.start()
        j.start_up("Lu Park", "5")
        j.main_window()
        files = _, send, _ = j.started("Lu Park")
        j.click("cmdNextQuestion")
        j.type_answer(words)
        draft = wait_draft(j, "Lu_Park", words)
        b.start()
        b.start_up("Lu Park", "5")
        b.main_window()
        b.no_dialog_open()
        b.expect_box("txt_answer", " ")
        if read_bytes(j.path(work_file("draftFile", "Lu_Park"))) != draft:
            raise DriveError("B's start changed A's draft")
        j.click("cmd_enter_response")
        j.program.wait_window("tolvanex")  # A's rating prompt is open
        b.click("cmdNextQuestion")
        b.type_answer(note)
        # A third copy's filing holds the files' lock: B shows that it waits, then files.
        held = os.open(j.path(work_file("lockFile", "Lu_Park")), os.O_RDWR)
        try:
            fcntl.flock(held, fcntl.LOCK_EX)
            b.click("cmd_save_as_notes")
            # The title stays while the lock is held: waited for as long as B runs.
            b.program.wait_window("Form1 - " + texts()["waitingForOtherCopy"])
        finally:
            os.close(held)
        b.program.wait_window("Form1")
        b.expect_empty_boxes()
        # The same after "Enter Response", whose rating prompt has just closed as the wait begins.
        b.click("cmdNextQuestion")
        b.type_answer(critique)
        held = os.open(j.path(work_file("lockFile", "Lu_Park")), os.O_RDWR)
        try:
            fcntl.flock(held, fcntl.LOCK_EX)
            b.click("cmd_enter_response")
            b.program.answer_prompt(PROMPTS["critique"], "1")
            b.x.wait_window("Form1 - " + texts()["waitingForOtherCopy"], timeout=4)
        finally:
            os.close(held)
        b.x.wait_window("Form1")
        b.expect_empty_boxes()

        def rate_failing():
            j.program.answer_prompt(PROMPTS["confidence"], "2")
            j.message("not-saved", texts().fill("notSaved", record=texts()["responseRecord"]), j.path(send))
        injected(j, j.path(send), "error=ENOSPC", rate_failing)
        j.expect_box("txt_answer", words)
        j.click("cmd_enter_response")
        j.program.answer_prompt(PROMPTS["confidence"], "2")
        j.expect_empty_boxes()
        b.no_dialog_open()
        j.quit()
        b.quit()
        expect_files(j, files, j.heading("005", header) * 2, j.noted(question, note),
                     j.responded(answer, critique, critiqued("1")), j.responded(question, words, rated("2")))
        failed = False
    finally:
        b.close(failed)


CRASHES = {
    "killed_filing": journey_killed_filing,
    "killed_typing": journey_killed_typing,
    "two_windows": journey_two_windows,
}


if __name__ == "__main__":
    sys.exit(journeys.main(CRASHES, __doc__, tools=("strace",), skip_on=(CannotTrace,)))
