#!/usr/bin/env python3
"""Pictures of the real program for the documentation, taken on the desktop
the desktop tests use (Xvfb, openbox, trayer; tests/desktop/desktop.py): the
window at its designed size with a few notes and contacts.

usage: tools/desktop_shots.py BIN_DIR [--out DIR] [--scale S] [--theme light|dark]
                               [--lang zh|en]

BIN_DIR holds the built program and its data files (build/release/bin). Writes
window-standard.png (the notes list), window-contacts.png,
window-note-editor.png (the note editor over the window, a note typed, closed
unsaved), window-contact-editor.png (the contact editor over the window, a
name and a telephone typed, closed unsaved), window-message.png (the delete
question over the window, answered No; the notebook is checked unchanged) and
window-compact.png into DIR (default: the project's docs/). The program runs
from a copy in a fresh folder; nothing else is touched.

--scale runs the program at that scale (QT_SCALE_FACTOR, on a screen as much
larger), --theme dark with "[ui] theme=dark" in its sys.ini and --lang en with
"[ui] language=en"; the names then carry "-en", "-dark" and "@<S>x"
(window-standard-en-dark@2x.png). tools/readme_shots.sh takes every look and
joins each look's pictures into one for the README.

Exit status 0 when every picture was written, 1 otherwise, 77 when a tool is
missing.
"""

import os
import re
import sqlite3
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "desktop"))

from desktop import (PAGE, PAGE_LEFT, PAGE_TOP, SCREEN, Failure, Suite, log,  # noqa: E402
                     main, wait_for)

# The dialogs' window titles in each language (translations/korvane_en.ts).
TITLES = {
    "zh": {"note": "新增或修改内容", "contact": "通讯录", "message": "..温馨提示.."},
    "en": {"note": "Add or edit a note", "contact": "Contact", "message": "..Notice.."},
}
# Where the 记事本 and 联系人 tabs are on the page, by language: the English
# tabs are narrower.
TABS = {"zh": {"notes": 52, "contacts": 128}, "en": {"notes": 40, "contacts": 102}}
TAB_TOP = 22
# The list's add button (新增记事 or 新增联系人), at its left end.
ADD_BUTTON = (50, 104)
# The compact view's 恢复标准窗口 button, from the window's top left corner.
RESTORE_BUTTON = (360, 17)
# The first record's bin, right of its pencil.
FIRST_BIN = (304, 144)
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
        parser.add_argument("--lang", choices=("zh", "en"), default="zh",
                            help="the texts' language (default zh)")

    # Scale, theme and language ----------------------------------------------

    def screen_size(self):
        s = max(1.0, self.options.scale)
        return (int(SCREEN[0] * s), int(SCREEN[1] * s))

    def prepare(self, root):
        super().prepare(root)
        if self.options.scale != 1:
            self.env["QT_SCALE_FACTOR"] = "%g" % self.options.scale

    def dark(self):
        return self.options.theme == "dark"

    def title(self, dialog):
        return TITLES[self.options.lang][dialog]

    def tab(self, which):
        return TABS[self.options.lang][which], TAB_TOP

    def name(self, base):
        """window-standard.png as window-standard-en-dark@2x.png and so on."""
        stem = base[:-len(".png")]
        if self.options.lang != "zh":
            stem += "-" + self.options.lang
        if self.dark():
            stem += "-dark"
        if self.options.scale != 1:
            stem += "@%gx" % self.options.scale
        return stem + ".png"

    def write_ini(self, text):
        ui = ["theme=dark"] if self.dark() else []
        if self.options.lang != "zh":
            ui.append("language=" + self.options.lang)
        super().write_ini(text + ("[ui]\n" + "".join(v + "\n" for v in ui) if ui else ""))

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
        """The notes list, the delete question, the note editor, the contacts
        list, the contact editor, the compact view."""
        d = self.desktop
        os.makedirs(self.options.out, exist_ok=True)
        d.paint_root("#7d9bbd")
        self.seed_records()
        self.write_ini("[sys]\nL=316\nT=80\nW=391\nH=570\nTra=1\nTT=0\nCNQ=1\n")
        _, wid = self.start()
        g = d.window_info(wid)
        self.wait_for_list(g)
        self.shot_window(self.name("window-standard.png"), g)
        self.shot_message(g)
        self.shot_note_editor(g)

        self.click_page(g, *self.tab("contacts"))
        # The contacts list's 新增联系人 button is wider than 新增记事.
        wait_for("the contacts list", lambda: self.page_pixel(g, 96, 104) != self.page_colour())
        time.sleep(0.5)  # the messenger pictures
        self.shot_window(self.name("window-contacts.png"), g)
        self.shot_contact_editor(g)
        self.click_page(g, *self.tab("notes"))
        wait_for("the notes list", lambda: self.page_pixel(g, 96, 104) == self.page_colour())

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

    def shot_over_window(self, name, g, dialog):
        """The dialog with its frame and the window under it, in one box."""
        e = self.framed(dialog)
        left, top = min(g["x"], e["x"]), min(g["y"], e["y"])
        right = max(g["x"] + g["w"], e["x"] + e["w"])
        bottom = max(g["y"] + g["h"], e["y"] + e["h"])
        box = {"x": left, "y": top, "w": right - left, "h": bottom - top}
        self.shot_window(self.name(name), box)

    def open_dialog(self, which, g, x, y):
        """Clicks the page at (x, y) and waits for the dialog it opens,
        which then has the keys."""
        d = self.desktop
        self.click_page(g, x, y)
        dialog = wait_for("the dialog " + self.title(which), lambda: d.find(self.title(which)))
        d.x("xdotool", "windowactivate", "--sync", str(dialog), ok_fail=True)
        time.sleep(0.3)
        return dialog

    def close_dialog(self, which, g, dialog):
        """Esc closes a dialog without saving (a question without an answer);
        the window manager's close when the dialog keeps it."""
        d = self.desktop
        title = self.title(which)
        d.x("xdotool", "windowactivate", "--sync", str(dialog), ok_fail=True)
        d.keys("Escape")
        try:
            wait_for(title + " to close", lambda: not d.find(title), timeout=3)
        except Failure:
            d.x("xdotool", "windowclose", str(dialog), ok_fail=True)
            wait_for(title + " to close", lambda: not d.find(title))
        self.back_to_window(g, title)

    def back_to_window(self, g, title):
        """The window's standard view again: the program may lose the keys
        for a moment as a dialog closes, and go compact; the compact view's
        恢复标准窗口 button, at its top right, brings the standard view back."""
        time.sleep(1)
        if self.compact(g):
            log("      the window went compact as %s closed; restoring it" % title)
            s = self.options.scale
            self.desktop.click(g["x"] + round(RESTORE_BUTTON[0] * s),
                               g["y"] + round(RESTORE_BUTTON[1] * s))
        wait_for("the standard view", lambda: not self.compact(g))
        time.sleep(0.5)  # the page brings back its top bar

    def type(self, *lines):
        """Types the lines, Return between them."""
        d = self.desktop
        for i, line in enumerate(lines):
            if i:
                d.keys("Return")
            d.x("xdotool", "type", "--delay", "40", line)

    def shot_message(self, g):
        """The delete question over the window, asked by the first record's
        bin; answered No with Esc, so the notebook stays as it was."""
        before = self.rows()
        message = self.open_dialog("message", g, *FIRST_BIN)
        self.shot_over_window("window-message.png", g, message)
        self.close_dialog("message", g, message)
        time.sleep(0.5)  # a Yes would have deleted by now
        self.expect(self.rows() == before, "the question answered No left the notebook as it was")

    def rows(self):
        """Every record of the notebook, as stored (GBK bytes)."""
        with sqlite3.connect(self.db) as connection:
            connection.text_factory = bytes
            rows = connection.execute("SELECT * FROM mylist ORDER BY ID").fetchall()
        connection.close()
        return rows

    def shot_note_editor(self, g):
        """The note editor over the window, opened by the list's 新增记事
        button, with a note typed; closed again without saving."""
        editor = self.open_dialog("note", g, *ADD_BUTTON)
        if self.options.lang == "en":
            self.type("Friday project meeting", "1. Confirm the second design draft",
                      "2. The test environment opens on Monday")
        else:
            self.type("周五项目例会", "1. 确认第二版设计稿", "2. 测试环境周一开放，请提前准备数据")
        self.shot_over_window("window-note-editor.png", g, editor)
        self.close_dialog("note", g, editor)

    def shot_contact_editor(self, g):
        """The contact editor over the window, opened by the contacts list's
        新增联系人 button, with a name and a telephone typed; closed again
        without saving."""
        d = self.desktop
        editor = self.open_dialog("contact", g, *ADD_BUTTON)
        self.type("Zhao Li" if self.options.lang == "en" else "赵丽")
        d.keys("Tab")
        self.type("137 0000 1234")
        self.shot_over_window("window-contact-editor.png", g, editor)
        self.close_dialog("contact", g, editor)

    def compact(self, g):
        """Whether the window shows its compact view: the caption has given
        way to the page's search field."""
        top = (g["x"] + g["w"] // 2, g["y"] + round(10 * self.options.scale))
        if self.dark():
            return max(self.desktop.pixel(*top)) < 45
        return min(self.desktop.pixel(*top)) > 230

    def shot_compact(self, g):
        """The compact view, which another program's window brings on."""
        d = self.desktop
        other = subprocess.Popen(["xmessage", "-geometry", "+0+0", "elsewhere"], env=d.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            other_wid = wait_for("another window", lambda: d.find("xmessage"))
            d.x("xdotool", "windowactivate", str(other_wid), ok_fail=True)
            wait_for("the compact view", lambda: self.compact(g))
            time.sleep(0.5)  # the page drops its top bar
            self.shot_window(self.name("window-compact.png"), g)
        finally:
            other.terminate()
            other.wait()


if __name__ == "__main__":
    sys.exit(main(DesktopShots))
