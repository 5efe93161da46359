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

NAME = "Zo\u00eb O'Brien & Co"
OPENING = b"......!!!!!!!!..................................."


class Failure(Exception):
    pass


# With --wine: the loader and the environment that run the Windows program.
WINE = {"command": [], "env": None}


def run(args, expect):
    if WINE["command"] and args and args[0].endswith(".exe"):
        args = WINE["command"] + [windows_path(a) if a.startswith("/") else a for a in args]
    done = subprocess.run(args, env=WINE["env"] if WINE["command"] else None, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, timeout=120)
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

    # Every record on its question's page and its student's page, words and names as text.
    counted = int(re.search(r"records: (\d+) \(each counted once\)", out).group(1))
    check_pages(html, counted)
    before = page_bytes(html)
    # Damaged and foreign files: findings, the report still written.
    damaged = os.path.join(scratch, "damaged")
    shutil.copytree(folder, damaged)
    send = sorted(glob.glob(os.path.join(damaged, "send_*Student_002.txt")))[0]
    with open(send, "ab") as f:
        f.write(b"stray words\r\n")
    open(os.path.join(damaged, "empty.txt"), "wb").close()
    with open(os.path.join(damaged, "picture.png"), "wb") as f:
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
    for target in (folder, only, table, os.path.join(folder, "inner")):
        kept = page_bytes(folder)
        run([report, "-o", target, folder], 2)
        if page_bytes(folder) != kept:
            raise Failure("the class's folder changed when the report was refused %s" % target)
    if page_bytes(html) != before or leftovers(scratch):
        raise Failure("a refused run changed the earlier report or left %r" % leftovers(scratch))


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
    run([report, "-o", pages, folder], 0)
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--report", required=True)
    parser.add_argument("--makeclass", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--wine", help="Wine's loader (wine64), to run tolvanex-report.exe")
    parser.add_argument("--wineprefix", help="with --wine: the Wine prefix")
    parser.add_argument("--axe-folder", default="/var/tmp/tolvanex-axe-core",
                        help="where axe-core is installed with npm (outside the checkout and the build)")
    parser.add_argument("check", choices=["cli", "browser", "axe"])
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
