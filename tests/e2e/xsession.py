# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Driving the built program in an X server of its own, the way a person would: windows found by
their titles, keys typed and buttons clicked with xdotool, texts read back through the clipboard,
pictures of the window taken with ImageMagick's import.

Standard library only; the outside tools come from Debian (xvfb, xdotool, xclip, imagemagick).
"""

import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import zlib

TOOLS = ("Xvfb", "xdotool", "xclip", "import")

# Makes the texts of the prompts and message boxes selectable with the mouse, so a test can copy
# them (Qt's standard -stylesheet option); nothing else is styled.
COPYABLE_TEXTS = """
QMessageBox { messagebox-text-interaction-flags: 1; }
QLabel#prompt { qproperty-textInteractionFlags: TextSelectableByMouse; }
"""


class DriveError(AssertionError):
    pass


def missing_tools():
    return [tool for tool in TOOLS if shutil.which(tool) is None]


# How long one step may take before the journey is taken to hang. These journeys run on machines
# busy with other work (a build, other tests, whatever else the developer runs), where a step that
# takes a second alone has been seen to take thirty: every wait is for the event itself (a window,
# the bytes of a file, the clipboard, a word spoken), and these limits only end a journey that
# hangs. They say nothing of how fast the program should be (the benchmarks do).
STEP = 60  # one step: a dialog after a key, a file after a filing, the clipboard after a copy
START = 180  # a program's first window, Wine's start included


def wait_until(condition, timeout, what, interval=0.05, gone=None):
    """Polls condition() until it returns something true; that value is returned. The polls come
    further apart as the wait goes on (up to half a second), so that a long wait leaves the machine
    to what it waits for. gone(), when given, says why waiting on is pointless (the program ended):
    the wait fails at once with that reason instead of at the limit."""
    deadline = time.monotonic() + timeout
    pause = interval
    while True:
        value = condition()
        if value:
            return value
        reason = gone() if gone is not None else None
        if reason:
            raise DriveError("%s while waiting for %s" % (reason, what))
        if time.monotonic() > deadline:
            raise DriveError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(pause)
        pause = min(pause * 1.5, max(interval, 0.5))


class XServer:
    """An Xvfb server on a display number it picks itself (free even when tests run side by side)."""

    def __init__(self, logdir, width=1280, height=1024):
        self.log = open(os.path.join(logdir, "xvfb.log"), "wb")
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-dpi", "96", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        os.close(write_end)
        number = b""  # Xvfb writes its display's number once it takes connections
        deadline = time.monotonic() + START
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            if not ready:
                self.stop()
                raise DriveError("Xvfb did not start (see xvfb.log)")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.stop()
                raise DriveError("Xvfb ended at start (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("XAUTHORITY", None)

    def run(self, *args, timeout=STEP, check=True, stdin=None):
        done = subprocess.run(list(args), env=self.env, input=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=timeout)
        if check and done.returncode != 0:
            raise DriveError("%s failed (%d): %s" % (" ".join(args), done.returncode,
                                                    done.stderr.decode(errors="replace").strip()))
        return done

    def xdotool(self, *args, timeout=STEP):
        return self.run("xdotool", *args, timeout=timeout).stdout.decode().strip()

    def visible_windows(self, title):
        """Ids of the mapped windows whose whole title is the given text."""
        done = self.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title),
                        check=False)
        return [int(line) for line in done.stdout.decode().split()]

    def wait_window(self, title, timeout=STEP, gone=None):
        """The first window with this title (gone: as for wait_until)."""
        return wait_until(lambda: next(iter(self.visible_windows(title)), None), timeout,
                          "a window titled %r" % title, gone=gone)

    def wait_new_window(self, title, seen, timeout=STEP, gone=None):
        """A window with this title that is not among those already seen (the program makes a new
        window for each dialog)."""
        def fresh():
            new = [w for w in self.visible_windows(title) if w not in seen]
            return new[0] if len(new) == 1 else None
        window = wait_until(fresh, timeout, "a new window titled %r" % title, gone=gone)
        seen.add(window)
        return window

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", str(window))
        values = dict(line.split("=", 1) for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def focused(self):
        return int(self.xdotool("getwindowfocus", "-f"))

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", str(window))

    def click(self, window, x, y):
        """A left click at (x, y) of the window's client area. xdotool's --sync waits for the
        pointer to move, forever if it is there already (a dialog just where the last one was)."""
        left, top, _, _ = self.geometry(window)
        here = dict(v.split(":") for v in self.xdotool("getmouselocation").split()[:2])
        if (int(here["x"]), int(here["y"])) == (left + x, top + y):
            self.xdotool("click", "1")
        else:
            self.xdotool("mousemove", "--sync", "--window", str(window), str(x), str(y), "click", "1")

    def key(self, *keys):
        self.xdotool("key", "--delay", "20", *keys)

    def type(self, text):
        if text:
            self.xdotool("type", "--delay", "8", "--", text, timeout=STEP + len(text))

    # The clipboard, through xclip.
    def set_clipboard(self, text):
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(), env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP, check=True)

    def clipboard(self):
        done = self.run("xclip", "-o", "-selection", "clipboard", check=False)
        return done.stdout.decode("utf-8", errors="replace") if done.returncode == 0 else None

    def copy_with(self, *keys, timeout=STEP):
        """Presses the keys (e.g. ctrl+a ctrl+c) and returns what they put on the clipboard."""
        sentinel = "<nothing copied %d>" % time.monotonic_ns()
        self.set_clipboard(sentinel)
        wait_until(lambda: self.clipboard() == sentinel, timeout, "the clipboard to hold a marker")
        self.key(*keys)
        return wait_until(lambda: (lambda c: c if c not in (None, sentinel) else None)(self.clipboard()),
                          timeout, "%s to copy something" % " ".join(keys))

    def capture(self, window):
        """The window's pixels: (width, height, rows of RGB bytes)."""
        data = self.run("import", "-silent", "-window", str(window), "-depth", "8", "ppm:-").stdout
        return parse_ppm(data)

    def stop(self):
        end_process(self.proc)
        self.log.close()


def end_process(proc):
    """Asks a helper process to end, and kills it when it has not within five seconds."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def parse_ppm(data):
    match = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match or match.group(3) != b"255":
        raise DriveError("import gave no 8-bit PPM picture")
    width, height = int(match.group(1)), int(match.group(2))
    pixels = data[match.end():match.end() + width * height * 3]
    if len(pixels) != width * height * 3:
        raise DriveError("the PPM picture is cut short")
    rows = [pixels[y * width * 3:(y + 1) * width * 3] for y in range(height)]
    return Picture(width, height, rows)


class Picture:
    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        row = self.rows[y]
        return row[3 * x], row[3 * x + 1], row[3 * x + 2]

    def save_png(self, path):
        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        raw = b"".join(b"\x00" + row for row in self.rows)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            out.write(chunk(b"IEND", b""))


class Wine:
    """Windows programs run under Wine, in a prefix of their own (its drive C: is the folder
    drive_c inside it). The prefix is made once (wineboot) and reused by the journeys one after
    another; its wineserver is ended after each, so that the next one's X server is the one used.
    Wine's own Tahoma, the face it gives Windows' dialog font, goes into the prefix's Fonts folder,
    where Windows keeps its fonts: without it Qt finds no face of that name and draws in a serif."""

    FONTS = ("/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf")

    def __init__(self, loader, prefix, dpi=96):
        self.loader, self.prefix, self.dpi = loader, os.path.abspath(prefix), dpi
        self.env = dict(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def windows_path(self, path):
        """A path of this system as a Windows program names it (drive Z: is the root folder)."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def command(self, executable, *args):
        return [self.loader, executable] + list(args)

    def run(self, *args, timeout=START):
        env = dict(os.environ, DISPLAY="", **self.env)
        return subprocess.run(self.command(*args), env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=timeout)

    def make_prefix(self):
        """The prefix made (once) with the screen's resolution set, then left with no server running."""
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            self.run("wineboot", "--init", timeout=2 * START)
        self.run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                 "/d", str(self.dpi), "/f")
        self.stop_server()
        os.makedirs(self.drive_c("windows", "Fonts"), exist_ok=True)
        for font in self.FONTS:
            shutil.copy(font, self.drive_c("windows", "Fonts"))

    def stop_server(self):
        server = os.path.join(os.path.dirname(self.loader), "wineserver")
        subprocess.run([server if os.path.exists(server) else "wineserver", "-k"], env=dict(os.environ, **self.env),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP)
        subprocess.run([server if os.path.exists(server) else "wineserver", "-w"], env=dict(os.environ, **self.env),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=STEP)


class Program:
    """The program under test, started in the X server with a home folder of its own (or, under
    Wine, in the Wine prefix, whose drive C: holds its files). Its windows are waited for as long
    as it runs: up to START for its first (Wine's own start comes before it), up to STEP for each
    after that."""

    def __init__(self, xserver, executable, home, logdir, scratch, name="program", copyable_texts=False,
                 extra_env=None, wine=None):
        self.x = xserver
        self.home = home
        self.wine = wine
        runtime = tempfile.mkdtemp(prefix="xdg-", dir=scratch)
        os.chmod(runtime, 0o700)
        env = {k: v for k, v in xserver.env.items() if not k.startswith("QT_")}
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8", LANG="C.UTF-8", **(extra_env or {}))
        args = [executable]
        if wine is not None:
            env.update(wine.env)
            args = wine.command(executable)
        else:
            env.update(QT_QPA_PLATFORM="xcb")
        if copyable_texts:
            sheet = os.path.join(runtime, "copyable.qss")
            with open(sheet, "w") as out:
                out.write(COPYABLE_TEXTS)
            args += ["-stylesheet", wine.windows_path(sheet) if wine else sheet]
        self.log_path = os.path.join(logdir, name + ".log")
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=self.log, cwd=home, start_new_session=True)
        self.seen = set()
        self.shown = False  # no window yet

    def wait_exit(self, timeout=STEP):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise DriveError("the program did not end within %d s" % timeout)

    def running(self):
        return self.proc.poll() is None

    def ended(self):
        """Why a window of the program will not come: it has ended (None while it runs)."""
        status = self.proc.poll()
        return None if status is None else "the program ended with status %d" % status

    def window_limit(self, timeout):
        """The limit for the next window: the given one, or the first window's or a step's."""
        return timeout if timeout is not None else STEP if self.shown else START

    def wait_window(self, title, timeout=None):
        window = self.x.wait_window(title, self.window_limit(timeout), gone=self.ended)
        self.shown = True
        return window

    def kill(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.log.close()

    def output(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    # Dialogs: every prompt and message box is titled "tolvanex"; each one is a new window.
    def next_dialog(self, timeout=None):
        window = self.x.wait_new_window("tolvanex", self.seen, self.window_limit(timeout), gone=self.ended)
        self.shown = True
        if self.wine:
            # Wine gives the X focus to a new window through the window manager, and these X
            # servers have none: the test does what one would.
            self.x.focus(window)
        wait_until(lambda: self.x.focused() == window, STEP, "the dialog to take the keyboard focus")
        return window

    def dialog_text(self, window):
        """The text a prompt or message box shows: a click into it (the text is at the top, in the
        middle for either kind), then Ctrl+A and Ctrl+C."""
        _, _, width, _ = self.x.geometry(window)
        self.x.click(window, width // 2, 18)
        return self.x.copy_with("ctrl+a", "ctrl+c").replace("\r\n", "\n")

    def answer_prompt(self, expected, reply, timeout=None):
        """Waits for a prompt, checks its text, types the reply into the field, checks what the
        field holds and presses Return."""
        window = self.next_dialog(timeout)
        text = self.dialog_text(window)
        if text != expected:
            raise DriveError("expected the prompt %r, got %r" % (expected, text))
        self.x.key("Tab")  # from the text back to the field
        if reply:
            self.x.type(reply)
            typed = self.x.copy_with("ctrl+a", "ctrl+c")
            if typed != reply:
                raise DriveError("the prompt's field holds %r, not %r" % (typed, reply))
        self.x.key("Return")

    def main_window(self, timeout=None):
        window = self.wait_window("Form1", timeout)
        self.x.focus(window)
        return window
