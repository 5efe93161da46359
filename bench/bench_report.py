#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""tolvanex-report on a class (300 students x 90 days, written by the program's own record writer
through makeclass, about 100 MB): its time against reading the same bytes with cat > /dev/null in
the same run, warm cache, best of several runs (goal: within 2x); and its peak memory against its
peak memory for the class's largest file alone (goal: within 2x, memory bounded by the largest file,
not by the class)."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def measure(args, runs):
    """Best wall time and the largest peak resident size (KB) of a command, over runs."""
    best, peak = None, 0
    for _ in range(runs):
        began = time.monotonic()
        process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.monotonic() - began
        if os.waitstatus_to_exitcode(status) not in (0, 1):
            sys.exit("bench_report: %s failed" % " ".join(args))
        best = elapsed if best is None else min(best, elapsed)
        peak = max(peak, usage.ru_maxrss)
    return best, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--students", default="300")
    args = parser.parse_args()
    report = os.path.join(args.build, "tolvanex-report")
    makeclass = os.path.join(args.build, "tests", "makeclass")
    scratch = tempfile.mkdtemp(prefix="bench_report.")
    try:
        folder = os.path.join(scratch, "class")
        subprocess.run([makeclass, folder, "--students", args.students, "--respond", "0.15"], check=True,
                       stdout=subprocess.DEVNULL)
        files = sorted(os.path.join(folder, name) for name in os.listdir(folder))
        total = sum(os.path.getsize(f) for f in files)
        largest = max(files, key=os.path.getsize)
        html = os.path.join(scratch, "report.html")
        cat = ["sh", "-c", 'cat "$@" > /dev/null', "cat"] + files
        measure(cat, 1)  # warms the cache
        cat_time, _ = measure(cat, args.runs)
        report_time, class_peak = measure([report, "-o", html, folder], args.runs)
        _, file_peak = measure([report, "-o", html, largest], args.runs)
        time_ratio = report_time / cat_time
        memory_ratio = class_peak / file_peak
        print("bench_report: %d files, %.1f MB, largest %.0f KB" % (len(files), total / 1e6,
                                                                   os.path.getsize(largest) / 1e3))
        print("  time:   tolvanex-report %.2f s, cat > /dev/null %.2f s: %.2fx (goal 2x)"
              % (report_time, cat_time, time_ratio))
        print("  memory: the class %d KB, its largest file alone %d KB: %.2fx (goal 2x)"
              % (class_peak, file_peak, memory_ratio))
        return 0 if time_ratio <= 2.0 and memory_ratio <= 2.0 else 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
