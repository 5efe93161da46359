#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Installation and the Debian package: installs the build into a scratch prefix, builds the
package with CPack, checks its control fields, dependencies and contents, has lintian,
appstreamcli and desktop-file-validate check it, finds the one version (and release date) in the
program, the metainfo, the manual page and the changelog, unpacks it into a scratch root (nothing
is installed on this machine) and starts the unpacked program in an X server of its own, through
its start-up prompts to the main window and out by "quit program".

    package.py --build BUILD_DIR --source SOURCE_DIR --output DIR --app-id ID [--cmake CMAKE] [--cpack CPACK]
"""

import argparse
import configparser
import email.utils
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import STEP, DriveError, Program, XServer, missing_tools, wait_until  # noqa: E402

# Each installed file, with its source in the tree where it is installed unchanged.
FILES = {
    "bin/tolvanex": None,
    "bin/tolvanex-report": None,
    "share/applications/{id}.desktop": "dist/{id}.desktop",
    "share/icons/hicolor/scalable/apps/tolvanex.svg": "dist/tolvanex.svg",
    "share/metainfo/{id}.metainfo.xml": None,
    "share/man/man1/tolvanex.1.gz": None,
    "share/man/man1/tolvanex-report.1.gz": None,
    "share/doc/tolvanex/copyright": None,
    "share/doc/tolvanex/changelog.gz": None,
}
NEEDED = {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6"}


def run(*args, **kwargs):
    done = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                          timeout=kwargs.pop("timeout", 300), **kwargs)
    if done.returncode != 0:
        raise DriveError("%s failed (%d):\n%s%s" % (" ".join(args), done.returncode, done.stdout.decode(errors="replace"),
                                                   done.stderr.decode(errors="replace")))
    return done.stdout.decode()


def files_below(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def check_tree(root, source, what):
    found = files_below(root)
    if found != set(FILES):
        raise DriveError("%s holds %s, not %s" % (what, sorted(found), sorted(FILES)))
    program = os.path.join(root, "bin/tolvanex")
    if not os.access(program, os.X_OK):
        raise DriveError("%s: bin/tolvanex cannot be run" % what)
    for path, original in FILES.items():
        if original is None:
            continue
        with open(os.path.join(root, path), "rb") as a, open(os.path.join(source, original), "rb") as b:
            if a.read() != b.read():
                raise DriveError("%s: %s is not %s" % (what, path, original))


def check_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None, delimiters=("=",))
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    entry = parser["Desktop Entry"]
    expected = {"Type": "Application", "Name": "tolvanex", "Exec": "tolvanex", "Icon": "tolvanex"}
    for key, value in expected.items():
        if entry.get(key) != value:
            raise DriveError("desktop entry: %s=%r, not %r" % (key, entry.get(key), value))
    if not entry.get("Comment"):
        raise DriveError("desktop entry: no Comment")
    categories = entry.get("Categories", "")
    if not categories.endswith(";") or "Education" not in categories.split(";"):
        raise DriveError("desktop entry: Categories=%r" % categories)


def check_with_debian_tools(deb, root, app_id):
    """lintian on the package, AppStream's validator on the metainfo and on the unpacked tree (which
    pairs it with its desktop entry), desktop-file-validate on the entry: errors and warnings fail,
    lintian's info and pedantic tags and the validators' hints are only shown, except lintian's
    hardening tags: the build hardens the program as Debian does, so none may show."""
    share = os.path.join(root, "usr/share")
    checks = {
        "lintian": ["lintian", "--fail-on", "error,warning", "--pedantic", "--display-info", deb],
        "appstreamcli validate": ["appstreamcli", "validate", "--no-net", "--pedantic",
                                  os.path.join(share, "metainfo", app_id + ".metainfo.xml")],
        "appstreamcli validate-tree": ["appstreamcli", "validate-tree", "--no-net", "--pedantic", root],
        "desktop-file-validate": ["desktop-file-validate", os.path.join(share, "applications", app_id + ".desktop")],
    }
    for name, command in checks.items():
        out = run(*command)
        faults = [line for line in out.splitlines() if ": error:" in line or ": warning:" in line
                  or (name == "lintian" and re.search(r": hardening-", line))]
        if faults:
            raise DriveError("%s:\n%s" % (name, "\n".join(faults)))
        print("%s: passed%s" % (name, "".join("\n  " + line for line in out.splitlines())))


def check_version(usr, program, version, app_id):
    """The version and release date as the program, the metainfo, the manual page and the changelog
    give them: one version, the package's, and one date."""
    def text(path):
        path = os.path.join(usr, path)
        with (gzip.open if path.endswith(".gz") else open)(path, "rt", encoding="utf-8") as f:
            return f.read()

    release = re.search(r'<release version="([^"]+)" date="([^"]+)"', text("share/metainfo/%s.metainfo.xml" % app_id))
    manual = re.search(r'^\.TH TOLVANEX 1 (\S+) "tolvanex (\S+)"', text("share/man/man1/tolvanex.1.gz"), re.M)
    changelog = re.search(r"\Atolvanex \((\S+)\).*?^ -- .+?  (.+)$", text("share/doc/tolvanex/changelog.gz"),
                          re.M | re.S)
    found = {
        "the metainfo": release and release.group(1, 2),
        "the manual page": manual and manual.group(2, 1),
        "the changelog": changelog and (changelog.group(1),
                                        email.utils.parsedate_to_datetime(changelog.group(2)).date().isoformat()),
    }
    date = release and release.group(2)
    if not re.fullmatch(r"\d{4}-\d\d-\d\d", date or "") or any(v != (version, date) for v in found.values()):
        raise DriveError("(version, date) in %s, not all (%r, a date)" % (found, version))
    answer = run(program, "--version")
    if answer != "tolvanex %s\n" % version:
        raise DriveError("tolvanex --version: %r" % answer)
    # The report program beside it, with its manual page of the same version and date.
    report = re.search(r'^\.TH TOLVANEX-REPORT 1 (\S+) "tolvanex (\S+)"', text("share/man/man1/tolvanex-report.1.gz"),
                       re.M)
    if not report or report.group(2, 1) != (version, date):
        raise DriveError("tolvanex-report.1: not (%r, %r)" % (version, date))
    answer = run(os.path.join(os.path.dirname(program), "tolvanex-report"), "--version")
    if answer != "tolvanex-report %s\n" % version:
        raise DriveError("tolvanex-report --version: %r" % answer)


def check_icon(path):
    root = ElementTree.parse(path).getroot()
    if root.tag != "{http://www.w3.org/2000/svg}svg":
        raise DriveError("the icon is not an SVG picture: %s" % root.tag)
    box = [float(v) for v in root.get("viewBox", "").split()]
    if len(box) != 4 or box[2] != box[3] or box[2] <= 0:
        raise DriveError("the icon's viewBox is not a square: %r" % root.get("viewBox"))


def installed_version(name):
    done = subprocess.run(["dpkg-query", "-W", "-f", "${Status}\t${Version}", name], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
    status, _, version = done.stdout.decode().partition("\t")
    return version if done.returncode == 0 and status.endswith(" installed") else None


def satisfied(alternative):
    m = re.fullmatch(r"([a-z0-9][a-z0-9+.-]*)(?::[a-z0-9-]+)?\s*(?:\((<<|<=|=|>=|>>)\s*([^)\s]+)\))?", alternative.strip())
    if not m:
        raise DriveError("cannot read the dependency %r" % alternative)
    name, relation, version = m.groups()
    have = installed_version(name)
    if have is None:
        return False
    if relation is None:
        return True
    op = {"<<": "lt", "<=": "le", "=": "eq", ">=": "ge", ">>": "gt"}[relation]
    return subprocess.run(["dpkg", "--compare-versions", have, op, version]).returncode == 0


def check_control(deb, version):
    fields = {}
    for field in ("Package", "Version", "Architecture", "Depends", "Section", "Maintainer", "Description"):
        fields[field] = run("dpkg-deb", "-f", deb, field).strip()
    if fields["Package"] != "tolvanex":
        raise DriveError("Package: %r" % fields["Package"])
    if fields["Version"] != version:
        raise DriveError("Version: %r, not %r" % (fields["Version"], version))
    arch = run("dpkg", "--print-architecture").strip()
    if fields["Architecture"] != arch:
        raise DriveError("Architecture: %r, not %r" % (fields["Architecture"], arch))
    if not fields["Maintainer"] or not fields["Description"]:
        raise DriveError("Maintainer or Description missing")
    depends = [d.strip() for d in fields["Depends"].split(",") if d.strip()]
    names = {re.match(r"[^\s(:|]+", d).group(0) for d in depends}
    if not NEEDED <= names:
        raise DriveError("Depends lacks %s: %s" % (sorted(NEEDED - names), fields["Depends"]))
    unmet = [d for d in depends if not any(satisfied(a) for a in d.split("|"))]
    if unmet:
        raise DriveError("dependencies not met on this machine: %s" % unmet)
    print("Depends: %s" % fields["Depends"])


def check_contents(deb):
    listing = run("dpkg-deb", "-c", deb)
    files = set()
    for line in listing.splitlines():
        mode, path = line.split()[0], line.split()[-1]
        if not mode.startswith("d"):
            files.add(path)
    expected = {"./usr/" + path for path in FILES}
    if files != expected:
        raise DriveError("the package holds %s, not %s" % (sorted(files), sorted(expected)))


def start_unpacked(program, scratch, output):
    """The unpacked program, in its own X server: its prompts, its window, and "quit program"."""
    x = XServer(output)
    home = os.path.join(scratch, "home")
    os.makedirs(home)
    p = Program(x, program, home, output, scratch)
    try:
        for reply in ("Pack Age", "", "5"):
            p.next_dialog()
            x.type(reply)
            x.key("Return")
        window = p.main_window()
        geometry = x.geometry(window)
        if geometry[2:] != (725, 566):
            raise DriveError("the main window is %dx%d" % geometry[2:])
        wait_until(lambda: os.path.exists(os.path.join(home, "tolvanex", "masterFile_Pack_Age.txt")), STEP,
                   "the master file")
        x.capture(window).save_png(os.path.join(output, "package-window.png"))
        x.click(window, 680 + 24, 16)  # quit program
        status = p.wait_exit()
        if status != 0:
            raise DriveError("the unpacked program ended with status %d" % status)
    except Exception:
        sys.stderr.write("--- program output ---\n%s\n" % p.output())
        raise
    finally:
        p.kill()
        x.stop()


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--app-id", required=True, help="the AppStream id, which names the desktop entry")
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--cpack", default="cpack")
    args = parser.parse_args()
    tools = ("dpkg-deb", "dpkg-shlibdeps", "file", "lintian", "appstreamcli", "desktop-file-validate")
    missing = [tool for tool in tools if shutil.which(tool) is None] + missing_tools()
    if missing:
        # Reported to CTest as skipped, not failed: a bare build without these tools can still test.
        print("skipped: missing tools: %s (tools/common.sh installs them)" % ", ".join(missing), file=sys.stderr)
        return SKIPPED
    resolved = {path.format(id=args.app_id): source and source.format(id=args.app_id) for path, source in FILES.items()}
    FILES.clear()
    FILES.update(resolved)
    os.makedirs(args.output, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="tolvanex-package-")
    began = time.monotonic()
    try:
        prefix = os.path.join(scratch, "prefix")
        run(args.cmake, "--install", args.build, "--prefix", prefix)
        check_tree(prefix, args.source, "the installed prefix")

        with open(os.path.join(args.build, "CPackConfig.cmake")) as f:
            version = re.search(r'set\(CPACK_PACKAGE_VERSION "([^"]+)"\)', f.read()).group(1)
        packages = os.path.join(scratch, "packages")
        run(args.cpack, "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B", packages)
        debs = [name for name in os.listdir(packages) if name.endswith(".deb")]
        if len(debs) != 1:
            raise DriveError("CPack made %s" % debs)
        deb = os.path.join(packages, debs[0])
        shutil.copy(deb, args.output)
        check_control(deb, version)
        check_contents(deb)

        root = os.path.join(scratch, "root")
        run("dpkg-deb", "-x", deb, root)
        usr = os.path.join(root, "usr")
        check_tree(usr, args.source, "the unpacked package")
        check_desktop_entry(os.path.join(usr, "share/applications/%s.desktop" % args.app_id))
        check_icon(os.path.join(usr, "share/icons/hicolor/scalable/apps/tolvanex.svg"))
        check_with_debian_tools(deb, root, args.app_id)
        program = os.path.join(usr, "bin/tolvanex")
        check_version(usr, program, version, args.app_id)
        for binary in (program, program + "-report"):
            if "not stripped" in run("file", "-L", binary):
                raise DriveError("the packaged program %s is not stripped" % os.path.basename(binary))
        libraries = run("ldd", program)
        if "not found" in libraries:
            raise DriveError("libraries missing:\n%s" % libraries)
        start_unpacked(program, scratch, args.output)
    except Exception:
        traceback.print_exc()
        print("package FAILED in %.1f s" % (time.monotonic() - began))
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("package passed in %.1f s (package and screenshot in %s)" % (time.monotonic() - began, args.output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
