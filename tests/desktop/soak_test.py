#!/usr/bin/env python3
"""Kill -9 soak: the real program is started again and again on one
application folder, makes notes through its own editor, and is killed with
SIGKILL at random moments: while a note is being saved, while the first
note of the list is being deleted or edited and saved, while the start-up
backup is being written, while the settings are written on close, at any
moment while the page loads, while the open notebook is written back after
its file was deleted or replaced under the running program, and while a
backup is restored over a damaged or missing notebook after a Yes to the
start's question. After a write-back or a restore the next start is made
and every question it asks answered Yes. After every kill the files are
checked:

  * every note whose save the program confirmed is in hd/glst.mysql, unless
    a delete or an edit of the soak took it out of the list;
  * no record is lost: every record as it was before the round is still in
    the list, or (deleted) in the trash table korvane_trash, or (replaced
    by an edit) in the history table korvane_history;
  * hd/glst.mysql and every finished backup pass PRAGMA integrity_check, and
    no notebook was found damaged and put aside but those the soak damaged;
  * sys.ini, when present, is a [sys] section of whole numbers.

usage: soak_test.py BIN_DIR [--seconds N] [--seed N]

The rounds stop once N seconds (default 60) have passed; the kills are
timed from a random generator with a fixed seed (default 1), so a failing
run can be repeated. Exit status 0 when nothing was lost, 1 on any failure,
77 when a tool is missing.
"""

import configparser
import datetime
import glob
import os
import random
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import time
import urllib.parse

from desktop import NEW_NOTE_BUTTON, Failure, Suite, log, main, run, wait_for

EDITOR = "新增或修改内容"
NOTICE = r"\.\.温馨提示\.\."
SETTING_KEYS = ["L", "T", "W", "H", "Tra", "TT", "CNQ"]

# The first record's edit and delete icons, from the window's top left
# corner: from its right edge (the record box follows the window's width)
# and from its top.
EDIT_ICON = (107, 193)
DELETE_ICON = (84, 193)

# Seeded notes large enough that the start-up backup, which copies a few
# hundred kilobytes at a time with a pause between, takes long enough to be
# caught half-way.
SEED_NOTES = 1500
SEED_BODY = 4000


class Run:
    """One start of the program, in its own process group so the page
    processes it leaves behind after a SIGKILL can be ended as well."""

    def __init__(self, app_dir, env):
        self.proc = subprocess.Popen([os.path.join(app_dir, "korvane")], cwd="/", env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.started = time.monotonic()

    def running(self):
        return self.proc.poll() is None

    def kill(self):
        """SIGKILL to the program; its page processes go the same way
        afterwards, as they would once their parent has gone."""
        if self.running():
            self.proc.send_signal(signal.SIGKILL)
        self.proc.wait()
        self.reap()

    def reap(self):
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass

    def stop(self):
        if self.running():
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.reap()


class Soak(Suite):
    NAME = "soak"
    TOOLS = ["sqlite3"]

    @staticmethod
    def add_arguments(parser):
        parser.add_argument("--seconds", type=int, default=60,
                            help="start no round after N seconds (default 60)")
        parser.add_argument("--seed", type=int, default=1,
                            help="the seed of the kills' timing (default 1)")

    def __init__(self, bin_dir, options):
        super().__init__(bin_dir, options)
        self.seconds = options.seconds
        self.seed = options.seed
        self.rng = random.Random(self.seed)
        self.confirmed = []  # titles whose save the program confirmed
        self.attempted = []  # titles whose save was cut short by a kill
        self.counter = 0
        self.kills = {"save": 0, "backup": 0, "settings": 0, "loading": 0, "write-back": 0,
                      "restore": 0, "delete": 0, "edit": 0}
        self.deleted = 0  # records a delete of the soak took out of the list
        self.replaced = 0  # versions an edit of the soak replaced
        self.damaged_by_soak = 0
        self.questions = 0
        self.caught = {"backup": 0, "settings": 0, "save": 0, "delete": 0, "edit": 0}
        self.rounds = 0
        self.closed_cleanly = 0
        self.landed = 0
        self.clicks = []

    # Setup -------------------------------------------------------------------

    def scenarios(self):
        return [self.soak, self.last_round]

    def prepare(self, root):
        super().prepare(root)
        self.backups = os.path.join(self.hd, "backup")
        shutil.copy2(os.path.join(self.hd, "glst.mysql.root"), self.db)
        body = ("seeded body text " * (SEED_BODY // 17 + 1))[:SEED_BODY]
        with sqlite3.connect(self.db) as connection:
            connection.executemany(
                "INSERT INTO mylist(title,tel,content,state,cre_date) VALUES(?,'',?,0,?)",
                [("seed-%d" % n, body, "2026-01-01 00:00:%02d" % (n % 60))
                 for n in range(SEED_NOTES)])
        connection.close()
        # The window's place, so a close writes known values.
        self.write_ini("[sys]\nL=300\nT=40\nW=391\nH=600\nTra=0\nTT=0\nCNQ=0\n")

    # The program -------------------------------------------------------------

    def start(self):
        program = Run(self.app, self.env)
        self.programs.append(program)
        return program

    def wait_window(self, program):
        wid = wait_for("the main window", lambda: self.main_window() or
                       (not program.running() and "gone"), timeout=30)
        if wid == "gone":
            raise Failure("the program ended at start (status %s)" % program.proc.returncode)
        return self.desktop.window_info(wid)

    def open_editor(self, g):
        """The list's 新增记事 button; the page answers once it has loaded,
        a second or two after the show, so the click is repeated until then."""
        d = self.desktop
        end = time.monotonic() + 15
        while time.monotonic() < end:
            d.click(g["x"] + NEW_NOTE_BUTTON[0], g["y"] + NEW_NOTE_BUTTON[1])
            try:
                return wait_for("the note editor", lambda: d.find(EDITOR), timeout=1.0,
                                step=0.05)
            except Failure:
                pass
        raise Failure("the note editor did not open")

    def type_note(self, editor, wait=True):
        """Types a new title into the editor and presses 保 存; the title.
        Without `wait` the press is on its way when this returns (the xdotool
        call runs on), so what follows it can be timed closely."""
        d = self.desktop
        self.counter += 1
        title = "soak-%d" % self.counter
        e = d.window_info(editor)
        d.x("xdotool", "windowactivate", "--sync", str(editor), ok_fail=True)
        d.click(e["x"] + 8 + 39 + 100, e["y"] + 8 + 16 + 10)  # the title field
        d.x("xdotool", "key", "ctrl+a", "BackSpace")
        d.x("xdotool", "type", "--delay", "5", title)
        # The buttons keep their distance to the bottom right corner of the
        # editor, which is fitted over the main window.
        self.press(e["x"] + e["w"] - 156 + 37, e["y"] + e["h"] - 30 + 12, wait)  # 保 存
        return title

    def press(self, x, y, wait=True):
        """A click; without `wait` the running xdotool is returned."""
        click = subprocess.Popen(["xdotool", "mousemove", str(x), str(y), "click", "1"],
                                 env=self.desktop.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        if wait:
            click.wait(timeout=10)
            return None
        self.clicks.append(click)
        return click

    def read(self, query):
        """Rows of a query over the notebook, texts as their stored bytes.
        Read-write, never made: a kill may leave a journal to roll back, as
        the sqlite3 shell of the other checks does too."""
        connection = sqlite3.connect("file:%s?mode=rw" % urllib.parse.quote(self.db), uri=True)
        connection.text_factory = bytes
        try:
            return connection.execute(query).fetchall()
        except sqlite3.OperationalError as e:
            if "no such table" in str(e):
                return []
            raise
        finally:
            connection.close()

    def record_count(self):
        return self.read("SELECT count(*) FROM mylist")[0][0]

    def records(self):
        """Every record of the list: (number, title, content, telephone)."""
        return set(self.read("SELECT ID,title,content,tel FROM mylist"))

    def kept_copies(self, table):
        return set(self.read("SELECT record,title,content,tel FROM %s" % table))

    def titles(self):
        out = run(["sqlite3", self.db, "SELECT title FROM mylist"], check=True)
        return set(out.splitlines())

    def save(self, editor):
        """One save through the editor. The program answers with its notice;
        the save counts as confirmed when the note is then in the file (a
        failed save answers with a notice as well, and leaves nothing)."""
        d = self.desktop
        title = self.type_note(editor)
        notice = wait_for("the notice after a save", lambda: d.find(NOTICE), timeout=10,
                          step=0.03)
        if title in self.titles():
            self.confirmed.append(title)
        else:
            log("      the save of %s was answered but not written (a refusal)" % title)
        d.x("xdotool", "windowactivate", "--sync", str(notice), ok_fail=True)
        d.x("xdotool", "key", "Return")
        wait_for("the notice to close", lambda: not d.find(NOTICE), timeout=5, step=0.03)
        return title

    def close_editor(self, editor):
        d = self.desktop
        e = d.window_info(editor)
        d.x("xdotool", "windowactivate", "--sync", str(editor), ok_fail=True)
        d.click(e["x"] + e["w"] - 82 + 37, e["y"] + e["h"] - 30 + 12)  # 关 闭
        wait_for("the editor to close", lambda: not d.find(EDITOR), timeout=5, step=0.05)

    # The kills ---------------------------------------------------------------

    def kill_during_save(self):
        """A few confirmed saves, then one more cut short: half the time at a
        random moment after the press, half the time as soon as the notebook's
        rollback journal shows the write under way."""
        program = self.start()
        g = self.wait_window(program)
        editor = self.open_editor(g)
        for _ in range(self.rng.randint(1, 3)):
            self.save(editor)
        on_journal = self.rng.random() < 0.5
        delay = self.rng.uniform(0.0, 0.15)
        title = self.type_note(editor, wait=False)
        journal = self.db + "-journal"
        pressed = time.monotonic()
        while time.monotonic() - pressed < (2.0 if on_journal else delay):
            if on_journal and os.path.exists(journal):
                break
            time.sleep(0.0005)
        midway = os.path.exists(journal)
        program.kill()
        self.attempted.append(title)
        self.kills["save"] += 1
        if midway:
            self.caught["save"] += 1
        return "a save of %s (%s)" % (title, "journal open" if midway else "no journal open")

    def click_first_record(self, g, icon, what, found):
        """Clicks an icon of the list's first record until `found` answers;
        the page takes its list a second or so after the show."""
        d = self.desktop
        end = time.monotonic() + 15
        while time.monotonic() < end:
            d.click(g["x"] + g["w"] - icon[0], g["y"] + icon[1])
            try:
                return wait_for(what, found, timeout=1.0, step=0.05)
            except Failure:
                pass
        raise Failure("%s did not come" % what)

    def kill_when_written(self, program, start_write):
        """Starts the write (`start_write` returns at once) and kills the
        program half the time at a random moment shortly after, half the
        time as soon as the notebook's rollback journal shows the write under
        way; true when the journal was seen."""
        on_journal = self.rng.random() < 0.5
        delay = self.rng.uniform(0.0, 0.15)
        start_write()
        journal = self.db + "-journal"
        pressed = time.monotonic()
        while time.monotonic() - pressed < (2.0 if on_journal else delay):
            if on_journal and os.path.exists(journal):
                break
            time.sleep(0.0005)
        midway = os.path.exists(journal)
        program.kill()
        return midway

    def kill_during_delete(self):
        """The first record of the list deleted through its icon and the
        Yes to the question, now and then once in whole, then once more cut
        short by the kill."""
        program = self.start()
        g = self.wait_window(program)
        self.wait_for_list(g)
        d = self.desktop

        def ask():
            return self.click_first_record(g, DELETE_ICON, "the delete question",
                                           lambda: d.find(NOTICE))

        if self.rng.random() < 0.3:
            count = self.record_count()
            question = ask()
            d.x("xdotool", "windowactivate", "--sync", str(question), ok_fail=True)
            d.x("xdotool", "key", "Return")  # Yes has the focus
            wait_for("the delete", lambda: self.record_count() < count, timeout=10, step=0.05)
            time.sleep(1.0)  # the list shows again
        question = ask()
        d.x("xdotool", "windowactivate", "--sync", str(question), ok_fail=True)
        midway = self.kill_when_written(program, lambda: self.keys_now("Return"))
        self.kills["delete"] += 1
        if midway:
            self.caught["delete"] += 1
        return "a delete (%s)" % ("journal open" if midway else "no journal open")

    def kill_during_edit(self):
        """The first record of the list opened in the editor, its title typed
        over and saved, now and then once in whole (the editor closes and the
        record moves to the top), then once more cut short by the kill."""
        program = self.start()
        g = self.wait_window(program)
        self.wait_for_list(g)
        d = self.desktop

        def edit():
            return self.click_first_record(g, EDIT_ICON, "the note editor", lambda: d.find(EDITOR))

        if self.rng.random() < 0.3:
            self.type_note(edit())
            wait_for("the editor to close", lambda: not d.find(EDITOR), timeout=5, step=0.05)
            time.sleep(1.0)  # the list shows again
        editor = edit()
        titles = []
        midway = self.kill_when_written(
            program, lambda: titles.append(self.type_note(editor, wait=False)))
        self.attempted.append(titles[0])
        self.kills["edit"] += 1
        if midway:
            self.caught["edit"] += 1
        return "an edit saved as %s (%s)" % (titles[0], "journal open" if midway
                                              else "no journal open")

    def keys_now(self, *keys):
        """Presses keys; the xdotool call runs on when this returns."""
        press = subprocess.Popen(["xdotool", "key"] + list(keys), env=self.desktop.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.clicks.append(press)

    def backup_temporaries(self):
        try:
            return [n for n in os.listdir(self.backups) if n.endswith(".tmp")]
        except FileNotFoundError:
            return []

    def kill_during_backup(self):
        """Removes today's backup so the start writes it again, and kills the
        program once its temporary copy has appeared (or, when it is not seen,
        at a random moment shortly after start)."""
        for path in glob.glob(os.path.join(self.backups, "glst-*.mysql")):
            os.remove(path)
        program = self.start()
        fallback = program.started + self.rng.uniform(0.05, 0.5)
        seen = None
        end = time.monotonic() + 30
        while time.monotonic() < end and program.running():
            now = time.monotonic()
            if self.backup_temporaries():
                seen = now
                break
            if now > fallback and self.finished_backup():
                break
            time.sleep(0.002)
        if seen is not None:
            time.sleep(self.rng.uniform(0.0, 0.08))
        elif time.monotonic() < fallback:
            time.sleep(fallback - time.monotonic())
        midway = bool(self.backup_temporaries())
        program.kill()
        self.kills["backup"] += 1
        if midway:
            self.caught["backup"] += 1
        return "the start-up backup (%s)" % ("half-written" if midway else "not caught writing")

    def finished_backup(self):
        return glob.glob(os.path.join(self.backups, "glst-*.mysql"))

    def kill_during_settings(self):
        """Makes a note now and then, closes the editor and presses the
        caption's exit button, which writes sys.ini key by key, each key by a
        new file moved into place. The kill comes once a random number of
        those writes (none to all seven) has been seen."""
        program = self.start()
        g = self.wait_window(program)
        if self.rng.random() < 0.5:
            editor = self.open_editor(g)
            self.save(editor)
            self.close_editor(editor)
        self.desktop.x("xdotool", "windowactivate", "--sync", str(self.main_window()),
                       ok_fail=True)
        before = self.ini_bytes()
        writes = self.rng.randint(0, len(SETTING_KEYS))
        identity = self.ini_identity()
        seen = 0
        self.press(g["x"] + g["w"] - 26 + 9, g["y"] + 14, wait=False)  # the exit button
        end = time.monotonic() + 5
        while seen < writes and program.running() and time.monotonic() < end:
            now = self.ini_identity()
            if now != identity:
                identity = now
                seen += 1
            else:
                time.sleep(0.0002)
        ended = not program.running()
        program.kill()
        self.kills["settings"] += 1
        if ended:
            self.closed_cleanly += 1
            if program.proc.returncode == 0 and self.ini_bytes() != before:
                raise Failure("a clean close changed sys.ini: %r" % self.ini_bytes())
        elif seen:
            self.caught["settings"] += 1
        return "the settings write (after %d of %d key writes seen%s)" % (
            seen, writes, ", the program had already ended" if ended else "")

    def ini_identity(self):
        try:
            st = os.stat(self.ini)
            return (st.st_ino, st.st_mtime_ns, st.st_size)
        except FileNotFoundError:
            return None

    def kill_while_loading(self):
        program = self.start()
        time.sleep(self.rng.uniform(0.3, 3.0))
        program.kill()
        self.kills["loading"] += 1
        return "a start (page loading)"

    def replace_or_delete_notebook(self):
        """What a sync tool or a cleaner does to the file under the running
        program: deletes it, or puts another notebook in its place."""
        if self.rng.random() < 0.5:
            os.remove(self.db)
            return "deleted"
        other = self.db + ".elsewhere"
        shutil.copy2(os.path.join(self.hd, "glst.mysql.root"), other)
        with sqlite3.connect(other) as connection:
            connection.execute("INSERT INTO mylist(title,tel,content,state,cre_date) "
                               "VALUES('from elsewhere','','',0,'2026-01-01 00:00:00')")
        connection.close()
        os.replace(other, self.db)
        return "replaced"

    def kill_during_write_back(self):
        """A confirmed save, then the notebook's file is deleted or replaced,
        and the next save writes the open notebook back; the kill comes at a
        random moment after the press, or as soon as the copy on its way in
        shows. The next start is answered Yes to whatever it asks."""
        program = self.start()
        g = self.wait_window(program)
        editor = self.open_editor(g)
        self.save(editor)
        how = self.replace_or_delete_notebook()
        on_copy = self.rng.random() < 0.5
        delay = self.rng.uniform(0.0, 0.3)
        title = self.type_note(editor, wait=False)
        staging = os.path.join(self.hd, "glst.mysql.restoring")
        pressed = time.monotonic()
        while time.monotonic() - pressed < (2.0 if on_copy else delay):
            if on_copy and os.path.exists(staging):
                break
            time.sleep(0.0005)
        program.kill()
        self.attempted.append(title)
        self.kills["write-back"] += 1
        self.recover()
        return "the write-back of a %s notebook (%s)" % (
            how, "copy seen" if on_copy else "after %.0f ms" % (delay * 1000))

    def kill_during_restore(self):
        """Today's backup holds every confirmed note; the notebook is then
        damaged or deleted, the start asks whether to restore, the soak
        answers Yes and kills the program at a random moment of the restore
        or as soon as the restore's copy shows. The next start is answered
        Yes to whatever it asks."""
        for path in glob.glob(os.path.join(self.backups, "glst-*.mysql")):
            os.remove(path)
        os.makedirs(self.backups, exist_ok=True)
        today = os.path.join(self.backups, "glst-%s.mysql" % datetime.date.today().isoformat())
        run(["sqlite3", self.db, ".backup '%s'" % today], check=True)
        damaged = self.rng.random() < 0.5
        if damaged:
            with open(self.db, "r+b") as f:
                f.seek(0)  # the header too: no start can take it for whole
                f.write(b"\x5a" * 4096 * 8)
            self.damaged_by_soak += 1
        else:
            os.remove(self.db)
        program = self.start()
        d = self.desktop
        notice = wait_for("the question at start", lambda: d.find(NOTICE) or
                          (not program.running() and "gone"), timeout=30, step=0.03)
        if notice == "gone":
            raise Failure("the program ended at start (status %s)" % program.proc.returncode)
        self.questions += 1
        incoming = os.path.join(self.hd, "glst.mysql.restoring.backup")
        on_copy = self.rng.random() < 0.5
        delay = self.rng.uniform(0.0, 0.2)
        d.x("xdotool", "windowactivate", "--sync", str(notice), ok_fail=True)
        d.x("xdotool", "key", "Return")  # Yes has the focus
        pressed = time.monotonic()
        while time.monotonic() - pressed < (2.0 if on_copy else delay):
            if on_copy and os.path.exists(incoming):
                break
            time.sleep(0.0005)
        program.kill()
        self.kills["restore"] += 1
        self.recover()
        return "a restore over a %s notebook (%s)" % (
            "damaged" if damaged else "missing",
            "copy seen" if on_copy else "after %.0f ms" % (delay * 1000))

    def recover(self):
        """The next start: every question it asks is answered Yes; once the
        window has stood a moment with nothing more to ask, it is ended."""
        program = self.start()
        self.wait_window(program)
        d = self.desktop
        quiet_since = time.monotonic()
        end = time.monotonic() + 30
        while time.monotonic() < end and time.monotonic() - quiet_since < 2.0:
            notice = d.find(NOTICE)
            if notice:
                self.questions += 1
                d.x("xdotool", "windowactivate", "--sync", str(notice), ok_fail=True)
                d.x("xdotool", "key", "Return")
                wait_for("the question to close", lambda: not d.find(NOTICE), timeout=10,
                         step=0.05)
                quiet_since = time.monotonic()
            time.sleep(0.05)
        program.kill()

    # The checks --------------------------------------------------------------

    def stray_ini_copies(self):
        return [n for n in os.listdir(self.app) if n.startswith("sys.ini.")]

    def ini_bytes(self):
        try:
            with open(self.ini, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def check_ini(self, moment):
        raw = self.ini_bytes()
        if raw is None:
            return
        text = raw.decode("latin-1")
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        try:
            parser.read_string(text)
        except configparser.Error as e:
            raise Failure("sys.ini does not parse after a kill during %s: %s\n%r"
                          % (moment, e, text))
        sections = [s for s in parser.sections() if s.lower() == "sys"]
        if not sections:
            raise Failure("sys.ini has no [sys] section after a kill during %s: %r"
                          % (moment, text))
        values = parser[sections[0]]
        for key, value in values.items():
            if not re.fullmatch(r"-?\d+", value.strip()):
                raise Failure("sys.ini key %s is not a number after a kill during %s: %r"
                              % (key, moment, text))
        missing = [k for k in SETTING_KEYS if k not in values]
        if missing:
            raise Failure("sys.ini lost %s after a kill during %s: %r"
                          % (", ".join(missing), moment, text))

    def check_kept(self, moment, before):
        """Every record as it was before the round is in the list, in the
        trash or in the history; the confirmed notes a delete or an edit
        took out of the list are owed no longer."""
        now = self.records()
        trash = self.kept_copies("korvane_trash")
        history = self.kept_copies("korvane_history")
        lost = [r for r in before if r not in now and r not in trash and r not in history]
        numbers = {r[0]: r for r in now}
        if lost:
            raise Failure("records lost after a kill during %s (in neither the list, the trash "
                          "nor the history): %s" % (moment, ", ".join(
                              "%d %r (now %r)" % (r[0], r[1], numbers.get(r[0], (0, None))[1])
                              for r in sorted(lost))))
        gone = [r for r in before if r not in now]
        self.deleted += sum(1 for r in gone if r[0] not in numbers)
        self.replaced += sum(1 for r in gone if r[0] in numbers)
        taken = {r[1].decode("latin-1") for r in gone if isinstance(r[1], bytes)}
        self.confirmed = [t for t in self.confirmed if t not in taken]

    def check_files(self, moment):
        integrity = run(["sqlite3", self.db, "PRAGMA integrity_check"], check=True).strip()
        if integrity != "ok":
            raise Failure("the notebook fails its integrity check after a kill during %s: %s"
                          % (moment, integrity))
        present = self.titles()
        lost = [t for t in self.confirmed if t not in present]
        if lost:
            raise Failure("confirmed saves lost after a kill during %s: %s"
                          % (moment, ", ".join(lost)))
        self.landed = sum(1 for t in self.attempted if t in present)
        strange = [t for t in present if not re.fullmatch(r"(seed|soak)-\d+", t)]
        if strange:
            raise Failure("titles no save wrote, after a kill during %s: %r" % (moment, strange))
        damaged = glob.glob(os.path.join(self.hd, "glst.mysql.damaged-*"))
        if len(damaged) > self.damaged_by_soak:
            raise Failure("the program found the notebook damaged (kept aside: %s)"
                          % ", ".join(sorted(os.path.basename(p) for p in damaged)))
        for backup in self.finished_backup():
            result = run(["sqlite3", backup, "PRAGMA integrity_check"], check=True).strip()
            if result != "ok":
                raise Failure("the backup %s fails its integrity check after a kill during %s"
                              % (os.path.basename(backup), moment))
        self.check_ini(moment)

    # The run -----------------------------------------------------------------

    def soak(self):
        kinds = [self.kill_during_save, self.kill_during_backup, self.kill_during_settings,
                 self.kill_during_write_back, self.kill_during_restore,
                 self.kill_during_delete, self.kill_during_edit]
        plan = []
        end = time.monotonic() + self.seconds
        while time.monotonic() < end:
            if not plan:
                plan = kinds[:] + ([self.kill_while_loading] if self.rng.random() < 0.5 else [])
                self.rng.shuffle(plan)
            before = self.records()
            moment = plan.pop()()
            self.rounds += 1
            self.check_kept(moment, before)
            self.check_files(moment)
            self.ok("round %d: killed during %s; %d confirmed saves kept"
                    % (self.rounds, moment, len(self.confirmed)))

    def last_round(self):
        """A start after all the kills: the program opens the notebook as it
        is, every confirmed note is there, and a close writes whole settings."""
        program = self.start()
        g = self.wait_window(program)
        editor = self.open_editor(g)
        self.save(editor)
        self.close_editor(editor)
        self.desktop.x("xdotool", "windowactivate", "--sync", str(self.main_window()),
                       ok_fail=True)
        self.desktop.click(g["x"] + g["w"] - 26 + 9, g["y"] + 14)  # the exit button
        try:
            status = program.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the exit button")
        program.reap()
        self.rounds += 1
        self.check_files("nothing (the last, clean run)")
        expected = "[sys]\nL=%d\nT=%d\nW=%d\nH=%d\nTra=0\nTT=0\nCNQ=0\n" % (
            g["x"], g["y"], g["w"], g["h"])
        if status != 0 or (self.ini_bytes() or b"").decode("latin-1") != expected:
            raise Failure("the last close wrote %r (status %s), not %r"
                          % (self.ini_bytes(), status, expected))
        self.ok("the last run kept all %d confirmed saves and wrote whole settings"
                % len(self.confirmed))

    def cleanup(self):
        for click in self.clicks:
            if click.poll() is None:
                click.kill()
            click.wait()

    def describe_failure(self):
        return ["seed %d, after %d rounds, %d kills" % (self.seed, self.rounds,
                                                        sum(self.kills.values()))]

    def summary(self, seconds):
        k = self.kills
        c = self.caught
        return ("%d rounds, %d kills (%d during a save, %d during a delete, %d during an edit, "
                "%d during the start-up backup, %d during the settings write, %d while loading, "
                "%d during a write-back, %d during a restore); caught mid-write: %d saves, "
                "%d deletes, %d edits, %d backups, %d settings; %d questions answered Yes; "
                "%d confirmed saves all kept, %d cut short of which %d were written; %d records "
                "deleted into the trash, %d versions replaced into the history; seed %d, %.1f s"
                % (self.rounds, sum(k.values()), k["save"], k["delete"], k["edit"], k["backup"],
                   k["settings"], k["loading"], k["write-back"], k["restore"], c["save"],
                   c["delete"], c["edit"], c["backup"], c["settings"], self.questions,
                   len(self.confirmed), len(self.attempted), self.landed, self.deleted,
                   self.replaced, self.seed, seconds))


if __name__ == "__main__":
    sys.exit(main(Soak))
