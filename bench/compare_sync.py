#!/usr/bin/env python3
"""`korvane --sync` beside vdirsyncer, on Radicale.

1. The first upload of 10,000 notes and 1,000 contacts into an empty account
   by `korvane --sync`, beside vdirsyncer uploading the same items (as .ics
   and .vcf files in its filesystem storage) into empty collections of a
   second Radicale of its own.
2. A sync with nothing changed at 10,000 notes and at 100 notes: the notes
   are put into the server's storage directly (a first upload of that size
   is part 1's matter), each program brings them down once (timed too), and
   then syncs again with nothing changed.
Each server sits behind the tests' proxy, which counts the requests. Prints
a table: elapsed time (process start included), CPU time of the program
(user and system; the server's is not in it), requests.

Radicale 3.1.8 checks a new item's UID against every item of its collection,
so a first upload costs time in proportion to the square of its size: on two
shared cores 1,000 notes take about two minutes per program, 10,000 about
two hours. Give smaller sizes for part 1 to compare in minutes.

usage: bench/compare_sync.py [build folder] [upload notes] [upload contacts]
                             [listed notes]
       (default build/release, 10000, 1000, 10000)

The servers, the proxy and the folders live under $TMPDIR (default /tmp;
/dev/shm leaves the disk out) and are removed at the end. Not part of the
test command.
"""

import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "sync"))
sys.path.insert(0, os.path.join(ROOT, "tests", "interop"))

import davfixtures as dav  # noqa: E402
from interop_test import stored  # noqa: E402

NOTE_TITLE = "会议纪要 "
NOTE_BODY = ("第一项 <span class=\"TBlank\">重要</span> {EM3EM}\n第二项 <span class=\"Tred\">"
             "红字</span> 1. 编号 * 星号\n第三行：整理好的内容，今天下午三点在二楼会议室 ")
CARD_TITLE = "联系人 "
CARD_NOTE = "同事，住在北京；电话晚上打\n{QQ"


def gbk_hex(text):
    return stored(text).hex()


def seed(db, notes, contacts):
    """Notes of about 200 GBK bytes and contacts with messenger tags, as
    bench/compare_export.sh makes them."""
    sql = """BEGIN;
INSERT INTO mylist(title,content,tel,state,cre_date)
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<%d)
  SELECT CAST(x'%s' AS TEXT) || i, CAST(x'%s' AS TEXT) || i, '', 0,
    printf('2026-%%02d-%%02d %%02d:%%02d:%%02d', i%%12+1, i%%28+1, i%%24, i%%60, i/60%%60) FROM n;
INSERT INTO mylist(title,content,tel,state,cre_date)
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<%d)
  SELECT CAST(x'%s' AS TEXT) || i, CAST(x'%s' AS TEXT) || (100000 + i) || 'QQ}',
    '+86 138 ' || (10000000 + i), 1,
    printf('2025-%%02d-%%02d %%02d:%%02d:%%02d', i%%12+1, i%%28+1, i%%24, i%%60, i/60%%60) FROM n;
COMMIT;""" % (notes, gbk_hex(NOTE_TITLE), gbk_hex(NOTE_BODY), contacts, gbk_hex(CARD_TITLE),
              gbk_hex(CARD_NOTE))
    subprocess.run(["sqlite3", db], input=sql.encode(), check=True)


def app_folder(bin_dir, folder, notes, contacts, url):
    """A copy of the program and its data on the account, its notebook seeded."""
    os.makedirs(folder)
    shutil.copy2(os.path.join(bin_dir, "korvane"), folder)
    for name in ("skin", "bmp"):
        shutil.copytree(os.path.join(bin_dir, name), os.path.join(folder, name))
    os.makedirs(os.path.join(folder, "hd"))
    for name in os.listdir(os.path.join(bin_dir, "hd")):
        source = os.path.join(bin_dir, "hd", name)
        if name == "glst.mysql.root":
            shutil.copy2(source, os.path.join(folder, "hd", "glst.mysql"))
        elif not (name.startswith("glst.mysql") or name in ("backup", "drafts")):
            (shutil.copytree if os.path.isdir(source) else shutil.copy2)(
                source, os.path.join(folder, "hd", name))
    seed(os.path.join(folder, "hd", "glst.mysql"), notes, contacts)
    with open(os.path.join(folder, "sys.ini"), "w") as f:
        f.write("[sync]\nurl=%s\nuser=%s\ntimeout=300\n" % (url, dav.USER))
    return folder


def measure(args, env, proxy):
    """(milliseconds, CPU milliseconds of the children, requests)."""
    mark = proxy.mark()
    cpu = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    elapsed = (time.monotonic() - start) * 1000
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        raise SystemExit("%s exited %d:\n%s" % (" ".join(args), done.returncode,
                                                done.stderr.decode(errors="replace")))
    used = (after.ru_utime - cpu.ru_utime + after.ru_stime - cpu.ru_stime) * 1000
    return elapsed, used, len(proxy.since(mark))


def item_files(folder, notes, contacts):
    """The same records as .ics and .vcf files, as vdirsyncer's filesystem
    storage holds them."""
    os.makedirs(os.path.join(folder, "notes"))
    os.makedirs(os.path.join(folder, "cards"))
    stamp = dav.utc_stamp(time.time())
    for i in range(1, notes + 1):
        uid = "bench-note-%d" % i
        with open(os.path.join(folder, "notes", uid + ".ics"), "w", encoding="utf-8") as f:
            f.write(dav.journal_text(uid, NOTE_TITLE + str(i), NOTE_BODY + str(i), stamp))
    for i in range(1, contacts + 1):
        uid = "bench-card-%d" % i
        with open(os.path.join(folder, "cards", uid + ".vcf"), "w", encoding="utf-8") as f:
            f.write(dav.card_text(uid, CARD_TITLE + str(i), "+86 138 %d" % (10000000 + i),
                                  CARD_NOTE + "%dQQ}" % (100000 + i), stamp))


VDIRSYNCER_CONFIG = """[general]
status_path = "%(work)s/status/"

[pair notes]
a = "notes_files"
b = "notes_server"
collections = null
conflict_resolution = "a wins"

[storage notes_files]
type = "filesystem"
path = "%(work)s/notes/"
fileext = ".ics"

[storage notes_server]
type = "caldav"
url = "%(url)skorvane/notes/"
username = "%(user)s"
password = "%(password)s"

[pair cards]
a = "cards_files"
b = "cards_server"
collections = null
conflict_resolution = "a wins"

[storage cards_files]
type = "filesystem"
path = "%(work)s/cards/"
fileext = ".vcf"

[storage cards_server]
type = "carddav"
url = "%(url)skorvane/cards/"
username = "%(user)s"
password = "%(password)s"
"""


def row(what, ms, cpu, requests):
    """A line of the table, printed at once (a long run shows its way)."""
    line = "%-52s %10.0f %10.0f %9d" % (what, ms, cpu, requests)
    print(line, flush=True)
    return line


def new_account(work, name, accounts):
    account = dav.Account("radicale", os.path.join(work, "radicale-" + name))
    accounts.append(account)
    return account


def fill(account, collection, notes):
    """Notes written into the server's storage folder, as Radicale keeps
    items there, without a request each."""
    folder = os.path.join(account.server.folder, "collections", "collection-root",
                          collection.strip("/"))
    stamp = dav.utc_stamp(time.time())
    for i in range(1, notes + 1):
        uid = "listed-note-%d" % i
        with open(os.path.join(folder, uid + ".ics"), "w", encoding="utf-8") as f:
            f.write(dav.journal_text(uid, NOTE_TITLE + str(i), NOTE_BODY + str(i), stamp))


def bench_korvane(bin_dir, work, env, password, sizes, accounts):
    """The program: the first upload, then a sync with nothing changed at
    `listed` notes and at 100."""
    upload_notes, upload_contacts, listed = sizes
    account = new_account(work, "upload", accounts)
    app = app_folder(bin_dir, os.path.join(work, "upload"), upload_notes, upload_contacts,
                     account.url)
    sync = [os.path.join(app, "korvane"), "--sync", "--password-file", password]
    lines = [row("korvane: first upload, %d notes + %d contacts"
                 % (upload_notes, upload_contacts), *measure(sync, env, account.proxy))]
    for count in (listed, 100):
        account = new_account(work, "listed-%d" % count, accounts)
        home = "/%s/" % dav.USER
        account.phone.make_calendar(home + "korvane-notes/", "Korvane 记事")
        account.phone.make_addressbook(home + "korvane-contacts/", "Korvane 联系人")
        fill(account, home + "korvane-notes/", count)
        app = app_folder(bin_dir, os.path.join(work, "listed-%d" % count), 0, 0, account.url)
        sync = [os.path.join(app, "korvane"), "--sync", "--password-file", password]
        lines.append(row("korvane: first download, %d notes" % count,
                         *measure(sync, env, account.proxy)))
        lines.append(row("korvane: nothing changed, %d notes" % count,
                         *measure(sync, env, account.proxy)))
    return lines


def vdirsyncer_setup(work, name, account, notes, contacts):
    """vdirsyncer's configuration and storage folders for one server; the
    files hold `notes` and `contacts` items."""
    folder = os.path.join(work, "vdirsyncer-" + name)
    os.makedirs(folder)
    item_files(folder, notes, contacts)
    config = os.path.join(folder, "vdirsyncer.conf")
    with open(config, "w") as f:
        f.write(VDIRSYNCER_CONFIG % {"work": folder, "url": account.url, "user": dav.USER,
                                     "password": dav.PASSWORD})
    return config


def bench_vdirsyncer(work, env, sizes, accounts):
    """vdirsyncer: the same items into empty collections of its own server;
    then `listed` notes put there brought down and synced again."""
    upload_notes, upload_contacts, listed = sizes
    lines = []
    for name, notes, contacts in (("upload", upload_notes, upload_contacts),
                                  ("listed", 0, 0)):
        account = new_account(work, "vdirsyncer-" + name, accounts)
        account.phone.make_calendar("/%s/notes/" % dav.USER, "notes")
        account.phone.make_addressbook("/%s/cards/" % dav.USER, "cards")
        if name == "listed":
            fill(account, "/%s/notes/" % dav.USER, listed)
        config = vdirsyncer_setup(work, name, account, notes, contacts)
        vdir_env = dict(env, VDIRSYNCER_CONFIG=config)
        measure(["vdirsyncer", "discover"], vdir_env, account.proxy)
        first = measure(["vdirsyncer", "sync"], vdir_env, account.proxy)
        if name == "upload":
            held = len(account.phone.etags("/%s/notes/" % dav.USER))
        else:
            held = len(os.listdir(os.path.join(os.path.dirname(config), "notes")))
        if held != (notes if name == "upload" else listed):
            raise SystemExit("vdirsyncer's %s holds %d notes" % (
                "server" if name == "upload" else "folder", held))
        if name == "upload":
            lines.append(row("vdirsyncer: first upload, %d notes + %d contacts"
                             % (notes, contacts), *first))
        else:
            lines.append(row("vdirsyncer: first download, %d notes" % listed, *first))
            lines.append(row("vdirsyncer: nothing changed, %d notes" % listed,
                             *measure(["vdirsyncer", "sync"], vdir_env, account.proxy)))
    return lines


def main(argv):
    build = argv[1] if len(argv) > 1 else os.path.join(ROOT, "build", "release")
    sizes = (int(argv[2]) if len(argv) > 2 else 10000, int(argv[3]) if len(argv) > 3 else 1000,
             int(argv[4]) if len(argv) > 4 else 10000)
    work = tempfile.mkdtemp(prefix="korvane-bench-sync-")
    accounts = []
    try:
        home = os.path.join(work, "home")
        os.makedirs(home)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
               "XDG_CONFIG_HOME": os.path.join(home, ".config"),
               "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
               "LANG": "C.UTF-8", "TZ": "Asia/Shanghai", "QT_QPA_PLATFORM": "offscreen"}
        password = os.path.join(work, "password")
        with open(os.open(password, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(dav.PASSWORD + "\n")
        version = subprocess.run(["radicale", "--version"], stdout=subprocess.PIPE)
        print("Radicale %s; each program works with a server of its own, through the tests' "
              "counting proxy" % version.stdout.decode().strip())
        print("%-52s %10s %10s %9s" % ("", "ms", "cpu ms", "requests"), flush=True)
        if build != "-":  # "-": vdirsyncer alone
            bench_korvane(os.path.join(build, "bin"), work, env, password, sizes, accounts)
        bench_vdirsyncer(work, env, sizes, accounts)
    finally:
        for account in accounts:
            account.close()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
