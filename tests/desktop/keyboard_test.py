#!/usr/bin/env python3
"""The real program driven by the keyboard alone on the Xvfb, openbox and
trayer desktop: it starts active, a note is added, found, edited and
deleted and the tabs are switched with keys only, and the notebook is read
after each step. The window is active again after each dialog closes.

usage: keyboard_test.py BIN_DIR

Exit status 0 when every check passed, 1 otherwise, 77 when a tool is missing.
"""

import os
import sqlite3
import sys
import time

from desktop import Suite, main, wait_for

EDITOR = "新增或修改内容"
CONTACTS = "通讯录"
MESSAGE = "..温馨提示.."


class KeyboardTest(Suite):
    NAME = "keyboard"
    TOOLS = ["import"]

    def scenarios(self):
        return [self.keyboard_only]

    def notes(self):
        """(title, content) of every note in the notebook, as UTF-8."""
        with sqlite3.connect(self.db) as connection:
            rows = connection.execute(
                "SELECT CAST(title AS BLOB), CAST(content AS BLOB) FROM mylist WHERE state=0 "
                "ORDER BY ID").fetchall()
        connection.close()
        return [(bytes(t or b"").decode("gb18030"), bytes(c or b"").decode("gb18030"))
                for t, c in rows]

    def active(self):
        return int(self.desktop.x("xdotool", "getactivewindow", ok_fail=True) or 0)

    def expect_active(self, wid, what):
        try:
            wait_for(what, lambda: self.active() == wid, timeout=5)
            self.ok(what)
        except Exception:
            self.expect(False, what)

    def dialog(self, title):
        return wait_for("the dialog " + title, lambda: self.desktop.find(title), timeout=10)

    def gone(self, title):
        wait_for("the dialog %s to close" % title, lambda: not self.desktop.find(title))

    def type(self, text):
        self.desktop.x("xdotool", "type", "--delay", "30", text)

    def keyboard_only(self):
        d = self.desktop
        program, wid = self.start()
        self.expect_active(wid, "the window is active after the start")

        # Ctrl+N: the note editor for a new note; type, save, close.
        d.keys("ctrl+n")
        editor = self.dialog(EDITOR)
        self.expect_active(editor, "the editor has the keys")
        self.type("kbnote")
        d.keys("Return")
        self.type("first body")
        d.keys("Tab", "Tab", "space")  # past the palette's button to 保 存
        self.dialog(MESSAGE)
        d.keys("Return")
        self.gone(MESSAGE)
        d.keys("Escape")
        self.gone(EDITOR)
        wait_for("the note saved", lambda: self.notes() == [("kbnote", "first body")])
        self.ok("Ctrl+N, typing, Tab and Space save a new note")
        self.expect_active(wid, "the window is active again after the editor closes")

        # Ctrl+F: find it; Tab on to its record, Enter opens it.
        d.keys("ctrl+f")
        self.type("kbnote")
        time.sleep(1)
        d.keys("Tab", "Return")
        self.dialog(EDITOR)
        d.keys("End")
        self.type("2")
        d.keys("Tab", "Tab", "Tab", "space")  # an edited record's editor closes on save
        self.gone(EDITOR)
        wait_for("the note edited", lambda: self.notes() == [("kbnote2", "first body")])
        self.ok("the found record opens with Enter and is saved from the keys")
        self.expect_active(wid, "the window is active again after the edit")

        # Delete asks; Enter answers 是.
        time.sleep(1)
        d.keys("Delete")
        self.dialog(MESSAGE)
        d.keys("Return")
        self.gone(MESSAGE)
        wait_for("the note deleted", lambda: self.notes() == [])
        self.ok("Delete on the focused record deletes it after the question")
        self.expect_active(wid, "the window is active again after the question")

        # Esc ends the search; Ctrl+2 shows the contacts, where Ctrl+N makes a contact.
        d.keys("Escape", "ctrl+2")
        time.sleep(1)
        d.keys("ctrl+n")
        contact = self.dialog(CONTACTS)
        self.expect(contact is not None, "Ctrl+2 then Ctrl+N opens the contact editor")
        d.keys("Escape")
        self.gone(CONTACTS)
        d.keys("ctrl+1")
        time.sleep(1)
        d.keys("ctrl+n")
        self.dialog(EDITOR)
        self.ok("Ctrl+1 then Ctrl+N opens the note editor again")
        d.keys("Escape")
        self.gone(EDITOR)
        self.expect(self.notes() == [], "nothing was saved by the editors left with Esc")
        shot = os.environ.get("KORVANE_KEYBOARD_SHOT")
        if shot:
            d.x("import", "-window", "root", shot)
        program.stop()


if __name__ == "__main__":
    sys.exit(main(KeyboardTest))
