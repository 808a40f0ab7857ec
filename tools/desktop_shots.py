#!/usr/bin/env python3
"""Pictures of the real program for the documentation, taken on the desktop
the desktop tests use (Xvfb, openbox, trayer; tests/desktop/desktop.py): the
window at its designed size with a few notes and contacts.

usage: tools/desktop_shots.py BIN_DIR [--out DIR] [--scale S] [--theme light|dark]

BIN_DIR holds the built program and its data files (build/release/bin). Writes
window-standard.png (the notes list), window-contacts.png,
window-note-editor.png (the note editor over the window, a note typed, closed
unsaved) and window-compact.png into DIR (default: the project's docs/).
The program runs from a copy in a fresh folder; nothing else is touched.

--scale runs the program at that scale (QT_SCALE_FACTOR, on a screen as much
larger) and --theme dark with "[ui] theme=dark" in its sys.ini; the names then
end in "-dark" and "@<S>x" (window-standard-dark@2x.png). All four looks:

    for s in 1 2; do for t in light dark; do
        tools/desktop_shots.py build/release/bin --scale $s --theme $t; done; done

Exit status 0 when every picture was written, 1 otherwise, 77 when a tool is
missing.
"""

import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "desktop"))

from desktop import (PAGE, PAGE_LEFT, PAGE_TOP, SCREEN, Failure, Suite, main,  # noqa: E402
                     wait_for)

EDITOR = "新增或修改内容"
# The page's and a record box's background in the dark (data/hd/style.css).
DARK_PAGE = (27, 31, 36)
DARK_BOX = (38, 43, 50)


class DesktopShots(Suite):
    NAME = "shots"
    TOOLS = ["xmessage", "import", "convert"]

    @staticmethod
    def add_arguments(parser):
        parser.add_argument("--out", metavar="DIR", type=os.path.abspath,
                            default=os.path.join(ROOT, "docs"),
                            help="where the pictures go (default: docs/)")
        parser.add_argument("--scale", type=float, default=1.0,
                            help="the program's scale factor (default 1)")
        parser.add_argument("--theme", choices=("light", "dark"), default="light",
                            help="light or dark (default light)")

    # Scale and theme ---------------------------------------------------------

    def screen_size(self):
        s = max(1.0, self.options.scale)
        return (int(SCREEN[0] * s), int(SCREEN[1] * s))

    def prepare(self, root):
        super().prepare(root)
        if self.options.scale != 1:
            self.env["QT_SCALE_FACTOR"] = "%g" % self.options.scale

    def dark(self):
        return self.options.theme == "dark"

    def name(self, base):
        """window-standard.png as window-standard-dark@2x.png and so on."""
        stem = base[:-len(".png")]
        if self.dark():
            stem += "-dark"
        if self.options.scale != 1:
            stem += "@%gx" % self.options.scale
        return stem + ".png"

    def write_ini(self, text):
        super().write_ini(text + ("[ui]\ntheme=dark\n" if self.dark() else ""))

    def at(self, g, x, y):
        """Device pixels of a point of the page given in pixels."""
        s = self.options.scale
        return g["x"] + round((PAGE_LEFT + x) * s), g["y"] + round((PAGE_TOP + y) * s)

    def page_pixel(self, g, x, y):
        return self.desktop.pixel(*self.at(g, x, y))

    def click_page(self, g, x, y):
        self.desktop.click(*self.at(g, x, y))

    def page_colour(self):
        return DARK_PAGE if self.dark() else PAGE

    def wait_for_list(self, g):
        box = DARK_BOX if self.dark() else (255, 255, 255)
        wait_for("the list", lambda: self.page_pixel(g, 300, 200) == box, timeout=10)
        time.sleep(0.5)  # its pictures

    def scenarios(self):
        return [self.pictures]

    def pictures(self):
        """The notes list, the contacts list, the note editor over the
        window, the compact view."""
        d = self.desktop
        os.makedirs(self.options.out, exist_ok=True)
        d.paint_root("#7d9bbd")
        self.seed_records()
        self.write_ini("[sys]\nL=316\nT=80\nW=391\nH=570\nTra=1\nTT=0\nCNQ=1\n")
        _, wid = self.start()
        g = d.window_info(wid)
        self.wait_for_list(g)
        self.shot_window(self.name("window-standard.png"), g)

        self.click_page(g, 128, 22)  # the 联系人 tab
        # The contacts list's 新增联系人 button is wider than 新增记事.
        wait_for("the contacts list", lambda: self.page_pixel(g, 96, 104) != self.page_colour())
        time.sleep(0.5)  # the messenger pictures
        self.shot_window(self.name("window-contacts.png"), g)
        self.click_page(g, 52, 22)  # back to 记事本
        wait_for("the notes list", lambda: self.page_pixel(g, 96, 104) == self.page_colour())

        self.shot_note_editor(g)
        self.shot_compact(g)

    def shot_window(self, name, g):
        self.desktop.x("xdotool", "mousemove", "0", str(SCREEN[1] - 1))  # no hover marks
        time.sleep(0.3)
        self.desktop.shot(os.path.join(self.options.out, name), g)
        self.ok("wrote " + name)

    def framed(self, wid):
        """A window's box with the frame the window manager draws around it."""
        info = self.desktop.window_info(wid)
        out = self.desktop.x("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", ok_fail=True) or ""
        found = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        left, right, top, bottom = (int(v) for v in found.groups()) if found else (0, 0, 0, 0)
        return {"x": info["x"] - left, "y": info["y"] - top, "w": info["w"] + left + right,
                "h": info["h"] + top + bottom}

    def shot_note_editor(self, g):
        """The note editor over the window, opened by the list's 新增记事
        button, with a note typed; closed again without saving."""
        d = self.desktop
        self.click_page(g, 50, 104)
        editor = wait_for("the note editor", lambda: d.find(EDITOR))
        d.x("xdotool", "windowactivate", "--sync", str(editor), ok_fail=True)
        time.sleep(0.3)
        d.x("xdotool", "type", "--delay", "40", "周五项目例会")
        d.keys("Return")  # on to the body
        d.x("xdotool", "type", "--delay", "40", "1. 确认第二版设计稿")
        d.keys("Return")
        d.x("xdotool", "type", "--delay", "40", "2. 测试环境周一开放，请提前准备数据")
        e = self.framed(editor)
        left, top = min(g["x"], e["x"]), min(g["y"], e["y"])
        right = max(g["x"] + g["w"], e["x"] + e["w"])
        bottom = max(g["y"] + g["h"], e["y"] + e["h"])
        box = {"x": left, "y": top, "w": right - left, "h": bottom - top}
        self.shot_window(self.name("window-note-editor.png"), box)
        d.x("xdotool", "windowactivate", "--sync", str(editor), ok_fail=True)
        d.keys("Escape")
        try:
            wait_for("the editor to close", lambda: not d.find(EDITOR), timeout=3)
        except Failure:
            d.x("xdotool", "windowclose", str(editor), ok_fail=True)
            wait_for("the editor to close", lambda: not d.find(EDITOR))

    def shot_compact(self, g):
        """The compact view, which another program's window brings on."""
        d = self.desktop
        other = subprocess.Popen(["xmessage", "-geometry", "+0+0", "elsewhere"], env=d.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            other_wid = wait_for("another window", lambda: d.find("xmessage"))
            d.x("xdotool", "windowactivate", str(other_wid), ok_fail=True)
            # The caption gives way to the page's search field.
            top = (g["x"] + g["w"] // 2, g["y"] + round(10 * self.options.scale))
            if self.dark():
                gone = lambda: max(d.pixel(*top)) < 45
            else:
                gone = lambda: min(d.pixel(*top)) > 230
            wait_for("the compact view", gone)
            time.sleep(0.5)  # the page drops its top bar
            self.shot_window(self.name("window-compact.png"), g)
        finally:
            other.terminate()
            other.wait()


if __name__ == "__main__":
    sys.exit(main(DesktopShots))
