#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""tolvanex-report from outside: a small class written by the program's own record writer
(makeclass), read whole (exit status 0), then with damaged and foreign files added (1), usage errors
and nothing readable (2); the CSV read back with Python's csv module against the files' own records;
the HTML report's escaping. With "browser": the report as Debian's chromium builds it (--dump-dom),
its charts and escaped names, and a screenshot for a person to look at (skipped, exit code 77,
without chromium). With --wine: the cli checks on tolvanex-report.exe under Wine, the paths given in
Windows' own form."""
import argparse
import csv
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import START  # noqa: E402  (the limit of a program's start, Wine's included)

NAME = "Zo\u00eb O'Brien & Co"
OPENING = b"......!!!!!!!!..................................."


class Failure(Exception):
    pass


# With --wine: the loader and the environment that run the Windows program.
WINE = {"command": [], "env": None}


def run(args, expect):
    if WINE["command"] and args and args[0].endswith(".exe"):
        args = WINE["command"] + [windows_path(a) if a.startswith("/") else a for a in args]
    done = subprocess.run(args, env=WINE["env"] if WINE["command"] else None, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, timeout=START)
    if done.returncode != expect:
        raise Failure("%s: exit status %d, not %d\n%s%s" % (" ".join(args), done.returncode, expect,
                                                           done.stdout.decode(), done.stderr.decode()))
    # Windows programs end their lines in CR LF on the console.
    return done.stdout.decode().replace("\r\n", "\n") if WINE["command"] else done.stdout.decode()


def windows_path(path):
    """A path of this system as a Windows program under Wine sees it (its drive Z: is /)."""
    return "Z:" + path.replace("/", "\\")


def make_class(makeclass, folder):
    run([makeclass, folder, "--students", "3", "--days", "6", "--respond", "0.4", "--seed", "7", "--name", NAME], 0)
    return sorted(glob.glob(os.path.join(folder, "*")))


def check_cli(report, folder, scratch):
    html = os.path.join(scratch, "report.html")
    table = os.path.join(scratch, "records.csv")
    out = run([report, "-o", html, "--csv", table, folder], 0)
    if "Findings: 0" not in out or "Students: 3" not in out:
        raise Failure("summary of a whole class:\n" + out)

    # Every record of every file is a row, with the file's own fields.
    files = sorted(glob.glob(os.path.join(folder, "*")))
    records = sum(open(f, "rb").read().count(OPENING) // 2 for f in files)
    with open(table, "rb") as f:
        raw = f.read()
    if not raw.startswith(b"\xef\xbb\xbf"):
        raise Failure("the CSV does not begin with a byte order mark")
    with open(table, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f))
    header = ["student", "file", "date", "time", "assignment", "question", "block", "record", "rating", "text"]
    if rows[0] != header:
        raise Failure("CSV header %r" % rows[0])
    rows = rows[1:]
    if len(rows) != records:
        raise Failure("%d CSV rows for %d records" % (len(rows), records))
    if {r[0] for r in rows} != {NAME, "Student 002", "Student 003"}:
        raise Failure("CSV students %r" % {r[0] for r in rows})
    for r in rows:
        if len(r) != 10 or not re.fullmatch(r"2026-\d\d-\d\d", r[2]) or not re.fullmatch(r"\d\d:\d\d:\d\d", r[3]) \
                or r[7] not in ("response", "note") or r[6] not in ("question", "answer", "text", "none"):
            raise Failure("CSV row %r" % r)
    texts = [r[9] for r in rows]
    if not any("\r\n" in t for t in texts) or not any("\u0394v" in t for t in texts) \
            or not any("<b>this</b> & that" in t for t in texts):
        raise Failure("the CSV lost line breaks, escaped characters or markup-like words")

    # Student words and names are text in the page, never markup.
    page = open(html, encoding="utf-8").read()
    if "<b>this</b>" in page or "&lt;b&gt;this&lt;/b&gt; &amp; that" not in page:
        raise Failure("a student's words are not escaped in the report")
    if "Zo\u00eb O&#39;Brien &amp; Co" not in page or "<script" in page or "http://" in page.replace(
            'xmlns="http://www.w3.org/2000/svg"', ""):
        raise Failure("the name is not escaped, or the page has scripts or links out")

    # Damaged and foreign files: findings, the report still written.
    damaged = os.path.join(scratch, "damaged")
    shutil.copytree(folder, damaged)
    send = sorted(glob.glob(os.path.join(damaged, "send_*Student_002.txt")))[0]
    with open(send, "ab") as f:
        f.write(b"stray words\r\n")
    open(os.path.join(damaged, "empty.txt"), "wb").close()
    with open(os.path.join(damaged, "picture.png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n\0\0\0")
    os.remove(html)
    out = run([report, "--output", html, damaged], 1)
    if "Findings: 1 in 1 file(s)" not in out or "skipped: 2" not in out or not os.path.exists(html):
        raise Failure("summary with damaged files:\n" + out)
    page = open(html, encoding="utf-8").read()
    for expected in ("The file goes on after its last whole record", "the file is empty",
                     "the file holds binary data, not text"):
        if expected not in page:
            raise Failure("the report lacks the finding %r" % expected)

    # Usage errors and nothing readable.
    if "Usage: tolvanex-report" not in run([report, "--help"], 0):
        raise Failure("--help")
    if not re.fullmatch(r"tolvanex-report \d+\.\d+\.\d+\n", run([report, "-v"], 0)):
        raise Failure("--version")
    run([report], 2)
    run([report, "--frobnicate", folder], 2)
    run([report, "-o"], 2)
    run([report, "-o", html, os.path.join(scratch, "no such folder")], 2)
    only = os.path.join(scratch, "only")
    os.mkdir(only)
    open(os.path.join(only, "empty.txt"), "wb").close()
    run([report, "-o", html, only], 2)


def check_browser(report, folder, scratch, output):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("report browser SKIPPED: no chromium")
        return 77
    html = os.path.join(scratch, "report.html")
    run([report, "-o", html, folder], 0)
    profile = os.path.join(scratch, "profile")
    common = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + profile,
              "--no-first-run", "--disable-background-networking"]
    dom = run(common + ["--dump-dom", "file://" + html], 0)
    charts = dom.count("<svg")
    if charts < 4 or dom.count("<rect") < 5 * 2:
        raise Failure("the page as built holds %d charts" % charts)
    if "Zo\u00eb O'Brien &amp; Co" not in dom or "&lt;b&gt;this&lt;/b&gt;" not in dom or "<b>this</b>" in dom:
        raise Failure("the page as built lost the escaping of names or words")
    os.makedirs(output, exist_ok=True)
    shot = os.path.join(output, "report.png")
    run(common + ["--screenshot=" + shot, "--window-size=1200,1600", "file://" + html], 0)
    if not os.path.exists(shot) or os.path.getsize(shot) < 1000:
        raise Failure("no screenshot")
    print("report browser: screenshot in %s" % shot)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--report", required=True)
    parser.add_argument("--makeclass", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--wine", help="Wine's loader (wine64), to run tolvanex-report.exe")
    parser.add_argument("--wineprefix", help="with --wine: the Wine prefix")
    parser.add_argument("check", choices=["cli", "browser"])
    args = parser.parse_args()
    if args.wine:
        WINE["command"] = [args.wine]
        WINE["env"] = dict(os.environ, WINEPREFIX=os.path.abspath(args.wineprefix), WINEDEBUG="-all",
                           WINEDLLOVERRIDES="mscoree,mshtml=")
    scratch = tempfile.mkdtemp(prefix="tolvanex_report.")
    try:
        # A folder named in a script no Windows code page holds whole (Greek, Cyrillic): the
        # program takes its arguments as the system has them.
        folder = os.path.join(scratch, "class \u03a9 \u0416")
        make_class(args.makeclass, folder)
        if args.check == "cli":
            check_cli(args.report, folder, scratch)
            status = 0
        else:
            status = check_browser(args.report, folder, scratch, os.path.join(args.output, "report"))
    except Failure as failure:
        print("report %s FAILED: %s" % (args.check, failure))
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if status == 0:
        print("report %s passed" % args.check)
    return status


if __name__ == "__main__":
    sys.exit(main())
