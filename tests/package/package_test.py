#!/usr/bin/env python3
"""The Debian package as a user meets it: built with CPack, installed with
dpkg, started from the menu's command as an ordinary user on an X desktop
(Xvfb, openbox, trayer), a note added through the window, the notebook found
in that user's data folder, and the package removed again.

usage: package_test.py BUILD_DIR [--screenshots DIR]

BUILD_DIR is the configured build folder holding CPackConfig.cmake.
--screenshots also writes menu-icon-48.png and menu-icon-256.png into DIR: the
installed menu entry's icon and name at those sizes, as a menu shows them. The test
needs root (dpkg, a user of its own); it leaves the machine as it found it:
the package, the user it created and every temporary folder are removed.

Exit status 0 when every check passed, 1 otherwise, 77 when it cannot run
here (not root, a tool missing, or a korvane package already installed).
"""

import glob
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from desktop import NEW_NOTE_BUTTON, Desktop, Failure, log, wait_for  # noqa: E402

PACKAGE = "korvane"
USER = "korvane-pkgtest"
TOOLS = ["dpkg", "dpkg-deb", "dpkg-query", "cpack", "useradd", "userdel", "sqlite3", "Xvfb",
         "openbox", "trayer", "xdotool", "xwininfo", "import", "convert"]
# Typed with xdotool: characters outside the keyboard map are typed by
# remapping a key for a moment, which a busy program can read after the map
# is back and lose; the code-page path of Chinese text is tested elsewhere.
NOTE_TITLE = "Installed package note"
NOTE_BODY = "kept in the per-user data folder"
PAGE_TOP, PAGE_LEFT = 28 + 21, 3  # the page's corner inside the window


def run(args, timeout=60, **kwargs):
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=timeout, **kwargs)
    if done.returncode != 0:
        raise Failure("%s failed:\n%s" % (" ".join(args), done.stdout.strip()))
    return done.stdout


def installed(package):
    done = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    return "installed" in done.stdout and "not-installed" not in done.stdout


def why_not_here():
    if os.geteuid() != 0:
        return "needs root to install a package and make a user"
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        return "missing " + ", ".join(missing)
    if installed(PACKAGE) or os.path.exists("/usr/lib/korvane"):
        return "a korvane package is installed here already; it is left alone"
    return None


class PackageCheck:
    def __init__(self, build_dir, screenshots=None):
        self.build_dir = build_dir
        self.screenshots = screenshots
        self.passed = 0
        self.cleanups = []  # undone in reverse order, whatever happens

    def ok(self, text):
        self.passed += 1
        log("ok    " + text)

    def expect(self, condition, text):
        if not condition:
            raise Failure(text)
        self.ok(text)

    def build(self, root):
        out = os.path.join(root, "out")
        run(["cpack", "-G", "DEB", "-B", out, "--config",
             os.path.join(self.build_dir, "CPackConfig.cmake")], timeout=600)
        debs = glob.glob(os.path.join(out, "korvane_*_amd64.deb"))
        self.expect(len(debs) == 1, "cpack wrote " + os.path.basename(debs[0] if debs else "?"))
        fields = run(["dpkg-deb", "-f", debs[0], "Depends"])
        self.expect(all(d in fields for d in ("libqt6widgets6", "libqt6webenginecore6",
                                              "libsqlite3-0", "qt6-qpa-plugins")),
                    "the package depends on Qt 6 and SQLite")
        return debs[0]

    def install(self, deb):
        self.cleanups.append(self.remove_package)
        run(["dpkg", "-i", deb], timeout=120)
        self.expect(installed(PACKAGE), "dpkg -i installed it")
        self.expect(os.path.realpath("/usr/bin/korvane") == "/usr/lib/korvane/korvane"
                    and os.access("/usr/bin/korvane", os.X_OK), "korvane is on the PATH")
        for path in ("/usr/share/applications/org.example.korvane.desktop",
                     "/usr/share/metainfo/org.example.korvane.metainfo.xml",
                     "/usr/share/icons/hicolor/48x48/apps/korvane.png",
                     "/usr/share/icons/hicolor/256x256/apps/korvane.png",
                     "/usr/share/icons/hicolor/scalable/apps/korvane.svg",
                     "/usr/lib/korvane/hd/main.html", "/usr/lib/korvane/hd/glst.mysql.root"):
            if not os.path.isfile(path):
                raise Failure("not installed: " + path)
        self.ok("the menu entry, its icons, the metadata and the data files are in place")

    def shoot_menu_entry(self):
        """The installed entry's icon, found the way menus find it (the Icon
        key in the hicolor theme), with its Name below, at 48 and 256 px."""
        entry = {}
        with open("/usr/share/applications/org.example.korvane.desktop", encoding="utf-8") as f:
            for line in f:
                key, _, value = line.strip().partition("=")
                entry.setdefault(key, value)
        for size in (48, 256):
            icon = "/usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, entry["Icon"])
            out = os.path.join(self.screenshots, "menu-icon-%d.png" % size)
            width = max(size + 48, 140)
            run(["convert", "-size", "%dx%d" % (width, size + 44), "xc:#f4f6f9", icon,
                 "-gravity", "north", "-geometry", "+0+10", "-composite", "-font", "DejaVu-Sans",
                 "-pointsize", "13", "-fill", "#1f2d3d", "-annotate", "+0+%d" % (size + 16),
                 entry["Name"], "-strip", out])
            self.ok("wrote " + os.path.basename(out))

    def remove_package(self):
        run(["dpkg", "-r", PACKAGE], timeout=120)
        self.expect(not installed(PACKAGE) and not os.path.exists("/usr/lib/korvane")
                    and not os.path.lexists("/usr/bin/korvane"), "dpkg -r removed it")
        run(["dpkg", "--purge", PACKAGE], timeout=120)  # not even its status stays

    def make_user(self, root):
        home = os.path.join(root, "home")
        try:
            pwd.getpwnam(USER)
        except KeyError:
            run(["useradd", "--system", "--user-group", "--no-create-home", "--home-dir", home,
                 "--shell", "/usr/sbin/nologin", USER])
            self.cleanups.append(lambda: run(["userdel", USER]))
        user = pwd.getpwnam(USER)
        os.makedirs(home)
        runtime = os.path.join(root, "runtime")
        os.makedirs(runtime, mode=0o700)
        for folder in (root, home, runtime):
            os.chown(folder, user.pw_uid, user.pw_gid)
        os.chmod(root, 0o755)
        self.user = user
        self.data_home = os.path.join(home, "data home")
        return {"HOME": home, "XDG_RUNTIME_DIR": runtime, "XDG_DATA_HOME": self.data_home,
                "XDG_CONFIG_HOME": os.path.join(home, ".config"), "LANG": "C.UTF-8",
                "PATH": "/usr/bin:/bin", "USER": USER, "LOGNAME": USER}

    def start(self, user_env):
        env = dict(user_env, DISPLAY=self.desktop.env["DISPLAY"], QT_QPA_PLATFORM="xcb")
        program = subprocess.Popen(["korvane"], env=env, cwd=env["HOME"], user=self.user.pw_uid,
                                   group=self.user.pw_gid, extra_groups=[],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.cleanups.append(lambda: stop(program))
        wid = wait_for("the installed program's window",
                       lambda: self.desktop.find("Korvane", min_width=200), timeout=40)
        self.expect(program.poll() is None, "the installed korvane runs as " + USER)
        return program, wid

    def page_pixel(self, g, x, y):
        return self.desktop.pixel(g["x"] + PAGE_LEFT + x, g["y"] + PAGE_TOP + y)

    def add_note(self, wid):
        d = self.desktop
        g = d.window_info(wid)
        # The page asks for its list a second after the show; its 新增记事
        # button is then drawn over the page background.
        wait_for("the list", lambda: self.page_pixel(g, 96, 69) != (238, 242, 246), timeout=20)
        editor = None
        for _ in range(4):  # a click while the page still starts up goes nowhere
            d.click(g["x"] + NEW_NOTE_BUTTON[0], g["y"] + NEW_NOTE_BUTTON[1])
            try:
                editor = wait_for("the note editor", lambda: d.find("新增或修改内容"), timeout=4)
                break
            except Failure:
                continue
        if not editor:
            raise Failure("新增记事 never opened the note editor")
        d.x("xdotool", "windowactivate", "--sync", str(editor), ok_fail=True)
        wait_for("the editor to take the keyboard", lambda: (d.x(
            "xdotool", "getactivewindow", ok_fail=True) or "").strip() == str(editor))
        e = d.window_info(editor)
        # Into the title field and the body by a click each: the fields sit
        # at their places from the editor's top-left corner.
        d.click(e["x"] + 47 + 60, e["y"] + 24 + 10)
        time.sleep(0.3)
        d.x("xdotool", "type", "--delay", "40", NOTE_TITLE)
        time.sleep(0.5)
        d.click(e["x"] + 47 + 60, e["y"] + 56 + 40)
        time.sleep(0.5)
        d.x("xdotool", "type", "--delay", "40", NOTE_BODY)
        # 保 存 keeps its place from the editor's bottom-right corner (the
        # editor narrows to fit the screen).
        d.click(e["x"] + e["w"] - 119, e["y"] + e["h"] - 18)
        notice = wait_for("the saved notice", lambda: d.find(r"\.\.温馨提示\.\."), timeout=10)
        d.x("xdotool", "windowactivate", "--sync", str(notice), ok_fail=True)
        d.keys("Return")
        wait_for("the notice to close", lambda: not d.find(r"\.\.温馨提示\.\."), timeout=10)
        d.click(e["x"] + e["w"] - 45, e["y"] + e["h"] - 18)  # 关 闭
        wait_for("the editor to close", lambda: not d.find("新增或修改内容"), timeout=10)
        self.ok("a note was added through the window")

    def check_notebook(self):
        db = os.path.join(self.data_home, "korvane", "hd", "glst.mysql")
        self.expect(os.path.isfile(db), "the notebook is in the user's $XDG_DATA_HOME/korvane/hd")
        self.expect(os.stat(db).st_uid == self.user.pw_uid, "and belongs to the user")
        rows = run(["sqlite3", "-separator", " ", db,
                    "SELECT hex(title), hex(content) FROM mylist WHERE state=0"]).splitlines()
        found = [tuple(bytes.fromhex(v).decode("gb18030", "replace") for v in row.split(" "))
                 for row in rows]
        self.expect((NOTE_TITLE, NOTE_BODY) in found,
                    "the sqlite3 shell finds the note there %s" % found)
        self.expect(not os.path.exists("/usr/lib/korvane/hd/glst.mysql")
                    and not os.path.exists("/usr/lib/korvane/sys.ini"),
                    "nothing was written beside the installed program")

    def run(self):
        root = tempfile.mkdtemp(prefix="korvane-package-")
        self.cleanups.append(lambda: shutil.rmtree(root, ignore_errors=True))
        try:
            deb = self.build(root)
            user_env = self.make_user(root)
            self.install(deb)
            if self.screenshots:
                self.shoot_menu_entry()
            self.desktop = Desktop()
            self.cleanups.append(self.desktop.close)
            program, wid = self.start(user_env)
            self.add_note(wid)
            program.terminate()
            self.expect(program.wait(timeout=15) == 0, "the program ends at the session's end")
            self.check_notebook()
        except Failure:
            if getattr(self, "desktop", None):
                shot = os.path.join(tempfile.gettempdir(), "korvane-package-failure.png")
                self.desktop.x("import", "-window", "root", shot, ok_fail=True)
                log("      screen at the failure: " + shot)
            raise
        finally:
            self.undo()

    def undo(self):
        failures = []
        while self.cleanups:
            try:
                self.cleanups.pop()()
            except Exception as e:  # every step is still tried
                failures.append(str(e))
        if failures:
            raise Failure("cleaning up: " + "; ".join(failures))


def stop(program):
    if program.poll() is None:
        program.kill()
    program.wait()


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--screenshots"):
        print(__doc__, file=sys.stderr)
        return 2
    screenshots = os.path.abspath(argv[3]) if len(argv) == 4 else None
    reason = why_not_here()
    if reason:
        log("skip: " + reason)
        return 77
    started = time.monotonic()
    check = PackageCheck(os.path.abspath(argv[1]), screenshots)
    try:
        check.run()
    except Failure as e:
        log("FAIL  %s" % e)
        return 1
    log("%d checks passed, %.1f s" % (check.passed, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
