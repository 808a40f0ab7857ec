#!/usr/bin/env python3
"""`korvane --sync` against real CalDAV/CardDAV servers.

usage: sync_test.py BIN_DIR SCENARIO [--seconds N] [--seed N]

BIN_DIR holds the built program and its data (build/<preset>/bin). Each run
copies the program into application folders of its own (as the interop
tests do), seeds their notebooks with the sqlite3 shell, writes the account
into their sys.ini, and runs `korvane --sync --password-file FILE` with a
home, settings and time zone of the run's own. The servers run on
127.0.0.1 on free ports in a temporary folder, each behind a proxy that logs
every request the program sends and injects faults; a "phone" on the same
account changes items on the server directly.

  fixtures   the servers, the proxy and the phone on their own: an item
             round trip on each server, every fault the proxy injects, and
             authentication at the proxy (no program needed)
  radicale   first upload, a second notebook gets everything exact, the
  xandikos   phone's adds, edits and deletes arrive exact, the program's
             edits keep what the phone added, a sync with nothing (or one
             note) changed sends few requests, collections renamed on the
             phone are found again
  conflicts  both sides changed between two syncs: edit/edit, edit/delete,
             delete/edit, delete/delete; an upload that landed unrecorded; a
             kill right after the upload of a new record or of an edit, then
             an edit or a delete here (Radicale)
  faults     401, 403, 500, 507, timeouts, the server killed mid-sync, cut and
             lost connections and an empty listing each end the sync with a
             one-line reason (or, where the program may fetch again at once,
             are got past); the next sync finishes and nothing is lost or
             doubled; a password file others may read is refused; a mass
             delete stops with exit 3 until --confirm-deletes (Radicale)
  bytes      random GBK and GB18030 texts, 0x80, CR LF, long texts and bytes
             that are no character go up and come down into an empty
             notebook byte for byte (both servers)
  soak       the program killed (SIGKILL) at random moments of its syncs
             (--seconds, default 30) while the phone and the notebook change
             records; then both sides hold every record exactly once and the
             same (Radicale)

Checks that fail without making the rest meaningless are reported and the
run goes on; the summary lists them.
Exit status 0 when every check passed, 1 otherwise.
"""

import calendar
import collections
import contextlib
import os
import random
import signal
import subprocess
import sys
import time
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "interop"))

import davfixtures as dav  # noqa: E402
from interop_test import CONTACTS, NOTES, Failure, Harness, run, stored  # noqa: E402

NOTE_BOOK = "Korvane 记事"
CARD_BOOK = "Korvane 联系人"
FROM_ELSEWHERE = "（来自其他设备）"
TZ_OFFSET = 8 * 3600  # Asia/Shanghai, the runs' time zone (no daylight saving)


def readable(data):
    """Stored bytes as text: GBK, 0x80 the euro sign, GB18030's four-byte
    forms for what GBK lacks (the inverse of `stored`)."""
    out, i = [], 0
    while i < len(data):
        b = data[i]
        if b < 0x80:
            out.append(chr(b))
            i += 1
        elif b == 0x80:
            out.append("€")
            i += 1
        else:
            size = 4 if i + 1 < len(data) and 0x30 <= data[i + 1] <= 0x39 else 2
            try:
                out.append(data[i:i + size].decode("gbk" if size == 2 else "gb18030"))
            except UnicodeDecodeError:
                out.append(data[i:i + size].decode("gb18030", errors="replace"))
            i += size
    return "".join(out).replace("\r\n", "\n")


def local_time(utc_stamp):
    """A UTC stamp (YYYYMMDDTHHMMSSZ) as the notebook stores a local time."""
    seconds = calendar.timegm(time.strptime(utc_stamp, "%Y%m%dT%H%M%SZ"))
    return time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(seconds + TZ_OFFSET))


def sql_text(value):
    return "CAST(x'%s' AS TEXT)" % stored(value).hex()


class SyncHarness(Harness):
    """Application folders on accounts of real servers, and the checks."""

    def __init__(self, bin_dir):
        super().__init__(bin_dir)
        self.env["TZ"] = "Asia/Shanghai"
        self.password_file = os.path.join(self.root, "password")
        with open(os.open(self.password_file, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(dav.PASSWORD + "\n")
        self.accounts = []
        self.apps = {}  # folder -> its account
        self.failed = []  # checks that failed without ending the run
        self.clock = 0

    def close(self):
        for account in self.accounts:
            account.close()
        super().close()

    def account(self, kind):
        account = dav.Account(kind, os.path.join(self.root, "%s-%d" % (kind, len(self.accounts))))
        self.accounts.append(account)
        return account

    def app(self, name, account, records=(), timeout=None):
        """A new application folder on the account, its notebook seeded."""
        app = self.app_folder(name)
        if records:
            self.seed(app, records)
        with open(os.path.join(app, "sys.ini"), "w") as f:
            f.write("[sync]\nurl=%s\nuser=%s\n" % (account.url, dav.USER))
            if timeout:
                f.write("timeout=%d\n" % timeout)
        self.apps[app] = account
        return app

    def now(self):
        """A save time later than every one before (as a save stores it)."""
        self.clock += 1
        return time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(1796000000 + self.clock * 61))

    def expect_same(self, got, wanted, text):
        """Two lists equal; else the first differing elements and where in
        their texts they part."""
        if got == wanted:
            return self.ok(text)
        lines = ["%s: %d against %d elements" % (text, len(got), len(wanted))]
        pairs = [(g, w) for g, w in zip(got, wanted) if g != w][:3]
        for g, w in pairs:
            for field, (x, y) in enumerate(zip(g, w)):
                if x == y:
                    continue
                at = next((i for i, (p, q) in enumerate(zip(x, y)) if p != q),
                          min(len(x), len(y))) if isinstance(x, str) else 0
                lines.append("  field %d at %d: got %r, wanted %r" % (
                    field, at, x[max(0, at - 10):at + 10] if isinstance(x, str) else x,
                    y[max(0, at - 10):at + 10] if isinstance(y, str) else y))
        raise Failure("\n".join(lines))

    def expect_records(self, got, wanted, text):
        """Two collections of records equal as multisets; else what is
        missing and what is extra (a doubled record shows as extra)."""
        have, want = collections.Counter(got), collections.Counter(wanted)
        if have == want:
            return self.ok(text)
        raise Failure("%s\n  missing: %r\n  extra:   %r" % (text, sorted((want - have).elements()),
                                                          sorted((have - want).elements())))

    @contextlib.contextmanager
    def soft(self):
        """Checks whose failure is reported while the run goes on."""
        try:
            yield
        except Failure as failure:
            self.failed.append(str(failure).splitlines()[0])
            print("FAIL  %s" % failure, flush=True)

    def check(self, condition, text):
        """A check whose failure is reported while the run goes on, so that
        one fault of the program does not hide the others."""
        if condition:
            self.ok(text)
        else:
            self.failed.append(text)
            print("FAIL  " + text, flush=True)

    def check_reason(self, what):
        """The last failed sync said why on stderr: one line of UTF-8, the
        last one."""
        raw = self.last_stderr.strip()
        try:
            text = raw.decode("utf-8")
            utf8 = True
        except UnicodeDecodeError:
            text, utf8 = raw.decode("utf-8", errors="replace"), False
        lines = text.splitlines()
        self.expect(bool(lines), "%s: the sync says why on stderr (%s)"
                    % (what, lines[-1] if lines else ""))
        self.check(utf8, "%s: stderr is UTF-8 text (got %r)" % (what, raw[:120]))
        # The program's log lines ("korvane.store: ...") may come before it.
        others = [line for line in lines[:-1] if not line.startswith("korvane.")]
        self.check(not others, "%s: the reason is one line, after log lines only (got %r)"
                   % (what, lines))
        return lines[-1]

    # The program ---------------------------------------------------------

    def start_sync(self, app, *options, password_file=None):
        return subprocess.Popen([os.path.join(app, "korvane"), "--sync", "--password-file",
                                 password_file or self.password_file, *options], env=self.env,
                                cwd=self.root, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def sync(self, app, *options, expect=0, what="", password_file=None):
        """Runs one sync; its exit status must be `expect` (0), or non-zero
        when expect is "fail", any end but a crash when None. Returns (status,
        stderr text)."""
        account = self.apps[app]
        mark = account.proxy.mark()
        process = self.start_sync(app, *options, password_file=password_file)
        try:
            out, err = process.communicate(timeout=90)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            raise Failure("korvane --sync %s did not end within 90 s; requests:\n%s"
                          % (what, self.request_log(account, mark)))
        self.last_stderr = err
        err = err.decode("utf-8", errors="replace").strip()
        status = process.returncode
        good = (expect is None or (status != 0 if expect == "fail" else status == expect)) \
            and status >= 0
        if not good:
            raise Failure("korvane --sync %s exited %d (wanted %s): %s\nrequests:\n%s"
                          % (" ".join(options) + what, status, expect, err or "(no stderr)",
                             self.request_log(account, mark)))
        self.last_requests = account.proxy.since(mark)
        return status, err

    @staticmethod
    def request_log(account, mark=0, last=40):
        entries = account.proxy.since(mark)
        lines = ["  %r" % r for r in entries[-last:]]
        if len(entries) > last:
            lines.insert(0, "  (%d earlier)" % (len(entries) - last))
        return "\n".join(lines) or "  (none)"

    # The notebook --------------------------------------------------------

    def sql(self, app, statement):
        return run(["sqlite3", "-separator", "|", self.notebook(app), statement])

    def records(self, app):
        """[(state, title, content, tel, date)] as text, content with "\n"."""
        out = self.sql(app, "SELECT state, hex(title), hex(content), hex(tel), hex(cre_date) "
                            "FROM mylist ORDER BY ID")
        return [(int(s),) + tuple(readable(bytes.fromhex(v)) for v in rest)
                for s, *rest in (line.split("|") for line in out.splitlines())]

    def find(self, app, title):
        return [r for r in self.records(app) if r[1] == title]

    def edit(self, app, title, content=None, tel=None, new_title=None):
        """Changes one record as a save does (its time moves to now)."""
        fields = ["cre_date=" + sql_text(self.now())]
        for column, value in (("title", new_title), ("content", content), ("tel", tel)):
            if value is not None:
                fields.append("%s=%s" % (column, sql_text(value)))
        changed = self.sql(app, "UPDATE mylist SET %s WHERE title=%s; SELECT changes();"
                           % (",".join(fields), sql_text(title))).strip()
        if changed != "1":
            raise Failure("the test's edit of %r changed %s records" % (title, changed))

    def delete(self, app, title):
        """Deletes one record as the program does: a copy into the trash."""
        self.sql(app, "BEGIN; CREATE TABLE IF NOT EXISTS korvane_trash(record INTEGER NOT NULL,"
                      "title,content,tel,state,cre_date,deleted_at INTEGER NOT NULL);"
                      "INSERT INTO korvane_trash SELECT ID,title,content,tel,state,cre_date,"
                      "strftime('%%s','now') FROM mylist WHERE title=%s;"
                      "DELETE FROM mylist WHERE title=%s; COMMIT;"
                      % (sql_text(title), sql_text(title)))

    def add(self, app, title, content, tel=None):
        self.seed(app, [(title, tel, content, self.now())])

    def trash(self, app):
        if "korvane_trash" not in self.sql(app, "SELECT name FROM sqlite_master"):
            return []
        out = self.sql(app, "SELECT state, hex(title), hex(content), hex(tel), hex(cre_date) "
                            "FROM korvane_trash")
        return [(int(s),) + tuple(readable(bytes.fromhex(v)) for v in rest)
                for s, *rest in (line.split("|") for line in out.splitlines())]

    def sync_items(self, app):
        """[(kind, uid, href, etag)] of the program's record of synced items."""
        out = self.sql(app, "SELECT kind, uid, ifnull(href,''), ifnull(etag,'') "
                            "FROM kv_sync_item")
        return [tuple(line.split("|")) for line in out.splitlines()]

    def expect_intact(self, app, what):
        self.expect_equal(self.sql(app, "PRAGMA integrity_check").strip(), "ok",
                          "PRAGMA integrity_check of the notebook " + what)

    # The server ----------------------------------------------------------

    def collections(self, account):
        """(notes collection, contacts collection), each exactly once."""
        return (account.phone.collection("calendar", NOTE_BOOK),
                account.phone.collection("addressbook", CARD_BOOK))

    def server_items(self, account):
        """{href: Item} of both collections."""
        notes, cards = self.collections(account)
        items = account.phone.items(notes)
        items.update(account.phone.items(cards))
        return items

    @staticmethod
    def item_record(item):
        """(state, title, content, tel) of a server item."""
        if item.value("FN") is not None or any(l.upper() == "BEGIN:VCARD" for l in item.lines):
            tels = item.values("TEL")
            return (1, item.value("FN") or "", item.value("NOTE") or "",
                    dav.unescape(tels[0]) if tels else "")
        return (0, item.value("SUMMARY") or "", item.value("DESCRIPTION") or "", "")

    def server_records(self, account):
        return sorted(self.item_record(i) for i in self.server_items(account).values())

    def local_records(self, app):
        return sorted(r[:3] + (r[3],) for r in self.records(app))

    def expect_same_sides(self, app, what, unique=False):
        """The notebook and the server hold the same records (state, title,
        content, telephone), each side every record exactly once when
        `unique`, and the program's item table one row per record."""
        here, there = self.local_records(app), self.server_records(self.apps[app])
        self.expect_records(here, there, "the notebook and the server hold the same records "
                            + what)
        if unique:
            self.expect_equal(len(set(here)), len(here), "every record exactly once " + what)
        self.expect_equal(len(self.sync_items(app)), len(here),
                          "kv_sync_item has one row per record " + what)


def phone_note(account, title, body, extra=()):
    notes = account.phone.collection("calendar", NOTE_BOOK)
    uid = "phone-%d-%d" % (os.getpid(), random.getrandbits(40))
    stamp = dav.utc_stamp(time.time())
    account.phone.put(notes + uid + ".ics", dav.journal_text(uid, title, body, stamp, extra))
    return stamp


def phone_card(account, name, tel, note, extra=()):
    cards = account.phone.collection("addressbook", CARD_BOOK)
    uid = "phone-%d-%d" % (os.getpid(), random.getrandbits(40))
    account.phone.put(cards + uid + ".vcf",
                      dav.card_text(uid, name, tel, note, dav.utc_stamp(time.time()), extra))


def phone_find(account, title):
    """(href, Item, etag) of the one server item of that title."""
    hits = [(href, item) for href, item in account_items(account).items()
            if (item.value("SUMMARY") if item.value("FN") is None else item.value("FN")) == title]
    if len(hits) != 1:
        raise Failure("the phone finds %d items titled %r" % (len(hits), title))
    href, item = hits[0]
    return href, item, account.phone.get(href)[1]


def account_items(account):
    notes = account.phone.collection("calendar", NOTE_BOOK)
    cards = account.phone.collection("addressbook", CARD_BOOK)
    items = account.phone.items(notes)
    items.update(account.phone.items(cards))
    return items


def phone_edit(account, title, **changes):
    """Edits the item of that title as a phone does: the given properties
    replaced, LAST-MODIFIED (or REV) now. Returns the stamp."""
    href, item, etag = phone_find(account, title)
    stamp = dav.utc_stamp(time.time())
    for name, value in changes.items():
        item.set(name.replace("_", "-"), value)
    item.set("REV" if item.value("FN") is not None else "LAST-MODIFIED", stamp, raw=True)
    if item.value("FN") is None:
        item.set("DTSTAMP", stamp, raw=True)
    account.phone.put(href, item.text(), etag)
    return stamp


def phone_delete(account, title):
    href, _, etag = phone_find(account, title)
    account.phone.delete(href, etag)


def phone_add_lines(account, title, lines):
    href, item, etag = phone_find(account, title)
    for line in lines:
        item.add(line)
    account.phone.put(href, item.text(), etag)


# The records most scenarios start from.
START = CONTACTS + NOTES[:2] + [
    ("两行的记事", None, "第一行\n第二行 € 欧元", "2026-10-01 08:00:00"),
    ("Emoji 😀 与生僻字 𠀀", None, "四字节 𪚥 的字\n\n空行之后", "2026-10-02 08:00:00"),
]

# What a phone adds to a contact that the notebook has no field for.
PHONE_CARD_LINES = [
    "EMAIL;TYPE=INTERNET:zhang.san@example.com",
    "ADR;TYPE=HOME:;;长安街 1 号;北京;;100000;中国",
    "CATEGORIES:同事,朋友",
    "TEL;TYPE=WORK:+86 10 1234 5678",
    "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4"
    "nGNgYGD4DwABBAEAwS2OUAAAAABJRU5ErkJggg==",
]


# fixtures --------------------------------------------------------------------

def check_fixtures(h):
    for kind in ("radicale", "xandikos"):
        account = h.account(kind)
        phone = account.phone
        calendars, books = phone.home_sets()
        phone.make_calendar(calendars + "n/", NOTE_BOOK)
        phone.make_addressbook(books + "c/", CARD_BOOK)
        notes, cards = h.collections(account)
        h.ok("%s: the phone makes and finds both collections" % kind)
        body = "第一行;逗号,反斜杠\\\n" + "长" * 100
        phone_note(account, "标题 €😀", body, ["CATEGORIES:工作"])
        phone_card(account, "张三", "138", "备注", PHONE_CARD_LINES)
        records = h.server_records(account)
        h.expect_equal(records, [(0, "标题 €😀", body, ""), (1, "张三", "备注", "138")],
                       "%s: items written by the phone read back exact" % kind)
        _, card, _ = phone_find(account, "张三")
        h.expect_equal([l for l in PHONE_CARD_LINES if l not in card.lines], [],
                       "%s: the server keeps the phone's lines as written" % kind)
        phone_add_lines(account, "张三", ["NOTE:第二个备注"])
        phone_edit(account, "标题 €😀", SUMMARY="新标题")
        h.expect_equal(h.server_records(account),
                       [(0, "新标题", body, ""), (1, "张三", "备注", "138")],
                       "%s: the phone's edits read back" % kind)

        # The proxy: every fault, seen by a client that talks through it.
        client = dav.DavClient(account.proxy.port)
        wrong = dav.DavClient(account.proxy.port, password="wrong")
        status = wrong.request("PROPFIND", notes, b"", {"Depth": "0"}, ok=None)[0]
        h.expect_equal(status, 401, "%s: a wrong password is refused through the proxy" % kind)
        mark = account.proxy.mark()
        for code in (401, 403, 500, 507):
            account.proxy.arm("status", 1, status=code)
            got = client.request("PROPFIND", notes, b"", {"Depth": "0"}, ok=None)[0]
            h.expect_equal(got, code, "%s: the proxy answers %d when told" % (kind, code))
        account.proxy.arm("empty", 1)
        h.expect_equal(client.etags(notes), {}, "%s: an empty listing when told" % kind)
        h.expect_equal(len(client.etags(notes)), 1, "%s: the listing again after it" % kind)
        for fault in ("cut", "drop", "lost"):
            account.proxy.arm(fault, 1)
            try:
                client.etags(notes)
                failed = False
            except Exception:  # noqa: BLE001 - any failure of the transport
                failed = True
            h.expect(failed, "%s: the client sees the connection %s" % (kind, fault))
        account.proxy.arm("delay", 1, seconds=1.5)
        start = time.monotonic()
        client.etags(notes)
        h.expect(time.monotonic() - start >= 1.5, "%s: the proxy delays when told" % kind)
        seen = [(r.method, r.fault or str(r.status)) for r in account.proxy.since(mark)]
        h.expect_equal(seen[:4], [("PROPFIND", "status")] * 4,
                       "%s: the proxy logs each request with its fault" % kind)
        hooked = []
        account.proxy.hook = lambda request, phase: hooked.append((request.method, phase))
        client.etags(notes)
        account.proxy.disarm()
        h.expect_equal(hooked, [("PROPFIND", "before"), ("PROPFIND", "after")],
                       "%s: the hook runs before and after the server" % kind)
        account.server.kill()
        try:
            client.etags(notes)
            down = False
        except Exception:  # noqa: BLE001
            down = True
        h.expect(down, "%s: a killed server leaves the client without an answer" % kind)
        account.server.start()
        h.expect_equal(len(client.etags(notes)), 1, "%s: restarted on its storage" % kind)


# radicale, xandikos ------------------------------------------------------------

def check_server(h, kind):
    account = h.account(kind)
    a = h.app("first", account, START)
    before = h.rows(a)
    h.sync(a, what=" (first upload)")
    notes, cards = h.collections(account)
    h.ok("the sync made one %r calendar and one %r address book" % (NOTE_BOOK, CARD_BOOK))
    h.expect_equal(h.rows(a), before, "the first upload leaves the notebook's bytes as they were")
    h.expect_same_sides(a, "after the first upload", unique=True)
    items = account_items(account)
    dates = sorted(i.value("X-KORVANE-DATE") or "" for i in items.values())
    h.expect_equal(dates, sorted(r[4] for r in h.records(a)),
                   "each item carries its record's save time in X-KORVANE-DATE")
    h.expect(all(i.value("UID") for i in items.values()), "each item has a UID")

    b = h.app("second", account)
    h.sync(b, what=" (a second, empty notebook)")
    h.expect_equal(h.rows(b), h.rows(a), "the second notebook gets every record byte for byte")
    h.collections(account)
    h.ok("the second notebook found the collections and made no others")

    # The phone adds, edits and deletes.
    before_delete = h.records(a)
    new_body = "手机上写的\n第二行 😀"
    stamp = phone_note(account, "手机新记事", new_body, ["CATEGORIES:手机"])
    phone_card(account, "手机联系人", "+86 139 0000 0000", "手机备注", PHONE_CARD_LINES[:1])
    edited = phone_edit(account, "两行的记事", DESCRIPTION="手机改过的\n第二行")
    phone_add_lines(account, "张三", PHONE_CARD_LINES)
    phone_add_lines(account, "Plain ASCII note", ["CATEGORIES:Work"])
    phone_delete(account, "Emoji 😀 与生僻字 𠀀")
    phone_delete(account, "Alice Smith")
    h.sync(a, what=" (the phone's changes)")
    got = h.find(a, "手机新记事")
    h.expect_equal([r[2:] for r in got], [(new_body, "", local_time(stamp))],
                   "the phone's new note arrived exact (its time from LAST-MODIFIED)")
    h.expect_equal([r[2:4] for r in h.find(a, "手机联系人")], [("手机备注", "+86 139 0000 0000")],
                   "the phone's new contact arrived exact, its e-mail not in the remark")
    h.expect_equal([r[2:] for r in h.find(a, "两行的记事")],
                   [("手机改过的\n第二行", "", local_time(edited))],
                   "the phone's edit arrived exact")
    h.expect_equal([r[2:4] for r in h.find(a, "张三")], [(CONTACTS[0][2], CONTACTS[0][1])],
                   "the properties the phone added leave the contact's fields alone")
    # Soft from here: a delete that does not arrive leaves the rest testable.
    with h.soft():
        h.expect_equal(h.find(a, "Alice Smith") + h.find(a, "Emoji 😀 与生僻字 𠀀"), [],
                       "the phone's deletes arrived")
    with h.soft():
        h.expect_equal(sorted(r[:4] for r in h.trash(a)),
                       sorted(r[:4] for r in before_delete if r[1] in ("Alice Smith",
                                                                       "Emoji 😀 与生僻字 𠀀")),
                       "the records the phone deleted are in the notebook's trash, exact")
    with h.soft():
        h.expect_same_sides(a, "after the phone's changes", unique=True)

    # The program's edits keep what the phone added.
    h.edit(a, "张三", tel="13911112222", content="改过的备注")
    h.edit(a, "Plain ASCII note", content="edited here")
    h.sync(a, what=" (edits here)")
    _, card, _ = phone_find(account, "张三")
    kept = [l for l in PHONE_CARD_LINES if l not in card.lines]
    h.expect_equal(kept, [], "the phone's e-mail, address, categories, second telephone and "
                   "photo stay on the server after an edit here")
    h.expect_equal((dav.unescape(card.values("TEL")[0]), card.value("NOTE")),
                   ("13911112222", "改过的备注"), "the edit here reached the server")
    _, note, _ = phone_find(account, "Plain ASCII note")
    h.expect_equal((note.value("DESCRIPTION"), note.lines_of("CATEGORIES")),
                   ("edited here", ["CATEGORIES:Work"]),
                   "a note's edit keeps the phone's categories")

    # Requests: nothing changed, then one changed note.
    h.sync(a, what=" (nothing changed)")
    sent = h.last_requests
    h.expect(len(sent) <= 4, "a sync with nothing changed sends at most two requests per "
             "collection (%d: %r)" % (len(sent), sent))
    h.edit(a, "Plain ASCII note", content="edited again")
    h.sync(a, what=" (one note changed)")
    sent = h.last_requests
    h.expect(len(sent) <= 6, "a sync with one changed note sends at most four requests for "
             "the notes and two for the contacts (%d: %r)" % (len(sent), sent))
    h.expect_equal(phone_find(account, "Plain ASCII note")[1].value("DESCRIPTION"),
                   "edited again", "the one changed note reached the server")

    h.sync(b, what=" (the second notebook again)")
    with h.soft():
        h.expect_equal(h.rows(b), h.rows(a), "both notebooks end with the same bytes")
    with h.soft():
        h.expect_same_sides(b, "for the second notebook", unique=True)
    h.expect_intact(a, "(first)")
    h.expect_intact(b, "(second)")

    # Renamed on the phone, the collections are still the program's: a new
    # notebook finds them and makes no others.
    account.phone.rename(notes, "手机上改的名字")
    account.phone.rename(cards, "Contacts")
    c = h.app("third", account)
    h.sync(c, what=" (a third notebook, the collections renamed)")
    kinds = sorted(k for k, *_ in account.phone.collections())
    h.expect_equal(kinds, ["addressbook", "calendar"],
                   "renamed collections are found again, no others made")
    h.expect_equal(h.local_records(c), h.local_records(b),
                   "the third notebook gets the records from the renamed collections")


# conflicts ---------------------------------------------------------------------

CONFLICT_NOTES = [("冲突 %d" % n, None, "原文 %d\n第二行" % n, "2026-11-0%d 10:00:00" % n)
                  for n in range(1, 8)]
CONFLICT_CARDS = [("联系人 %d" % n, "1380000000%d" % n, "备注 %d" % n,
                   "2026-11-0%d 11:00:00" % n) for n in range(1, 4)]


def check_conflicts(h):
    account = h.account("radicale")
    a = h.app("conflicts", account, CONFLICT_NOTES + CONFLICT_CARDS)
    h.sync(a, what=" (first upload)")
    uid_of = {h.item_record(i)[1]: i.value("UID") for i in account_items(account).values()}

    # edit/edit, on a note and a contact
    h.edit(a, "冲突 1", content="这里改的 1")
    phone_edit(account, "冲突 1", SUMMARY="冲突 1 手机", DESCRIPTION="手机改的 1")
    h.edit(a, "联系人 1", tel="13900000001")
    phone_edit(account, "联系人 1", NOTE="手机改的备注")
    # edited here, deleted there
    h.edit(a, "冲突 2", content="这里改的 2")
    phone_delete(account, "冲突 2")
    # deleted here, edited there
    h.delete(a, "冲突 3")
    phone_edit(account, "冲突 3", DESCRIPTION="手机改的 3")
    # deleted on both sides
    h.delete(a, "冲突 4")
    phone_delete(account, "冲突 4")
    # deleted there only
    phone_delete(account, "冲突 5")
    h.sync(a, what=" (both sides changed)")

    here = {r[1]: r for r in h.records(a)}
    h.expect_equal(here["冲突 1"][2], "这里改的 1", "edit/edit: the record here keeps its text")
    copy = "冲突 1 手机" + FROM_ELSEWHERE
    h.expect_equal(here.get(copy, (None,) * 3)[2], "手机改的 1",
                   "edit/edit: the server's version is a second record titled %r" % copy)
    items = {h.item_record(i): i for i in account_items(account).values()}
    by_title = {r[1]: i for r, i in items.items()}
    h.expect_equal(by_title["冲突 1"].value("UID"), uid_of["冲突 1"],
                   "edit/edit: the original item holds the text from here")
    h.expect_equal(by_title["冲突 1"].value("DESCRIPTION"), "这里改的 1",
                   "edit/edit: the original item's text is the one from here")
    h.expect(copy in by_title and by_title[copy].value("UID") != uid_of["冲突 1"],
             "edit/edit: the server's version went up as an item of its own")
    cards = sorted(r[1:4] for r in h.records(a) if r[0] == 1 and r[1].startswith("联系人 1"))
    h.expect_equal(cards, [("联系人 1", "备注 1", "13900000001"),
                           ("联系人 1" + FROM_ELSEWHERE, "手机改的备注", "13800000001")],
                   "edit/edit of a contact: both versions kept")
    h.expect_equal(here.get("冲突 2", (None,) * 3)[2], "这里改的 2",
                   "edited here, deleted there: the record stays")
    h.expect_equal(by_title.get("冲突 2") and by_title["冲突 2"].value("DESCRIPTION"),
                   "这里改的 2", "edited here, deleted there: it went back up")
    h.expect_equal(here.get("冲突 3", (None,) * 3)[2], "手机改的 3",
                   "deleted here, edited there: the server's version came back")
    h.expect_equal(by_title.get("冲突 3") and by_title["冲突 3"].value("UID"), uid_of["冲突 3"],
                   "deleted here, edited there: it stays on the server")
    h.expect("冲突 4" not in here and "冲突 4" not in by_title,
             "deleted on both sides: gone on both")
    h.expect(uid_of["冲突 4"] not in [u for _, u, _, _ in h.sync_items(a)],
             "deleted on both sides: nothing left in kv_sync_item")
    h.expect("冲突 5" not in here and "冲突 5" in [r[1] for r in h.trash(a)],
             "deleted there: gone here and kept in the trash")
    h.expect_same_sides(a, "after the conflicts", unique=True)

    # An upload that landed but was never recorded.
    h.add(a, "冲突 8", "上传了却没记下")
    h.sync(a, what=" (a new note)")
    h.sql(a, "UPDATE kv_sync_item SET etag=NULL, href=NULL WHERE id=(SELECT ID FROM mylist "
             "WHERE title=%s)" % sql_text("冲突 8"))
    h.sync(a, what=" (its record forgotten)")
    h.expect_equal(len(h.find(a, "冲突 8")), 1, "an unrecorded upload is not doubled here")
    h.expect_same_sides(a, "after an unrecorded upload", unique=True)

    # Killed between an upload and its commit: a new record, an edit, and an
    # edit followed by a delete here before the next sync.
    h.add(a, "冲突 9", "上传后立刻被杀")
    sync_killed_after_put(h, a)
    h.expect_equal(len([i for i in account_items(account).values()
                        if i.value("SUMMARY") == "冲突 9"]), 1, "the upload landed")
    h.sync(a, what=" (after the kill)")
    h.expect_equal(len(h.find(a, "冲突 9")), 1, "the upload is not doubled here after the kill")
    h.expect_same_sides(a, "after the kill", unique=True)

    h.edit(a, "冲突 6", content="改后被杀")
    sync_killed_after_put(h, a)
    h.edit(a, "冲突 6", content="又改了一次")
    h.sync(a, what=" (an edit here after a kill in the upload of an edit)")
    with h.soft():
        h.expect_equal([r[1:3] for r in h.records(a) if r[1].startswith("冲突 6")],
                       [("冲突 6", "又改了一次")], "an edit that landed unrecorded, edited "
                       "again here, makes no second record titled %r"
                       % ("冲突 6" + FROM_ELSEWHERE))
    h.edit(a, "冲突 7", content="改后被杀再删")
    sync_killed_after_put(h, a)
    h.delete(a, "冲突 7")
    h.sync(a, what=" (a delete here after a kill in the upload of an edit)")
    with h.soft():
        h.expect_equal([r[1] for r in h.records(a) if r[1].startswith("冲突 7")], [],
                       "a record deleted here after its edit landed unrecorded stays deleted")
    with h.soft():
        h.expect_same_sides(a, "after the kills in uploads of edits", unique=True)

    b = h.app("second", account)
    h.sync(b, what=" (a second notebook)")
    h.expect_equal(h.local_records(b), h.local_records(a),
                   "a second notebook gets the same records")
    h.expect_intact(a, "after the conflicts")


def sync_killed_after_put(h, app):
    """Runs a sync that is killed as soon as its first PUT has landed."""
    account = h.apps[app]
    process = h.start_sync(app)

    def kill_after_put(request, phase):
        if phase == "after" and request.method == "PUT":
            process.send_signal(signal.SIGKILL)

    account.proxy.hook = kill_after_put
    process.communicate(timeout=90)
    account.proxy.disarm()
    h.expect_equal(process.returncode, -signal.SIGKILL, "the sync was killed after its PUT")


# faults ----------------------------------------------------------------------

def is_put(request, headers):
    return request.method == "PUT"


def is_multiget(request, headers):
    return request.method == "REPORT" and b"multiget" in request.body


def is_listing(request, headers):
    return dav.is_listing(request.method, headers, request.body)


def check_faults(h):
    account = h.account("radicale")
    a = h.app("faults", account, START, timeout=2)
    h.sync(a, what=" (first upload)")
    expected = set(h.local_records(a))

    def kill_server(request, phase):
        if phase == "before" and request.method == "PUT":
            account.server.kill()

    faults = [
        ("401", lambda: account.proxy.arm("status", 1000, status=401)),
        ("403", lambda: account.proxy.arm("status", 1000, status=403)),
        ("500 at the first request", lambda: account.proxy.arm("status", 1, status=500)),
        ("500 on uploads", lambda: account.proxy.arm("status", 1000, is_put, status=500)),
        ("507 on uploads", lambda: account.proxy.arm("status", 1000, is_put, status=507)),
        ("timeout of a listing", lambda: account.proxy.arm("delay", 1, is_listing, seconds=4)),
        ("timeout of an upload", lambda: account.proxy.arm("delay", 1, is_put, seconds=4)),
        ("server killed mid-sync", lambda: setattr(account.proxy, "hook", kill_server)),
        ("connection cut in a listing", lambda: account.proxy.arm("cut", 1, is_listing)),
        # A download cut short may also be fetched again at once.
        ("connection cut in a download", lambda: account.proxy.arm("cut", 1, is_multiget),
         "may recover"),
        # Qt sends a request again once when the connection closed unanswered.
        ("connection lost once after an upload landed",
         lambda: account.proxy.arm("lost", 1, is_put), "may recover"),
        ("connection lost after every upload landed",
         lambda: account.proxy.arm("lost", 1000, is_put)),
        ("empty listing", lambda: account.proxy.arm("empty", 1000, is_listing)),
    ]
    for n, (name, arm, *recovery) in enumerate(faults):
        title_here, title_there = "故障 %d 这里" % n, "故障 %d 手机" % n
        h.add(a, title_here, "在 %s 之前写的" % name)
        phone_note(account, title_there, "手机在 %s 之前写的" % name)
        expected |= {(0, title_here, "在 %s 之前写的" % name, ""),
                     (0, title_there, "手机在 %s 之前写的" % name, "")}
        arm()
        start = time.monotonic()
        status, _ = h.sync(a, expect=None if recovery else "fail", what=" (%s)" % name)
        took = time.monotonic() - start
        account.proxy.disarm()
        account.proxy.wait_idle()
        if account.server.process is None or account.server.process.poll() is not None:
            account.server.start()
        if status == 0:
            h.ok("%s: the sync got past it (%.1f s)" % (name, took))
        else:
            h.check_reason("%s (after %.1f s)" % (name, took))
        h.expect_intact(a, "after " + name)
        h.sync(a, what=" (after %s)" % name)
        h.expect_equal(set(h.local_records(a)), expected,
                       "%s: after the next sync nothing is lost or doubled" % name)
        h.expect_same_sides(a, "after " + name, unique=True)

    # A password file others may read is refused before any request.
    loose = os.path.join(h.root, "loose-password")
    with open(loose, "w") as f:
        f.write(dav.PASSWORD + "\n")
    os.chmod(loose, 0o644)
    h.sync(a, expect="fail", password_file=loose, what=" (a mode 0644 password file)")
    h.expect_equal(h.last_requests, [], "a password file others may read is refused before "
                   "any request")
    reason = h.check_reason("a password file others may read")
    h.check(loose in reason, "the refusal names the password file (%s)" % reason)

    # A mass delete there stops with exit 3 until it is confirmed.
    many = [("批量 %02d" % n, None, "将被手机删除", "2026-09-01 00:00:%02d" % n) for n in range(30)]
    h.seed(a, many)
    h.sync(a, what=" (thirty more notes)")
    notes_there = h.collections(account)[0]
    for href, item in account.phone.items(notes_there).items():
        if (item.value("SUMMARY") or "").startswith("批量") or \
                (item.value("SUMMARY") or "").startswith("故障"):
            account.phone.delete(href)
    count = len([r for r in h.records(a) if r[0] == 0])
    h.sync(a, expect=3, what=" (a mass delete there)")
    reason = h.check_reason("a mass delete there")
    h.expect_equal(len([r for r in h.records(a) if r[0] == 0]), count,
                   "a mass delete stops with exit 3 and deletes nothing here (%s)" % reason)
    h.sync(a, "--confirm-deletes", what=" (the mass delete confirmed)")
    left = [r for r in h.records(a) if r[0] == 0]
    h.expect(all(not r[1].startswith("批量") for r in left),
             "--confirm-deletes lets the deletes happen")
    trashed = [r[1] for r in h.trash(a)]
    h.expect(all("批量 %02d" % n in trashed for n in range(30)),
             "every record deleted there is in the trash")
    h.expect_same_sides(a, "after the mass delete", unique=True)
    h.expect_intact(a, "at the end")

    # Just short of a mass delete: exactly half (11 of 22), and more than
    # half but not more than ten (10 of 11) go through.
    other = h.account("radicale")
    c = h.app("bounds", other, [("边界 %02d" % n, None, "内容", "2026-08-01 00:00:%02d" % n)
                                for n in range(22)])
    h.sync(c, what=" (22 notes)")
    for deleted, wanted_left in ((range(11), 11), (range(11, 21), 1)):
        for n in deleted:
            phone_delete(other, "边界 %02d" % n)
        with h.soft():
            h.sync(c, what=" (%d of %d notes deleted there)" % (len(deleted),
                                                              len(deleted) + wanted_left))
            h.expect_equal(len(h.records(c)), wanted_left,
                           "%d of %d deleted there is no mass delete"
                           % (len(deleted), len(deleted) + wanted_left))


# bytes -----------------------------------------------------------------------

def agree_with_iconv(chars):
    """The characters whose bytes by `stored` are the ones the system's
    iconv GB18030 (the store's converter on Linux) gives and reads back.
    Python's codec and glibc differ on a few characters (U+FE10 to U+FE19
    and others moved between two- and four-byte codes in later editions of
    GB18030); for those the store keeps the bytes exactly but as bytes of
    no character, which is another test's matter."""
    encoded = b"\n".join(stored(c) for c in chars) + b"\n"
    back = subprocess.run(["iconv", "-c", "-f", "GB18030", "-t", "UTF-8"], input=encoded,
                          stdout=subprocess.PIPE).stdout.decode("utf-8").split("\n")
    there = subprocess.run(["iconv", "-c", "-f", "UTF-8", "-t", "GB18030"],
                           input="\n".join(chars).encode("utf-8") + b"\n",
                           stdout=subprocess.PIPE).stdout.split(b"\n")
    return [c for c, d, e in zip(chars, back, there) if d == c and e == stored(c)]


def text_pools():
    """Characters by kind: ASCII, every GBK two-byte character, characters
    GBK lacks (GB18030 four-byte forms, in and beyond the BMP)."""
    # No ASCII apostrophe: the store keeps it as the full-width one (a record
    # from the server too), so a stored record never holds it.
    ascii_chars = [chr(c) for c in range(0x20, 0x7F) if c != 0x27] + ["\t"]
    gbk = []
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            raw = bytes([lead, trail])
            try:
                c = raw.decode("gbk")
            except UnicodeDecodeError:
                continue
            if stored(c) == raw:
                gbk.append(c)
    # Assigned characters only, no controls, format characters or line and
    # paragraph separators: what a person types, not what servers may read
    # as structure.
    four = []
    for code in list(range(0xA0, 0xD800)) + list(range(0xF900, 0xFFFE)):
        c = chr(code)
        if unicodedata.category(c) not in ("Cc", "Cf", "Cn", "Co", "Cs", "Zl", "Zp") and \
                len(stored(c)) == 4:
            four.append(c)
    four += [chr(c) for c in (0x1F600, 0x1F680, 0x20000, 0x2A6A5, 0x2B820, 0x10000, 0x10FFFD)]
    gbk, four = agree_with_iconv(gbk), agree_with_iconv(four)
    return ascii_chars, gbk, four


def random_text(rng, pools, length, lines=True):
    ascii_chars, gbk, four = pools
    out = []
    for _ in range(length):
        pick = rng.random()
        if lines and pick < 0.05:
            out.append("\n")
        elif pick < 0.08:
            out.append("€")
        elif pick < 0.4:
            out.append(rng.choice(ascii_chars))
        elif pick < 0.85:
            out.append(rng.choice(gbk))
        else:
            out.append(rng.choice(four))
    text = "".join(out).strip(" \t\n\u3000")
    return text or "空"


def bytes_records(rng):
    pools = text_pools()
    records = []
    for n in range(40):
        records.append(("%d %s" % (n, random_text(rng, pools, rng.randint(1, 40), lines=False)),
                        None, random_text(rng, pools, rng.randint(0, 400)),
                        "2026-%02d-%02d %02d:%02d:%02d" % (rng.randint(1, 12), rng.randint(1, 28),
                                                           rng.randint(0, 23), rng.randint(0, 59),
                                                           rng.randint(0, 59))))
    for n in range(20):
        records.append(("c%d %s" % (n, random_text(rng, pools, rng.randint(1, 20), lines=False)),
                        random_text(rng, pools, rng.randint(1, 20), lines=False),
                        random_text(rng, pools, rng.randint(0, 200)),
                        "2025-01-%02d 00:00:00" % (n + 1)))
    records += [
        ("€", None, "€\n€€", "2026-01-01 00:00:00"),
        ("欧元 €", "€ 1", "€", "2026-01-01 00:00:01"),
        ("只有四字节 😀𠀀𪚥", None, "😀\n𠀀\n𪚥", "2026-01-01 00:00:02"),
        ("空行", None, "a\n\n\n\nb", "2026-01-01 00:00:03"),
        ("转义 ;,\\:\"<>&＇", "+86;,\\", "行一;\\n 不是换行\\\n行二, 逗号", "2026-01-01 00:00:04"),
        ("长标题 " + random_text(rng, pools, 2000, lines=False), None, "短",
         "2026-01-01 00:00:05"),
        ("长正文", None, random_text(rng, pools, 150000), "2026-01-01 00:00:06"),
        ("长备注的人", "10086", random_text(rng, pools, 20000), "2026-01-01 00:00:07"),
    ]
    return records


def without_backslashes(text):
    """Xandikos (0.2.8) writes items again through its iCalendar library,
    which undoes a text's escaped backslash before "n", "N" or ";" (a line
    break or a lone semicolon instead): a fault of the server, so its texts
    here have slashes instead of backslashes."""
    return None if text is None else text.replace("\\", "/")


# Stored bytes that are no character: a lone lead byte, 0xFF, a four-byte
# form the system's GB18030 does not read, a lead byte before ASCII. The
# store keeps such bytes exactly; they must come back exactly too.
RAW_RECORDS = [
    (b"raw \x81", None, b"\xff end", b"2026-03-03 03:03:03"),
    (b"raw \x84\x31\x82\x37 four", None, b"a\x81b\r\n\xfe", b"2026-03-03 03:03:04"),
    (b"raw contact \xa2\xe3", b"\x81\x30", b"\x80\x80", b"2026-03-03 03:03:05"),
]


def seed_raw(h, app):
    text = lambda value: "CAST(x'%s' AS TEXT)" % value.hex()
    h.sql(app, "".join("INSERT INTO mylist(title,content,tel,state,cre_date) VALUES(%s,%s,%s,%d,"
                       "%s);" % (text(t), text(c), text(tel or b""), 0 if tel is None else 1,
                                 text(d)) for t, tel, c, d in RAW_RECORDS))


def check_bytes(h, seed):
    rng = random.Random(seed)
    records = bytes_records(rng)
    print("seed %d: %d records" % (seed, len(records)), flush=True)
    for kind in ("radicale", "xandikos"):
        if kind == "xandikos":
            records = [tuple(without_backslashes(v) for v in r) for r in records]
        account = h.account(kind)
        a = h.app("bytes-" + kind, account, records)
        seed_raw(h, a)
        before = h.rows(a)
        h.sync(a, what=" (%s: first upload)" % kind)
        wanted = sorted((0 if tel is None else 1, t, c, tel or "") for t, tel, c, _ in records)
        there = [r for r in h.server_records(account) if not r[1].startswith("raw ")]
        h.expect_same(there, wanted, "%s: the server holds every text as typed (UTF-8)" % kind)
        b = h.app("bytes-%s-second" % kind, account)
        h.sync(b, what=" (%s: a second, empty notebook)" % kind)
        h.expect_same(h.rows(b), before, "%s: every row arrives in the empty notebook byte "
                      "for byte (hex)" % kind)
        h.sync(a, what=" (%s: again)" % kind)
        h.expect_equal(h.rows(a), before, "%s: the first notebook is unchanged by its next sync"
                       % kind)


# soak ------------------------------------------------------------------------

def check_soak(h, seconds, seed):
    """The model holds what each side meant, by title. The phone changes
    only the records it made and the notebook only its own, so no conflict
    arises and the end state is known exactly."""
    rng = random.Random(seed)
    print("seed %d, %d seconds" % (seed, seconds), flush=True)
    account = h.account("radicale")
    a = h.app("soak", account, [("本地 %d" % n, None, "初始 %d" % n, h.now()) for n in range(20)])
    h.sync(a, what=" (first upload)")
    start = time.monotonic()
    h.sync(a, what=" (nothing changed)")
    clean = max(time.monotonic() - start, 0.2)
    model = {r[1]: r for r in h.local_records(a)}
    counter, kills, finished = [0], 0, 0

    def change_here():
        counter[0] += 1
        mine = [t for t in model if t.startswith("本地")]
        pick = rng.random()
        if pick < 0.4 or not mine:
            title = "本地新 %d" % counter[0]
            h.add(a, title, "这里写的 %d\n行" % counter[0])
            model[title] = (0, title, "这里写的 %d\n行" % counter[0], "")
        elif pick < 0.75:
            title = rng.choice(mine)
            h.edit(a, title, content="这里改的 %d" % counter[0])
            model[title] = (0, title, "这里改的 %d" % counter[0], "")
        else:
            title = rng.choice(mine)
            h.delete(a, title)
            del model[title]

    def change_there():
        counter[0] += 1
        mine = [t for t in model if t.startswith("手机")]
        pick = rng.random()
        if pick < 0.4 or not mine:
            title = "手机 %d" % counter[0]
            phone_note(account, title, "手机写的 %d" % counter[0])
            model[title] = (0, title, "手机写的 %d" % counter[0], "")
        elif pick < 0.75:
            title = rng.choice(mine)
            phone_edit(account, title, DESCRIPTION="手机改的 %d" % counter[0])
            model[title] = (0, title, "手机改的 %d" % counter[0], "")
        else:
            title = rng.choice(mine)
            phone_delete(account, title)
            del model[title]

    # Changes are made only while no sync runs on their side of the model:
    # the phone's on the server (the program may be mid-sync, as a real
    # phone would be), the notebook's between the program's runs.
    while time.monotonic() - start < seconds:
        for _ in range(rng.randint(1, 4)):
            change_here()
        process = h.start_sync(a)
        time.sleep(rng.uniform(0, clean * 4))
        if rng.random() < 0.5:
            change_there()
        if process.poll() is None:
            process.send_signal(signal.SIGKILL)
            kills += 1
        process.communicate(timeout=90)
        if process.returncode == 0:
            finished += 1
        account.proxy.wait_idle()
        if rng.random() < 0.5:
            change_there()
    print("%d syncs killed, %d finished" % (kills, finished), flush=True)
    h.expect(kills > 0, "the soak killed the program mid-sync (%d times)" % kills)
    h.sync(a, what=" (the final clean sync)")
    h.sync(a, what=" (one more, to settle)")
    wanted = sorted(model.values())
    try:
        h.expect_records(h.local_records(a), wanted,
                         "the notebook holds every record exactly once")
        h.expect_records(h.server_records(account), wanted,
                         "the server holds every record exactly once")
    except Failure as failure:
        raise Failure("%s\n%s" % (failure, soak_details(h, a, account, wanted)))
    h.expect_same_sides(a, "after the soak", unique=True)
    h.expect_intact(a, "after the soak")
    b = h.app("soak-second", account)
    h.sync(b, what=" (a second notebook)")
    h.expect_records(h.local_records(b), wanted, "a second notebook gets the same records")


def soak_details(h, app, account, wanted):
    """The rows, item records and server items of the titles that differ."""
    have = collections.Counter(h.local_records(app))
    there = collections.Counter(h.server_records(account))
    want = collections.Counter(wanted)
    titles = {r[1].replace(FROM_ELSEWHERE, "") for r in
              list((have - want).elements()) + list((want - have).elements()) +
              list((there - want).elements()) + list((want - there).elements())}
    lines = []
    for title in sorted(titles):
        for t in (title, title + FROM_ELSEWHERE):
            ids = h.sql(app, "SELECT ID, hex(cre_date) FROM mylist WHERE title=%s"
                        % sql_text(t)).split()
            lines.append("  here %r: rows %r" % (t, ids))
            for row in ids:
                lines.append("    kv_sync_item %s" % h.sql(
                    app, "SELECT uid, href, etag, local_date FROM kv_sync_item WHERE id=%s"
                    % row.split("|")[0]).strip())
            lines.append("  there %r: %r" % (t, [
                (href, i.value("UID"), i.value("DESCRIPTION"))
                for href, i in account_items(account).items() if i.value("SUMMARY") == t]))
    return "\n".join(lines)


SCENARIOS = ("fixtures", "radicale", "xandikos", "conflicts", "faults", "bytes", "soak")


def main(argv):
    args = argv[1:]
    options = {"--seconds": 30, "--seed": int(time.time())}
    for name in options:
        if name in args:
            i = args.index(name)
            options[name] = int(args[i + 1])
            del args[i:i + 2]
    if len(args) != 2 or args[1] not in SCENARIOS:
        print(__doc__, file=sys.stderr)
        return 2
    for tool in ("sqlite3", "radicale", "xandikos"):
        if not run(["sh", "-c", "command -v %s || true" % tool]).strip():
            print("FAIL  %s is not installed (tools/korvane.sh installs it)" % tool)
            return 1
    h = SyncHarness(args[0])
    scenario = args[1]
    try:
        if scenario == "fixtures":
            check_fixtures(h)
        elif scenario in ("radicale", "xandikos"):
            check_server(h, scenario)
        elif scenario == "conflicts":
            check_conflicts(h)
        elif scenario == "faults":
            check_faults(h)
        elif scenario == "bytes":
            check_bytes(h, options["--seed"])
        else:
            check_soak(h, options["--seconds"], options["--seed"])
    except (Failure, dav.FixtureError, subprocess.TimeoutExpired) as failure:
        print("FAIL  %s" % failure, flush=True)
        for account in h.accounts:
            print("server %s log:\n%s" % (account.server.name, account.server.log_tail(15)))
        return 1
    finally:
        h.close()
    print("%d checks passed" % h.passed)
    if h.failed:
        print("%d checks failed:\n  %s" % (len(h.failed), "\n  ".join(h.failed)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
