#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's command line, run with no display at all: --help and --version answer on
standard output and end with status 0, anything else the program does not know prints the usage
on standard error and ends with status 2; none of them writes a file.

    commandline.py --program build/tolvanex --version 1.0.0
    commandline.py --program build/windows/tolvanex.exe --wine /usr/lib/wine/wine64 --wineprefix DIR --version 1.0.0

Under Wine the Windows program's lines end in CR LF, as on a Windows console; they are compared
with those ends taken off.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import START  # noqa: E402  (the limit of a program's start, Wine's included)

# In the usage: the options, the three files and where they go, the environment.
IN_USAGE = ["-h, --help", "-v, --version", "masterFile_<name>.txt", "send_<MMDD><name>.txt", "notes_<name>.txt",
            "c:\\tolvanex", "~/tolvanex", "HOME", "DISPLAY", "QT_QPA_PLATFORM"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True, help="the project's version")
    parser.add_argument("--wine", help="Wine's loader (wine64), to run a Windows program")
    parser.add_argument("--wineprefix", help="with --wine: the Wine prefix")
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    scratch = tempfile.mkdtemp(prefix="tolvanex-commandline-")
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": scratch, "LC_ALL": "C.UTF-8"}
    command = [program]
    if args.wine:
        command = [args.wine, program]
        env.update(WINEPREFIX=os.path.abspath(args.wineprefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")

    def run(*arguments):
        done = subprocess.run(command + list(arguments), env=env, cwd=scratch, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=START)
        out, err = done.stdout.decode(), done.stderr.decode()
        if args.wine:
            out, err = out.replace("\r\n", "\n"), err.replace("\r\n", "\n")
        return done.returncode, out, err

    usage = run("--help")[1]
    version = "tolvanex %s\n" % args.version
    # (arguments, exit status, standard output, standard error)
    cases = [
        (["--help"], 0, usage, ""),
        (["-h"], 0, usage, ""),
        (["--version"], 0, version, ""),
        (["-v"], 0, version, ""),
        (["-stylesheet", "copyable.qss", "-platform", "xcb", "--version"], 0, version, ""),
        (["--bogus"], 2, "", "tolvanex: Unknown option 'bogus'.\n\n" + usage),
        (["-hv"], 2, "", "tolvanex: Unknown option 'hv'.\n\n" + usage),
        (["assignment5"], 2, "", "tolvanex: Unexpected argument 'assignment5'.\n\n" + usage),
        (["--version", "-stylesheet"], 2, "", "tolvanex: Missing value after '-stylesheet'.\n\n" + usage),
    ]
    faults = ["--help: %s missing from the usage" % text for text in IN_USAGE if text not in usage]
    # Windows names the program as it was started (its path as Wine hands it over).
    first = "Usage: %s [options]" % program
    if not (usage.startswith(first + "\n") if not args.wine else usage.startswith("Usage: ") and "tolvanex.exe [options]\n" in usage):
        faults.append("--help: the usage begins %r" % usage[:60])
    for arguments, expected_status, expected_out, expected_err in cases:
        got = run(*arguments)
        if got != (expected_status, expected_out, expected_err):
            faults.append("%s: status %d, output %r, errors %r" % (" ".join(arguments), got[0], got[1][:80], got[2][:200]))
    # Wine itself may make its desktop folders in the home folder; the program must add nothing.
    left = sorted(n for n in os.listdir(scratch) if not (args.wine and n in (".config", ".local", ".cache")))
    if left:
        faults.append("files appeared in the home folder: %s" % left)
    else:
        shutil.rmtree(scratch, ignore_errors=True)
    for fault in faults:
        print(fault)
    print("command line %s: %d cases" % ("FAILED" if faults else "passed", len(cases)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
