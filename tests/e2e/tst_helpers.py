#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The journeys' own waiting, and the tiers of tools/test, with no display: a wait ends with what it
waited for, at its limit, or at once when the program it waits for has ended; Orca counts as ready
only once it answers on the bus; each tier runs its stages in order, the whole suite last.

    tst_helpers.py [unittest arguments]
"""

import os
import stat
import subprocess
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True  # no cache folder in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import screenreader  # noqa: E402
from xsession import START, DriveError, Program, XServer, wait_until  # noqa: E402

SOURCE = os.path.dirname(os.path.dirname(HERE))


class Waiting(unittest.TestCase):
    def test_a_wait_returns_what_it_waited_for_or_ends_at_its_limit(self):
        values = iter([None, 0, "", "there"])
        self.assertEqual(wait_until(lambda: next(values), 5, "a value"), "there")

        polls = []
        began = time.monotonic()
        with self.assertRaisesRegex(DriveError, r"timed out after 1 s waiting for nothing"):
            wait_until(lambda: polls.append(time.monotonic()), 1.2, "nothing")
        self.assertGreaterEqual(time.monotonic() - began, 1.2)
        # The polls come further apart as the wait goes on: fifty milliseconds at first, half a
        # second at most, not twenty-four polls at fifty milliseconds each.
        self.assertLess(len(polls), 12)
        gaps = [b - a for a, b in zip(polls, polls[1:])]
        self.assertLess(gaps[0], 0.2)
        self.assertGreater(gaps[-1], 0.3)

    def test_a_wait_for_a_program_that_has_ended_ends_at_once(self):
        with tempfile.TemporaryDirectory() as scratch:
            program = os.path.join(scratch, "ends")
            with open(program, "w") as out:
                out.write("#!/bin/sh\nexit 3\n")
            os.chmod(program, stat.S_IRWXU)
            home = os.path.join(scratch, "home")
            os.makedirs(home)
            p = Program(NoScreen(), program, home, scratch, scratch)
            try:
                self.assertEqual(p.window_limit(None), START)  # its first window: Wine's start and all
                began = time.monotonic()
                with self.assertRaisesRegex(DriveError, r"^the program ended with status 3 while waiting for a new "
                                                        r"window titled 'tolvanex'$"):
                    p.next_dialog()
                self.assertLess(time.monotonic() - began, 10)
            finally:
                p.kill()


class NoScreen(XServer):
    """An X server with no windows at all (none is started)."""

    def __init__(self):
        self.env = dict(os.environ)

    def visible_windows(self, title):
        return []


class FakeApp:
    def __init__(self, name, answers=True):
        self.name, self.answers = name, answers

    @property
    def childCount(self):
        if not self.answers:
            raise RuntimeError("no reply: the application's main loop is not running")
        return 0


class FakeBus:
    errors = (RuntimeError,)

    def __init__(self, *apps):
        registry = type("Registry", (), {"getDesktop": staticmethod(lambda n: list(apps))})
        self.atspi = type("Atspi", (), {"Registry": registry})


class OrcaReadiness(unittest.TestCase):
    def test_orca_is_ready_once_it_answers_on_the_bus(self):
        cases = [
            ("no applications on the bus", FakeBus(), False),
            ("only the program", FakeBus(FakeApp("tolvanex")), False),
            ("Orca listed but not answering", FakeBus(FakeApp("tolvanex"), FakeApp("orca", answers=False)), False),
            ("Orca answering", FakeBus(None, FakeApp("tolvanex"), FakeApp("orca")), True),
        ]
        for what, bus, ready in cases:
            with self.subTest(what):
                self.assertEqual(screenreader.orca_answers(bus), ready)


class Tiers(unittest.TestCase):
    def stages(self, *options):
        done = subprocess.run([os.path.join(SOURCE, "tools", "test"), "--stages", *options],
                              capture_output=True, text=True, timeout=60, check=True)
        return done.stdout.split()

    def test_each_tier_checks_the_sources_builds_and_ends_with_the_whole_suite(self):
        default = self.stages()
        for check in ("format", "licences"):
            self.assertLess(default.index("install"), default.index(check))
            self.assertLess(default.index(check), default.index("build"))  # a fault in the sources told first
        self.assertEqual(default[-1], "suite")
        everything = self.stages("--all")
        # --all adds the sanitizers and the fuzzer, after the strict build and before the suite,
        # whose summary closes the run.
        self.assertEqual([s for s in everything if s not in default], ["sanitizers", "fuzzer"])
        self.assertEqual([s for s in everything if s in default], default)
        self.assertLess(everything.index("build"), everything.index("sanitizers"))
        self.assertEqual(everything[-1], "suite")


if __name__ == "__main__":
    unittest.main()
