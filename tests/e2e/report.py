#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""tolvanex-report from outside: a small class written by the program's own record writer
(makeclass), read whole (exit status 0), then with damaged and foreign files added (1), usage errors
and nothing readable (2); the CSV read back with Python's csv module against the files' own records;
the HTML report's escaping. With "browser": the report as Debian's chromium builds it (--dump-dom),
its charts and escaped names, and a screenshot of each kind of page for a person to look at
(skipped, exit code 77, without chromium). With "axe": axe-core, at a pinned version installed with
npm outside the checkout, on each kind of page in headless chromium: no violation (skipped without
chromium, or without node and npm). With --wine: the cli checks on tolvanex-report.exe under Wine, the paths given in
Windows' own form."""
import argparse
import csv
import glob
import html as markup
import json
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
    # 40 days: some 110 files and 1.1 MB, more than the report reads ahead of its counting (1 MB)
    # and hands over at a time (32 files), so that every record is checked across those hand-overs.
    run([makeclass, folder, "--students", "3", "--days", "40", "--respond", "0.4", "--seed", "7", "--name", NAME], 0)
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
    header = ["student", "file", "date", "time", "assignment", "question", "block", "record", "rating", "text",
              "question_words"]
    if rows[0] != header:
        raise Failure("CSV header %r" % rows[0])
    rows = rows[1:]
    if len(rows) != records:
        raise Failure("%d CSV rows for %d records" % (len(rows), records))
    if {r[0] for r in rows} != {NAME, "Student 002", "Student 003"}:
        raise Failure("CSV students %r" % {r[0] for r in rows})
    for r in rows:
        if len(r) != 11 or not re.fullmatch(r"2026-\d\d-\d\d", r[2]) or not re.fullmatch(r"\d\d:\d\d:\d\d", r[3]) \
                or r[7] not in ("response", "note") or r[6] not in ("question", "answer", "text", "none"):
            raise Failure("CSV row %r" % r)
    texts = [r[9] for r in rows]
    if not any("\r\n" in t for t in texts) or not any("\u0394v" in t for t in texts) \
            or not any("<b>this</b> & that" in t for t in texts):
        raise Failure("the CSV lost line breaks, escaped characters or markup-like words")

    # Every record on its question's page and its student's page, words and names as text.
    counted = int(re.search(r"records: (\d+) \(each counted once\)", out).group(1))
    check_pages(html, counted)

    # The roster and the gradebook's summary: a name nobody sent, one not on the roster.
    roster = os.path.join(scratch, "roster.txt")
    with open(roster, "w", encoding="utf-8") as f:
        f.write("\ufeff%s\r\nstudent 002\r\nNobody Here\r\n" % NAME)
    summary = os.path.join(scratch, "summary.csv")
    run([report, "-o", html, "--roster", roster, "--summary-csv", summary, folder], 0)
    index = open(os.path.join(html, "index.html"), encoding="utf-8").read()
    sent_nothing = index[index.index("<h3>Sent nothing</h3>"):index.index("<h3>Sent nothing for")]
    not_listed = index[index.index("<h3>In the files, not on the roster</h3>"):index.index('<h2 id="findings">')]
    if "Nobody Here" not in sent_nothing or "Student 002" in sent_nothing or ">Student 003</a>" not in not_listed \
            or "Student 002" in not_listed:
        raise Failure("the roster's checks:\n" + index[index.index('<h2 id="roster">'):])
    with open(summary, newline="", encoding="utf-8-sig") as f:
        summary_rows = list(csv.reader(f))
    if [r[0] for r in summary_rows] != ["student", "Student 002", "Student 003", NAME] or summary_rows[0][1:3] != [
            summary_rows[0][1][:3] + " questions responded to", summary_rows[0][1][:3] + " mean confidence"] \
            or any(len(r) != len(summary_rows[0]) for r in summary_rows):
        raise Failure("the summary CSV: %r" % summary_rows[:4])
    student = sorted(glob.glob(os.path.join(folder, "masterFile_*")))[0]
    run([report, "-o", html, "--summary-csv", student, folder], 2)
    before = page_bytes(html)
    # Damaged and foreign files: findings, the report still written.
    damaged = os.path.join(scratch, "damaged")
    shutil.copytree(folder, damaged)
    send = sorted(glob.glob(os.path.join(damaged, "send_*Student_002.txt")))[0]
    with open(send, "ab") as f:
        f.write(b"stray words\r\n")
    open(send[:-4] + " (2).txt", "wb").close()
    with open(send[:-4] + " (3).txt", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n\0\0\0")
    out = run([report, "--output", html, damaged], 1)
    if "Findings: 1 in 1 file(s)" not in out or "skipped: 2" not in out:
        raise Failure("summary with damaged files:\n" + out)
    # The earlier report replaced whole: no page of it left, nothing of the work beside it.
    page = open(os.path.join(html, "index.html"), encoding="utf-8").read()
    if page_bytes(html) == before or leftovers(scratch):
        raise Failure("the report was not replaced whole: %r" % leftovers(scratch))
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
    # Refused, and an earlier report left as it was: nothing readable; the class's own folder, a
    # folder of other files or a file as the report's folder.
    before = page_bytes(html)
    run([report, "-o", html, os.path.join(scratch, "no such folder")], 2)
    only = os.path.join(scratch, "only")
    os.mkdir(only)
    open(os.path.join(only, "empty.txt"), "wb").close()
    run([report, "-o", html, only], 2)
    # A report inside the class's folder is left out when the class is read again.
    inner = os.path.join(folder, "inner")
    if counts(run([report, "-o", inner, folder], 0)) != counts(run([report, "-o", inner, folder], 0)):
        raise Failure("a report in the class's folder was read as the class's")
    shutil.rmtree(inner)
    for target in (folder, only, table):
        kept = page_bytes(folder)
        run([report, "-o", target, folder], 2)
        if page_bytes(folder) != kept:
            raise Failure("the class's folder changed when the report was refused %s" % target)
    if page_bytes(html) != before or leftovers(scratch):
        raise Failure("a refused run changed the earlier report or left %r" % leftovers(scratch))

    check_outputs(report, folder, scratch)
    check_class_folders(report, folder, scratch, counts(out))

def page_bytes(folder):
    """Every file of a folder and its bytes."""
    found = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                found[name] = f.read()
    return found


def leftovers(folder):
    """What a report's run may leave only while it runs: its new, old and spool files."""
    return [p for p in glob.glob(os.path.join(folder, "**", "*"), recursive=True)
            if re.search(r"\.(new|old)-[0-9a-f]{6}$|\.spool-", p)]


def check_pages(folder, records):
    """The report's folder: every link leads to a page and a place on it; every record is once on
    its question's page and once on its student's page; words and names are text, never markup; no
    script, nothing from the network."""
    pages = {name: data.decode("utf-8") for name, data in page_bytes(folder).items()}
    if "index.html" not in pages or any(not n.endswith(".html") for n in pages):
        raise Failure("the report's folder holds %r" % sorted(pages))
    ids = {name: set(re.findall(r' id="([^"]+)"', text)) for name, text in pages.items()}
    for name, text in pages.items():
        if "<script" in text or re.search(r"https?://", text.replace('xmlns="http://www.w3.org/2000/svg"', "")):
            raise Failure("%s has a script or a link out" % name)
        if "<b>this</b>" in text:
            raise Failure("%s shows a student's words as markup" % name)
        for target in re.findall(r'href="([^"]*)"', text):
            page, _, anchor = target.partition("#")
            page = page or name
            if page not in pages or (anchor and anchor not in ids[page]):
                raise Failure("%s links to %s, which is not there" % (name, target))
    on_questions = [i for n, text in pages.items() if re.fullmatch(r"a\d+-(q[\w-]+|intro)\.html", n)
                    for i in re.findall(r'<li id="(r\d+)"', text)]
    on_students = [row for n, text in pages.items() if re.fullmatch(r"s\d{4}\.html", n)
                   for row in re.findall(r"<tr><td>\d{4}-\d\d-\d\d</td><td>\d\d:\d\d:\d\d</td>", text)]
    if len(on_questions) != len(set(on_questions)) or len(on_students) != records or len(on_questions) != records:
        raise Failure("%d records on the question pages (%d different), %d on the students' pages, for %d"
                      % (len(on_questions), len(set(on_questions)), len(on_students), records))
    index = pages["index.html"]
    if "Zo\u00eb O&#39;Brien &amp; Co" not in index or "&lt;b&gt;this&lt;/b&gt; &amp; that" not in "".join(pages.values()):
        raise Failure("a name or a student's words are not escaped in the report")
    # Each student's first note poses a question: it is listed on its assignment's page.
    asked = "".join(t for n, t in pages.items() if re.fullmatch(r"a\d+\.html", n))
    if asked.count("<q>Is &lt;b&gt;this&lt;/b&gt; &amp; that right?</q>") < 3:
        raise Failure("the questions posed are not all listed")


AXE_VERSION = "4.10.2"
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync"]


def chromium_command(scratch):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        return None
    return [chromium] + CHROMIUM_FLAGS + ["--user-data-dir=" + tempfile.mkdtemp(prefix="profile.", dir=scratch)]


def one_of_each(folder):
    """A page of each kind: the index, an assignment, a question, a student."""
    names = sorted(os.listdir(folder))
    kinds = [r"index\.html", r"a\d+\.html", r"a\d+-q\w+\.html", r"s\d{4}\.html"]
    return [next(n for n in names if re.fullmatch(k, n)) for k in kinds]


def counts(out):
    """What the summary says: files read and skipped, students, records, findings."""
    found = re.search(r"Files read: (\d+), skipped: (\d+)\nStudents: (\d+), records: (\d+) .*\nFindings: (\d+)", out)
    if not found:
        raise Failure("no summary:\n" + out)
    return tuple(int(n) for n in found.groups())


def check_outputs(report, folder, scratch):
    """Nothing read leaves a report as it was; an output naming a file to read is refused; a
    report is written whole beside the old one, then renamed over it."""
    html = os.path.join(scratch, "kept")
    table = os.path.join(scratch, "kept.csv")
    os.mkdir(html)
    last_week = b'<meta name="generator" content="tolvanex-report">the report of last week'
    with open(os.path.join(html, "index.html"), "wb") as f:
        f.write(last_week)
    with open(table, "wb") as f:
        f.write(last_week)
    run([report, "-o", html, "--csv", table, os.path.join(scratch, "no such folder")], 2)
    only = os.path.join(scratch, "only empty")
    os.mkdir(only)
    open(os.path.join(only, "masterFile_Ann.txt"), "wb").close()
    run([report, "-o", html, "--csv", table, only], 2)
    for path in (os.path.join(html, "index.html"), table):
        if open(path, "rb").read() != last_week:
            raise Failure("nothing was read, and %s was written over" % path)

    student = sorted(glob.glob(os.path.join(folder, "masterFile_*")))[0]
    before = open(student, "rb").read()
    for args in (["-o", student, folder], ["-o", html, "--csv", student, folder], ["-o", student, student],
                 ["--csv", os.path.join(folder, ".", os.path.basename(student)), "-o", html, folder]):
        run([report] + args, 2)
        if open(student, "rb").read() != before:
            raise Failure("%s was written over by %s" % (student, " ".join(args)))

    inode = os.stat(html).st_ino
    run([report, "-o", html, "--csv", table, folder], 0)
    if os.stat(html).st_ino == inode or glob.glob(os.path.join(scratch, "*.new")):
        raise Failure("the report was not written beside the old one and renamed over it")


def check_class_folders(report, folder, scratch, whole):
    """A class as an instructor's mail and folders hold it, each case against the class as
    written: copies of a student's files, names in another case, files not ours by their name,
    the same files reached twice. Counts of (files read, skipped, students, records, findings)."""
    files, _, students, records, _ = whole
    send = os.path.basename(sorted(glob.glob(os.path.join(folder, "send_*Student_002.txt")))[0])
    master = "masterFile_Student_002.txt"

    def linked(here):
        """A link elsewhere to a file of the class (none under Wine)."""
        if WINE["command"]:
            return []
        link = os.path.join(scratch, "elsewhere", master)
        os.makedirs(os.path.dirname(link), exist_ok=True)
        os.symlink(os.path.join(here, master), link)
        return [link]

    cases = [
        ("a mail program's second copy", {send: send[:-4] + " (1).txt"}, None, (files + 1, 0, students, records, 0), 0),
        ("Windows' copy, a name in other case", {master: "MASTERFILE_student_002 - Copy.TXT"}, None,
         (files + 1, 0, students, records, 0), 0),
        ("files not ours by their name", {send: "readme.txt", master: master + ".bak"}, None,
         (files, 2, students, records, 0), 1),
        ("the same folder twice", {}, lambda f: [f, f + "/./"], (files, 0, students, records, 0), 0),
        ("a folder, a file in it and a link to that file", {},
         lambda f: [f, os.path.join(f, master)] + linked(f),
         (files, 0, students, records, 0), 0),
    ]
    for number, (name, copies, args, expected, status) in enumerate(cases):
        here = os.path.join(scratch, "case%d" % number)
        shutil.copytree(folder, here)
        for source, copy in copies.items():
            shutil.copyfile(os.path.join(folder, source), os.path.join(here, copy))
        table = os.path.join(scratch, "case%d.csv" % number)
        out = run([report, "-o", os.path.join(scratch, "case%d.html" % number), "--csv", table]
                  + (args(here) if args else [here]), status)
        if counts(out) != expected:
            raise Failure("%s: %r, not %r\n%s" % (name, counts(out), expected, out))
        # The CSV: every file read, once, under its own name, and none of the files not read.
        with open(table, newline="", encoding="utf-8-sig") as f:
            table_rows = list(csv.DictReader(f))
        read = glob.glob(os.path.join(folder, "*")) + [os.path.join(here, c) for c in copies.values() if status == 0]
        if len(table_rows) != sum(open(f, "rb").read().count(OPENING) // 2 for f in read):
            raise Failure("%s: %d CSV rows, not each record of each file read once" % (name, len(table_rows)))
        named = {re.split(r"[\\/]", row["file"])[-1] for row in table_rows}
        if named != {os.path.basename(f) for f in read if OPENING in open(f, "rb").read()}:
            raise Failure("%s: the CSV names files %s" % (name, sorted(named)))


def check_makeclass(makeclass, scratch):
    """The class generator's own command line: --help prints its usage and writes nothing; an
    unknown option is refused."""
    here = os.path.join(scratch, "makeclass")
    os.mkdir(here)
    for args, status, stream in ((["--help"], 0, "stdout"), (["-h"], 0, "stdout"),
                                 (["class", "--frobnicate", "1"], 2, "stderr"), ([], 2, "stderr")):
        done = subprocess.run([makeclass] + args, cwd=here, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60)
        if done.returncode != status or "usage: makeclass" not in getattr(done, stream).decode():
            raise Failure("makeclass %s: exit status %d\n%s" % (" ".join(args), done.returncode, done.stderr.decode()))
        if os.listdir(here):
            raise Failure("makeclass %s wrote %r" % (" ".join(args), os.listdir(here)))


def check_browser(report, folder, scratch, output):
    chromium = chromium_command(scratch)
    if not chromium:
        print("report browser SKIPPED: no chromium")
        return 77
    pages = os.path.join(scratch, "report")
    run([report, "-o", pages, folder], 0)
    index, assignment, question, student = one_of_each(pages)
    dom = {name: run(chromium + ["--dump-dom", "file://" + os.path.join(pages, name)], 0)
           for name in (index, assignment, question, student)}
    # Charts as built, each with its numbers as text beside it.
    charts = dom[assignment].count("<svg")
    if charts < 4 or dom[assignment].count("<rect") < 5 * 2 or dom[assignment].count('class="nums"') != charts:
        raise Failure("the assignment's page as built holds %d charts" % charts)
    if "<svg" not in dom[student] or not re.search(r">2026-\d\d-\d\d</text>", dom[student]):
        raise Failure("the student's page has no chart with dates on its axis")
    if "Zo\u00eb O'Brien &amp; Co" not in dom[index] or "<b>this</b>" in "".join(dom.values()) \
            or "&lt;b&gt;this&lt;/b&gt;" not in dom[student]:
        raise Failure("the pages as built lost the escaping of names or words")
    os.makedirs(output, exist_ok=True)
    for name in (index, assignment, question, student):
        shot = os.path.join(output, name.replace(".html", ".png"))
        run(chromium + ["--screenshot=" + shot, "--window-size=1200,1600", "file://" + os.path.join(pages, name)], 0)
        if not os.path.exists(shot) or os.path.getsize(shot) < 1000:
            raise Failure("no screenshot of %s" % name)
    print("report browser: screenshots in %s" % output)
    return 0


def axe_script(folder):
    """axe-core's script at the pinned version, installed with npm into folder (outside the
    checkout and the build) when it is not there yet; None without node and npm."""
    script = os.path.join(folder, "node_modules", "axe-core", "axe.min.js")
    manifest = os.path.join(folder, "node_modules", "axe-core", "package.json")
    if not (os.path.exists(manifest) and json.load(open(manifest)).get("version") == AXE_VERSION):
        if not shutil.which("node") or not shutil.which("npm"):
            return None
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["npm", "install", "--prefix", folder, "--no-save", "--no-audit", "--no-fund",
                        "axe-core@" + AXE_VERSION], check=True, stdout=subprocess.DEVNULL, timeout=300)
    return script


def axe_violations(chromium, page, script, scratch):
    """axe-core's violations on a page: the script injected into a copy of it beside it, which
    writes what it found into the page for --dump-dom."""
    runner = ("<script>%s</script><script>axe.run(document, {resultTypes: ['violations']}).then("
              "function (r) { var pre = document.createElement('pre'); pre.id = 'axe-result';"
              " pre.textContent = JSON.stringify(r.violations.map(function (v) { return {id: v.id, impact: v.impact,"
              " nodes: v.nodes.slice(0, 3).map(function (n) { return n.html; })}; }));"
              " document.body.appendChild(pre); });</script>") % open(script).read().replace("</script", "<\\/script")
    copy = os.path.join(os.path.dirname(page), "axe-" + os.path.basename(page))
    with open(page, encoding="utf-8") as f:
        text = f.read()
    with open(copy, "w", encoding="utf-8") as f:
        f.write(text.replace("</body>", runner + "</body>"))
    dom = run(chromium + ["--virtual-time-budget=60000", "--dump-dom", "file://" + copy], 0)
    os.remove(copy)
    found = re.search(r'<pre id="axe-result">(.*?)</pre>', dom, re.S)
    if not found:
        raise Failure("axe-core did not finish on %s" % page)
    return json.loads(markup.unescape(found.group(1)))


def check_axe(report, folder, scratch, axe_folder):
    chromium = chromium_command(scratch)
    script = axe_script(axe_folder) if chromium else None
    if not chromium or not script:
        print("report axe SKIPPED: no chromium, or no node and npm for axe-core")
        return 77
    pages = os.path.join(scratch, "report")
    # The index with a roster's lists too: a name nobody sent, names not on it.
    roster = os.path.join(scratch, "roster.txt")
    with open(roster, "w", encoding="utf-8") as f:
        f.write("Student 002\nNobody Here\n")
    run([report, "-o", pages, "--roster", roster, folder], 0)
    # The check itself first: a page with an image without words and an empty link fails it.
    control = os.path.join(pages, "control.html")
    with open(control, "w", encoding="utf-8") as f:
        f.write(open(os.path.join(pages, "index.html"), encoding="utf-8").read().replace(
            "<main>", '<main><img src="x.png"><a href="index.html"></a>', 1))
    if {v["id"] for v in axe_violations(chromium, control, script, scratch)} < {"image-alt", "link-name"}:
        raise Failure("axe-core missed the control page's violations")
    for name in one_of_each(pages):
        violations = axe_violations(chromium, os.path.join(pages, name), script, scratch)
        if violations:
            raise Failure("axe-core %s on %s: %r" % (AXE_VERSION, name, violations))
        print("report axe: %s, 0 violations" % name)
    return 0


# Texts a spreadsheet takes for a formula or a link when written as typed, and texts that only
# look so: each a response of a student named like a formula.
FORMULAS = ['=HYPERLINK("http://x.example/","click")', "=1+1", "@SUM(1,2)", "+HYPERLINK(\"http://x.example/\")",
            "-2+3+cmd|' /C calc'!A0"]
AS_TYPED = ["-3 m/s", "+2 N", "-3 m/s, about"]


def spreadsheet_cells(ods):
    """The cells of the first sheet of an OpenDocument spreadsheet: (formula or None, text, links)."""
    import zipfile
    import xml.etree.ElementTree as ET
    ns = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
          "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
    root = ET.fromstring(zipfile.ZipFile(ods).read("content.xml"))
    cells = []
    for cell in root.iter("{%s}table-cell" % ns["table"]):
        text = "\n".join("".join(p.itertext()) for p in cell.findall("text:p", ns))
        links = cell.findall(".//text:a", ns)
        cells.append((cell.get("{%s}formula" % ns["table"]), text, len(links)))
    return cells


def check_spreadsheets(report, makeclass, scratch):
    """The CSV opened in Gnumeric (ssconvert) and LibreOffice Calc (headless): no cell is a
    formula or a link, and a response such as -3 m/s reads as typed."""
    ssconvert, soffice = shutil.which("ssconvert"), shutil.which("soffice") or shutil.which("libreoffice")
    if not ssconvert and not soffice:
        print("report spreadsheets SKIPPED: neither ssconvert (gnumeric) nor soffice (libreoffice-calc-nogui)")
        return 77
    folder = os.path.join(scratch, "formulas")
    args = [makeclass, folder, "--students", "1", "--days", "3", "--respond", "0.5", "--name", "=1+2"]
    for text in FORMULAS + AS_TYPED:
        args += ["--say", text]
    run(args, 0)
    table = os.path.join(scratch, "records.csv")
    run([report, "-o", os.path.join(scratch, "report.html"), "--csv", table, folder], 0)
    # Neither program writes into the real home folder.
    env = dict(os.environ, HOME=os.path.join(scratch, "home"))
    os.makedirs(env["HOME"], exist_ok=True)
    opened = {}
    if ssconvert:
        ods = os.path.join(scratch, "gnumeric.ods")
        subprocess.run([ssconvert, table, ods], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        opened["Gnumeric"] = ods
    if soffice:
        out = os.path.join(scratch, "libreoffice")
        # UTF-8 (76), comma separated, quoted with ", as the program writes it.
        subprocess.run([soffice, "-env:UserInstallation=file://" + os.path.join(scratch, "lo-profile"),
                        "--headless", "--infilter=CSV:44,34,76,1", "--convert-to", "ods", "--outdir", out, table],
                       env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        opened["LibreOffice"] = os.path.join(out, "records.ods")
    for program, ods in opened.items():
        cells = spreadsheet_cells(ods)
        texts = [text for _, text, _ in cells]
        for formula, text, links in cells:
            if formula or links:
                raise Failure("%s opened the cell %r as a formula or a link (%s)" % (program, text, formula))
        for typed in AS_TYPED:
            if typed not in texts:
                raise Failure("%s does not show %r as typed" % (program, typed))
        for typed in FORMULAS + ["=1+2"]:
            if not any(text.endswith(typed) and len(text) <= len(typed) + 1 for text in texts):
                raise Failure("%s lost the text %r" % (program, typed))
    print("report spreadsheets: opened in %s" % ", ".join(opened))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--report", required=True)
    parser.add_argument("--makeclass", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--wine", help="Wine's loader (wine64), to run tolvanex-report.exe")
    parser.add_argument("--wineprefix", help="with --wine: the Wine prefix")
    parser.add_argument("--axe-folder", default="/var/tmp/tolvanex-axe-core",
                        help="where axe-core is installed with npm (outside the checkout and the build)")
    parser.add_argument("check", choices=["cli", "browser", "axe", "spreadsheets"])
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
            check_makeclass(args.makeclass, scratch)
            check_cli(args.report, folder, scratch)
            status = 0
        elif args.check == "spreadsheets":
            status = check_spreadsheets(args.report, args.makeclass, scratch)
        elif args.check == "browser":
            status = check_browser(args.report, folder, scratch, os.path.join(args.output, "report"))
        else:
            status = check_axe(args.report, folder, scratch, args.axe_folder)
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
