#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""tolvanex-report on a class (300 students x 90 days by default, written by the program's own
record writer through makeclass): its time against reading the same files in one process (a plain
read loop), in the same run, warm cache, best of several runs (goal: within 2x); its peak memory
against its peak memory for the class's largest file alone (goal: within 2x, memory bounded by the
largest file plus the counts); and its pages in headless chromium: the largest page of each kind
(index, assignment, question, student: a page's time grows with its size, so the largest bounds
the rest), each loaded from a copy with a script that reads the navigation's load end (goal: 1 s
at 300 x 90, 2 s at 1000 x 180, given with --page-goal)."""
import argparse
import glob
import re
import os
import shutil
import subprocess
import sys
import tempfile
import time


# GNU time reports the peak resident size of the command alone. A child of this script's own
# would carry the script's peak into its figure: a forked process's peak starts at its parent's
# size and is kept across exec, so every command would seem to take at least Python's 20 MB.
GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None


def measure(args, runs):
    """Best wall time, the largest peak resident size (KB) and the best processor time (user and
    system, of the command and what it waited for) of a command, over runs."""
    best, peak, cpu = None, 0, None
    for _ in range(runs):
        with tempfile.NamedTemporaryFile(mode="r", prefix="bench_report.", suffix=".rss") as rss:
            command = [GNU_TIME, "-f", "%M", "-o", rss.name] + args if GNU_TIME else args
            began = time.monotonic()
            process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(process.pid, 0)
            elapsed = time.monotonic() - began
            if os.waitstatus_to_exitcode(status) not in (0, 1):
                sys.exit("bench_report: %s failed" % " ".join(args))
            best = elapsed if best is None else min(best, elapsed)
            used = usage.ru_utime + usage.ru_stime
            cpu = used if cpu is None else min(cpu, used)
            peak = max(peak, int(rss.read().split()[-1]) if GNU_TIME else usage.ru_maxrss)
    return best, peak, cpu


READ_LOOP = """import os, sys
for name in sorted(os.listdir(sys.argv[1])):
    with open(os.path.join(sys.argv[1], name), "rb") as f:
        while f.read(1 << 20):
            pass
"""

PAGE_TIMER = ("<script>addEventListener('load', function () { setTimeout(function () {"
              " var n = performance.getEntriesByType('navigation')[0];"
              " var p = document.createElement('pre'); p.id = 'ready'; p.textContent = n.loadEventEnd;"
              " document.body.appendChild(p); }, 0); });</script>")


def page_ready(chromium, page, scratch, runs=3):
    """Milliseconds from navigation to the end of the load event of a page, in headless chromium,
    the best of several loads."""
    times = [t for t in (page_ready_once(chromium, page, scratch) for _ in range(runs)) if t is not None]
    return min(times) if times else None


def page_ready_once(chromium, page, scratch):
    copy = os.path.join(os.path.dirname(page), "timed-" + os.path.basename(page))
    with open(page, encoding="utf-8") as f:
        text = f.read()
    with open(copy, "w", encoding="utf-8") as f:
        f.write(text.replace("</body>", PAGE_TIMER + "</body>"))
    profile = tempfile.mkdtemp(prefix="profile.", dir=scratch)
    dom = subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                          "--disable-background-networking", "--disable-component-update", "--disable-sync",
                          "--user-data-dir=" + profile, "--virtual-time-budget=5000", "--dump-dom", "file://" + copy],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=300).stdout.decode()
    os.remove(copy)
    found = re.search(r'<pre id="ready">([0-9.]+)</pre>', dom)
    return float(found.group(1)) if found else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--students", default="300")
    parser.add_argument("--days", default="90")
    parser.add_argument("--page-goal", type=float, default=1.0, help="seconds a page may take to be ready")
    args = parser.parse_args()
    report = os.path.join(args.build, "tolvanex-report")
    makeclass = os.path.join(args.build, "tests", "makeclass")
    scratch = tempfile.mkdtemp(prefix="bench_report.")
    try:
        folder = os.path.join(scratch, "class")
        subprocess.run([makeclass, folder, "--students", args.students, "--days", args.days, "--respond", "0.15"], check=True,
                       stdout=subprocess.DEVNULL)
        files = sorted(os.path.join(folder, name) for name in os.listdir(folder))
        total = sum(os.path.getsize(f) for f in files)
        largest = max(files, key=os.path.getsize)
        html = os.path.join(scratch, "report")
        cat = [sys.executable, "-c", READ_LOOP, folder]
        measure(cat, 1)  # warms the cache
        cat_time, _, cat_cpu = measure(cat, args.runs)
        report_time, class_peak, report_cpu = measure([report, "-o", html, folder], args.runs)
        _, file_peak, _ = measure([report, "-o", html, largest], args.runs)
        time_ratio = report_time / cat_time
        memory_ratio = class_peak / file_peak
        print("bench_report: %d files, %.1f MB, largest %.0f KB" % (len(files), total / 1e6,
                                                                   os.path.getsize(largest) / 1e3))
        print("  load: %.1f (1-minute load average of the machine)" % os.getloadavg()[0])
        print("  time:   tolvanex-report %.2f s, a read loop in one process %.2f s: %.2fx (goal 2x)"
              % (report_time, cat_time, time_ratio))
        print("  processor time: tolvanex-report %.2f s, the read loop %.2f s: %.2fx"
              % (report_cpu, cat_cpu, report_cpu / cat_cpu))
        print("  memory: the class %d KB, its largest file alone %d KB: %.2fx (goal 2x)%s"
              % (class_peak, file_peak, memory_ratio,
                 "" if GNU_TIME else " (no GNU time: both include this script's own size)"))
        pages_ok = True
        chromium = shutil.which("chromium") or shutil.which("chromium-browser")
        measure([report, "-o", html, folder], 1)
        pages = glob.glob(os.path.join(html, "*.html"))
        print("  pages:  %d, %.1f MB" % (len(pages), sum(os.path.getsize(p) for p in pages) / 1e6))
        kinds = {"index": r"index\.html", "assignment": r"a\d+\.html", "question": r"a\d+-.*\.html",
                 "student": r"s\d+\.html"}
        # The floor in the same run: a page of the same style with one line of text.
        if chromium:
            floor_page = os.path.join(html, "floor.html")
            with open(os.path.join(html, "index.html"), encoding="utf-8") as f:
                head = f.read().split("<main>")[0]
            with open(floor_page, "w", encoding="utf-8") as f:
                f.write(head + "<main><h1>Floor</h1></main></body></html>\n")
            floor = page_ready(chromium, floor_page, scratch)
            print("  page:   a one-line page of the same style ready in %s ms (the floor)"
                  % ("?" if floor is None else "%.0f" % floor))
        for kind, pattern in kinds.items() if chromium else []:
            page = max((p for p in pages if re.fullmatch(pattern, os.path.basename(p))), key=os.path.getsize)
            ready = page_ready(chromium, page, scratch)
            pages_ok = pages_ok and ready is not None and ready <= args.page_goal * 1000
            print("  page:   largest %-10s %-18s %6.0f KB ready in %s ms (goal %.0f ms)%s"
                  % (kind, os.path.basename(page), os.path.getsize(page) / 1e3,
                     "?" if ready is None else "%.0f" % ready, args.page_goal * 1000,
                     ", %.1fx the floor" % (ready / floor) if ready and floor else ""))
        return 0 if time_ratio <= 2.0 and memory_ratio <= 2.0 and pages_ok else 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
