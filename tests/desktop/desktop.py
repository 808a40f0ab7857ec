"""What the desktop tests share: an X desktop (Xvfb, openbox, trayer) to run
the real program on, a run of the program, and small helpers to run the X
tools and wait for what they report."""

import os
import re
import select
import subprocess
import tempfile
import time

SCREEN = (1024, 768)
TITLE = "Korvane"
# Where the list's 新增记事 button is, from the window's top left corner:
# past the frame (3), the caption (28) and the options bar (21), then the
# page's top bar and the search field above the list.
NEW_NOTE_BUTTON = (3 + 50, 28 + 21 + 104)


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

    def __init__(self):
        self.procs = []
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
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
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
