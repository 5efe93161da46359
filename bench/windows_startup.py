#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""B1 and B2 for the Windows program, under Wine: start-up to the first paint and its peak memory,
for the program's window (bench_startup_program.exe: prompts answered by script, bank loaded,
heading block written in c:\\tolvanex, window shown and painted once) against a minimal window
cross-built the same way (bench_startup_minimal.exe), and against that window after the two
appends and syncs the heading block needs at the least (bench_startup_minimal.exe heading),
alternating, in one Wine prefix whose server
is kept running so that both pay the same for Wine, both drawn on Windows' own platform in an X
server of their own (Xvfb), with Wine's Tahoma in the prefix as the journeys have it. Peak memory
is the Wine process's own (the Windows program runs in it). Both programs are stripped first, as the
installer ships tolvanex.exe (Wine reads the debugging information in with the program). Goals as on
Linux.

    windows_startup.py --wine /usr/lib/wine/wine64 --build build/windows [--runs 11]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run(wine, program, env, *arguments):
    start = time.monotonic()
    proc = subprocess.Popen([wine, program, *arguments], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit("bench: %s failed (status %d)" % (program, proc.returncode))
    return (time.monotonic() - start) * 1000, usage.ru_maxrss / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--build", required=True, help="the Windows build folder")
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args()
    prefix = os.path.abspath(os.path.join(args.build, "wineprefix-bench"))
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY="")
    server = os.path.join(os.path.dirname(args.wine), "wineserver")
    subprocess.run([args.wine, "wineboot", "--init"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([server, "-w"], env=env)
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for font in ("tahoma.ttf", "tahomabd.ttf"):
        shutil.copy(os.path.join("/usr/share/wine/fonts", font), fonts)
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    env["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    persistent = subprocess.Popen([server, "-f", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stripped = tempfile.mkdtemp(prefix="tolvanex_bench.")
    try:
        program, minimal = (os.path.join(stripped, "bench_startup_%s.exe" % name) for name in ("program", "minimal"))
        for path in (program, minimal):
            subprocess.run(["x86_64-w64-mingw32-strip", "-o", path, os.path.join(args.build, os.path.basename(path))],
                           check=True)
        run(args.wine, minimal, env)  # untimed: the caches hold the files afterwards
        run(args.wine, program, env)
        ours, base, headed = [], [], []
        for _ in range(args.runs):
            base.append(run(args.wine, minimal, env))
            headed.append(run(args.wine, minimal, env, "heading"))
            ours.append(run(args.wine, program, env))
    finally:
        subprocess.run([server, "-k"], env=env)
        persistent.wait()
        xvfb.terminate()
        xvfb.wait()
        os.close(read)
        shutil.rmtree(stripped, ignore_errors=True)
    ms_ours, ms_base = statistics.median(t for t, _ in ours), statistics.median(t for t, _ in base)
    ms_headed = statistics.median(t for t, _ in headed)
    mb_ours, mb_base = statistics.median(m for _, m in ours), statistics.median(m for _, m in base)
    met_time = True
    for name, what, baseline, goal in (("B1w", "start-up to the first paint, Windows (Wine)", ms_base, 1.15),
                                       ("B1hw", "  against the window after the heading's syncs", ms_headed, 1.10)):
        ratio = ms_ours / baseline
        met_time = met_time and ratio <= goal
        print("%-4s %-44s %6.2f x   (ours %9.3f ms, baseline %9.3f ms, median of %d)   goal <= %.2f x   %s"
              % (name, what, ratio, ms_ours, baseline, args.runs, goal, "met" if ratio <= goal else "MISSED"))
    met_memory = mb_ours <= mb_base + 8
    print("%-4s %-44s %+6.2f MB (ours %9.3f MB, baseline %9.3f MB, median of %d)   goal <= +8 MB   %s"
          % ("B2w", "peak memory of the start-up, Windows (Wine)", mb_ours - mb_base, mb_ours, mb_base, args.runs,
             "met" if met_memory else "MISSED"))
    return 0 if met_time and met_memory else 1


if __name__ == "__main__":
    sys.exit(main())
