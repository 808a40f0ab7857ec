"""What the desktop tests share: an X desktop (Xvfb, openbox, trayer) to run
the real program on, a run of the program, small helpers to run the X tools
and wait for what they report, and the harness of a test: `Suite` (checks
counted with ok/expect, the application folder, the program's window, the
tray menu, the page) and `main(suite_class)`, which parses the arguments,
checks the tools, runs the scenarios on a fresh desktop, prints the summary
and gives the exit status."""

import argparse
import os
import re
import select
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

SCREEN = (1024, 768)
TITLE = "Korvane"
# Where the list's 新增记事 button is, from the window's top left corner:
# past the frame (3), the caption (28) and the options bar (21), then the
# page's top bar and the search field above the list.
NEW_NOTE_BUTTON = (3 + 50, 28 + 21 + 104)
# The page's background; its top-left corner sits below the caption (28)
# and the options bar (21), right of the left grip (3).
PAGE = (238, 242, 246)
PAGE_TOP = 28 + 21
PAGE_LEFT = 3
# The tools every run needs; a suite adds its own.
TOOLS = ["Xvfb", "openbox", "trayer", "xdotool", "xprop", "xwininfo"]
# Exit status of a run that could not be made (a tool is missing).
SKIPPED = 77

# A few notes and contacts: (title, telephone, content, time); a telephone
# of None makes a note. Stored as the program stores them: GBK bytes.
SAMPLE_RECORDS = [
    ("周末采购清单", None, "鸡蛋、牛奶、全麦面包\r\n记得带购物袋 {EM0EM}", "2026-03-14 09:12:40"),
    ("项目会议纪要", None, '<span class="TBred">周三前</span>提交第二版设计稿。\r\n'
     "接口文档由小王负责整理，测试环境下周一开放。{EM19EM}", "2026-03-13 18:05:11"),
    ("读书笔记：《活着》", None,
     "“人是为活着本身而活着的，而不是为了活着之外的任何事物所活着。”", "2026-03-10 22:47:03"),
    ("给妈妈打电话", None, "问问体检结果 {EM6EM}{EM5EM}", "2026-03-08 20:30:00"),
    ("陈晓明", "138-0013-8000", "大学同学，现在在杭州。\r\n{QQ20488QQ}", "2026-03-12 10:00:00"),
    ("李娜（设计部）", "021-6555 1234 转 806", "{MSlina@example.comMS}\r\n周一到周五 9:00-18:00",
     "2026-03-11 15:20:00"),
    ("王建国", "139 1122 3344", "{SPwang.jianguoSP} {ALjianguo88AL}", "2026-03-09 08:45:00"),
]


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def run(args, env=None, timeout=10, check=False):
    done = subprocess.run(args, env=env, timeout=timeout, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)
    if check and done.returncode != 0:
        raise Failure("%s failed: %s" % (" ".join(args), done.stderr.strip()))
    return done.stdout


def wait_for(what, predicate, timeout=10.0, step=0.1):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


class Desktop:
    """Xvfb with openbox and trayer on a free display; stopped on close()."""

    def __init__(self, screen=SCREEN):
        self.procs = []
        self.screen = screen
        try:
            self._start_all()
        except BaseException:
            self.close()
            raise

    def _start_all(self):
        self.display = self._start_server()
        self.env = dict(os.environ)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.update(DISPLAY=":%d" % self.display, QT_QPA_PLATFORM="xcb")
        self._start(["openbox", "--sm-disable"])
        wait_for("openbox", lambda: "_NET_WM_MOVERESIZE" in (
            self.x("xprop", "-root", "_NET_SUPPORTED", ok_fail=True) or ""))
        self._start(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                     "--height", "24", "--SetDockType", "true", "--transparent", "false"])
        wait_for("the tray", lambda: self.x("xdotool", "search", "--classname", "trayer",
                                            ok_fail=True))

    def _start_server(self):
        """Starts Xvfb on a display it picks itself (no race with other
        servers starting at the same time) and returns the display number."""
        read_end, write_end = os.pipe()
        self.procs.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % self.screen,
             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True))
        os.close(write_end)
        text = b""
        end = time.monotonic() + 15
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, end - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise Failure("the X server did not start")
            text += chunk
        os.close(read_end)
        return int(text)

    def _start(self, args):
        self.procs.append(subprocess.Popen(args, env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL, start_new_session=True))

    def x(self, *args, ok_fail=False):
        try:
            done = subprocess.run(list(args), env=self.env, timeout=10, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        except subprocess.TimeoutExpired:
            if ok_fail:
                return None
            raise
        if done.returncode != 0:
            if ok_fail:
                return None
            raise Failure("%s failed" % " ".join(args))
        return done.stdout

    def paint_root(self, colour):
        """A desktop colour behind the windows, so see-through parts show as such."""
        path = os.path.join(tempfile.gettempdir(), "korvane-root-%d.png" % self.display)
        self.x("convert", "-size", "%dx%d" % SCREEN, "xc:" + colour, path)
        self.x("display", "-window", "root", path, ok_fail=True)  # sets it, exits 1
        os.remove(path)

    def stop_tray(self):
        tray = self.procs[2]  # Xvfb, openbox, trayer
        tray.terminate()
        tray.wait(timeout=5)
        wait_for("the tray to go", lambda: not self.x("xdotool", "search", "--classname",
                                                      "trayer", ok_fail=True))

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()

    # Windows -----------------------------------------------------------------

    def window_info(self, wid):
        out = self.x("xwininfo", "-id", str(wid), ok_fail=True) or ""
        field = lambda name: re.search(name + r":\s+(-?\d+)", out)
        if not field("Width"):
            return None
        return {
            "x": int(field("Absolute upper-left X").group(1)),
            "y": int(field("Absolute upper-left Y").group(1)),
            "w": int(field("Width").group(1)),
            "h": int(field("Height").group(1)),
            "mapped": "IsViewable" in out,
            "name": (re.search(r'"(.*)"', out) or [None, ""])[1],
        }

    def find(self, name, mapped=True, min_width=0):
        args = ["xdotool", "search"] + (["--onlyvisible"] if mapped else []) + ["--name", name]
        for wid in (self.x(*args, ok_fail=True) or "").split():
            info = self.window_info(wid)
            if info and re.fullmatch(name, info["name"]) and info["w"] >= min_width:
                return int(wid)
        return None

    def net_state(self, wid):
        return self.x("xprop", "-id", str(wid), "_NET_WM_STATE", ok_fail=True) or ""

    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", str(x), str(y), "click", str(button))

    def keys(self, *keys):
        for key in keys:
            self.x("xdotool", "key", key)
            time.sleep(0.1)

    def pixel(self, x, y):
        shot = os.path.join(tempfile.gettempdir(), "korvane-pixel-%d.png" % self.display)
        self.x("import", "-window", "root", shot)
        out = self.x("convert", shot, "-format", "%%[fx:int(255*p{%d,%d}.r)],"
                     "%%[fx:int(255*p{%d,%d}.g)],%%[fx:int(255*p{%d,%d}.b)]" % (x, y, x, y, x, y),
                     "info:")
        os.remove(shot)
        return tuple(int(v) for v in out.strip().split(","))

    def shot(self, path, box):
        full = path + ".full.png"
        self.x("import", "-window", "root", full)
        self.x("convert", full, "-crop", "%dx%d+%d+%d" % (box["w"], box["h"], box["x"], box["y"]),
               "+repage", path)
        os.remove(full)


class Program:
    """One run of the program from the test's application folder."""

    def __init__(self, desktop, app_dir, env):
        self.desktop = desktop
        self.proc = subprocess.Popen([os.path.join(app_dir, "korvane")], cwd="/", env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, what, timeout=15):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after " + what)

    def stop(self):
        if self.running():
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Suite:
    """One desktop test: its scenarios run in turn on a fresh desktop, with the
    program copied into an application folder of its own, so nothing outside
    that folder and the run's own settings folders is touched.

    A suite names itself (NAME: its temporary folders and the picture taken
    at a failure), the tools it needs beside the desktop's (TOOLS), its own
    arguments (add_arguments) and its scenarios (scenarios). A scenario fails
    by raising Failure; the run then ends, unless keep_going() holds, when the
    failure is counted and the next scenario runs."""

    NAME = "desktop"
    TOOLS = []

    def __init__(self, bin_dir, options):
        self.bin_dir = bin_dir
        self.options = options
        self.passed = []
        self.skipped = []
        self.failed = []
        self.programs = []

    @staticmethod
    def add_arguments(parser):
        pass

    def scenarios(self):
        return []

    def keep_going(self):
        return False

    # Results -----------------------------------------------------------------

    def ok(self, text):
        self.passed.append(text)
        log("ok    " + text)

    def expect(self, condition, text):
        if not condition:
            raise Failure(text)
        self.ok(text)

    def skip(self, text):
        self.skipped.append(text)
        log("skip  " + text)

    def summary(self, seconds):
        return "%d checks passed, %d skipped, %.1f s" % (len(self.passed), len(self.skipped),
                                                         seconds)

    def describe_failure(self):
        """More lines for the log after a failure; none by default."""
        return []

    # Setup -------------------------------------------------------------------

    def prepare(self, root):
        """The application folder: the program and its data folders, its
        settings file, and settings folders of the run's own."""
        self.root = root
        self.app = os.path.join(root, "korvane app 程序")
        os.makedirs(self.app)
        shutil.copy2(os.path.join(self.bin_dir, "korvane"), self.app)
        for folder in ("hd", "skin", "bmp"):
            source = os.path.join(self.bin_dir, folder)
            if os.path.isdir(source):
                shutil.copytree(source, os.path.join(self.app, folder))
        self.hd = os.path.join(self.app, "hd")
        self.db = os.path.join(self.hd, "glst.mysql")
        self.ini = os.path.join(self.app, "sys.ini")
        runtime = os.path.join(root, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = dict(self.desktop.env, XDG_CONFIG_HOME=os.path.join(root, "config"),
                        XDG_RUNTIME_DIR=runtime, HOME=os.path.join(root, "home"),
                        QTWEBENGINE_DISABLE_SANDBOX="1", LANG="C.UTF-8")
        # The scenarios find the program's Chinese texts: no language of the
        # caller's session may choose English for it.
        self.env.pop("LC_ALL", None)
        self.env.pop("LC_MESSAGES", None)
        os.makedirs(self.env["HOME"])

    def write_ini(self, text):
        with open(self.ini, "w") as f:
            f.write(text)

    def read_ini(self):
        try:
            with open(self.ini, encoding="latin-1") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def seed_records(self, records=SAMPLE_RECORDS):
        """Writes `records` into the application folder's notebook, made
        from the pristine copy as the program makes it."""
        if not os.path.exists(self.db):
            shutil.copy2(os.path.join(self.hd, "glst.mysql.root"), self.db)
        text = lambda value: "CAST(X'%s' AS TEXT)" % value.encode("gb18030").hex()
        with sqlite3.connect(self.db) as connection:
            for title, tel, content, when in records:
                connection.execute(
                    "INSERT INTO mylist(title,tel,content,state,cre_date) VALUES(%s,%s,%s,%d,%s)"
                    % (text(title), text(tel or ""), text(content), 0 if tel is None else 1,
                       text(when)))
        connection.close()

    # The program -------------------------------------------------------------

    def main_window(self):
        """The main window while it is on screen. Its id may change between
        shows: the toolkit replaces the native window after some changes."""
        return self.desktop.find(TITLE, min_width=200)

    def start(self):
        """Starts the program; its process and main window once it has settled."""
        program = Program(self.desktop, self.app, self.env)
        self.programs.append(program)
        wid = wait_for("the main window", self.main_window, timeout=30)
        # The page timer and the first paint settle.
        time.sleep(1.5)
        return program, wid

    def geometry(self, wid):
        info = self.desktop.window_info(wid)
        return (info["x"], info["y"], info["w"], info["h"]) if info else None

    def stop_programs(self):
        for program in self.programs:
            program.stop()

    # Tray --------------------------------------------------------------------

    def tray_icon(self):
        for wid in (self.desktop.x("xdotool", "search", "--onlyvisible", "--classname",
                                   "korvane", ok_fail=True) or "").split():
            info = self.desktop.window_info(wid)
            if info and info["w"] <= 64 and info["h"] <= 64 and info["y"] > SCREEN[1] // 2:
                return info
        return None

    def tray_menu(self, downs):
        """Opens the tray menu with a right click and picks its item number
        `downs`, counted from 1 (the menu skips separators itself)."""
        icon = wait_for("the tray icon", self.tray_icon)
        before = set((self.desktop.x("xdotool", "search", "--onlyvisible", "--classname",
                                     "korvane", ok_fail=True) or "").split())
        self.desktop.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2, button=3)
        wait_for("the tray menu", lambda: set((self.desktop.x(
            "xdotool", "search", "--onlyvisible", "--classname", "korvane",
            ok_fail=True) or "").split()) - before)
        # The pointer leaves the menu so no item is picked by hovering.
        self.desktop.x("xdotool", "mousemove", "0", "0")
        time.sleep(0.4)
        self.desktop.keys(*(["Down"] * downs + ["Return"]))

    # The page ----------------------------------------------------------------

    def page_pixel(self, g, x, y):
        return self.desktop.pixel(g["x"] + PAGE_LEFT + x, g["y"] + PAGE_TOP + y)

    def click_page(self, g, x, y):
        self.desktop.click(g["x"] + PAGE_LEFT + x, g["y"] + PAGE_TOP + y)

    def wait_for_list(self, g):
        """The page asks for its list a second after the show; the first
        record's white box then covers the page background (below the
        search field and the 新增记事 button, right of the record's text and
        below its edit and delete icons)."""
        wait_for("the list", lambda: self.page_pixel(g, 300, 200) == (255, 255, 255), timeout=10)
        time.sleep(0.5)  # its pictures

    # The run -----------------------------------------------------------------

    def run(self):
        self.desktop = Desktop(self.screen_size())
        root = tempfile.mkdtemp(prefix="korvane-%s-" % self.NAME)
        try:
            self.prepare(root)
            for scenario in self.scenarios():
                try:
                    scenario()
                except Failure as e:
                    self.shot_failure()
                    if not self.keep_going():
                        raise
                    self.failed.append(str(e))
                    log("FAIL  %s (going on)" % e)
                finally:
                    self.stop_programs()
        finally:
            self.stop_programs()
            self.cleanup()
            self.desktop.close()
            shutil.rmtree(root, ignore_errors=True)

    def shot_failure(self):
        # What the screen showed helps more than any message.
        shot = os.path.join(tempfile.gettempdir(), "korvane-%s-failure.png" % self.NAME)
        self.desktop.x("import", "-window", "root", shot, ok_fail=True)
        log("      screen at the failure: " + shot)

    def cleanup(self):
        """What a suite started besides its programs; nothing by default."""

    def screen_size(self):
        """The X server's screen in device pixels; a suite that scales the
        program may want a larger one."""
        return SCREEN


def main(suite_class, argv=None):
    """Runs `suite_class` with the command line `argv` (sys.argv by default):
    BIN_DIR, which holds the built program and its data files, then the
    suite's own arguments. Exit status 0 when every check passed, 1
    otherwise, 77 when a tool is missing."""
    argv = sys.argv if argv is None else argv
    parser = argparse.ArgumentParser(prog=os.path.basename(argv[0]),
                                     description=sys.modules[suite_class.__module__].__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("bin_dir", metavar="BIN_DIR")
    suite_class.add_arguments(parser)
    options = parser.parse_args(argv[1:])
    missing = [t for t in TOOLS + suite_class.TOOLS if shutil.which(t) is None]
    if missing:
        log("skip: missing " + ", ".join(missing))
        return SKIPPED
    suite = suite_class(os.path.abspath(options.bin_dir), options)
    started = time.monotonic()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        suite.run()
    except Failure as e:
        log("FAIL  %s" % e)
        for line in suite.describe_failure():
            log("      " + line)
        return 1
    if suite.failed:
        log("%d of the scenarios failed" % len(suite.failed))
        return 1
    log(suite.summary(time.monotonic() - started))
    return 0
