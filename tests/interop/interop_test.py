#!/usr/bin/env python3
"""The export read by real programs, and the export read back by the program.

usage: interop_test.py BIN_DIR khard|pandoc|gnote|roundtrip

BIN_DIR holds the built program and its data (build/<preset>/bin). Each run
copies the program and its data into a temporary application folder of its
own, seeds its notebook with the sqlite3 shell (texts as GBK bytes, line
breaks CR LF, as the program stores them), and runs `korvane --export` and
`korvane --import` there, with a home, settings and time zone of the run's own.

  khard      the exported contacts.vcf, one card per file in an address book
             folder (khard reads only the first card of a file), listed and
             shown by khard: the same names, telephones, remarks and messenger ids
  pandoc     an exported note read by pandoc as Markdown: the title from the
             front matter, the body's text, bold as Strong, the red snippet as
             a span of its class, the line breaks and the Chinese text
  gnote      notes made in the real note program, started without a screen of
             its own (Xvfb) on a private session bus and driven through its
             D-Bus remote control, imported from its folder: the titles, the
             texts and the dates arrive
  roundtrip  the export imported into an empty notebook: every row the same
             bytes (hex() through the sqlite3 shell), and a second import
             adds nothing

Exit status 0 when every check passed, 1 otherwise.
"""

import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

# Records as (title, tel or None for a note, content, saved); texts as typed,
# stored as GBK with CR LF line breaks.
CONTACTS = [
    ("张三", "13800138000", "同事，住在北京\n{QQ12345QQ} 晚上打", "2026-03-04 05:06:07"),
    ("Alice Smith", "+86 10 6552 9988", "{SPalice.smithSP}", "2026-11-30 23:59:59"),
    ("王, 五;", "021-12345678", "", "2025-01-01 00:00:00"),
    ("李四 Li Si", "", "朋友 {QQ987654QQ}{MSli@example.comMS}", "2024-07-15 12:30:00"),
]
NOTE = ("周会纪要 Weekly", None,
        '第一行 <span class="TBlank">粗体 bold</span> 结束\n'
        '<span class="Tred">红字 red</span>\n'
        "第三行：中文 € 和 ＇引号＇\n\n"
        "新段落 {EM3EM}", "2026-12-08 09:10:11")
NOTES = [NOTE,
         ("Plain ASCII note", None, "one\ntwo\nthree", "2026-01-02 03:04:05"),
         ("重复标题", None, "甲", "2026-05-05 05:05:05"),
         ("重复标题", None, "乙 # not a heading\n1. not a list", "2026-05-05 05:05:06")]

ROW_QUERY = ("SELECT state, hex(title), hex(content), hex(tel), hex(cre_date) FROM mylist "
             "ORDER BY state, cre_date, hex(title), hex(content)")


class Failure(Exception):
    pass


def run(args, ok_codes=(0,), quiet=False, **kwargs):
    """The command's output; it must end with one of `ok_codes`, and with
    `quiet` say nothing on stderr (khard warns there of cards it skips)."""
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120,
                          **kwargs)
    if done.returncode not in ok_codes or (quiet and done.stderr.strip()):
        raise Failure("%s exited %d:\n%s%s" % (" ".join(args), done.returncode,
                                               done.stdout.decode(errors="replace"),
                                               done.stderr.decode(errors="replace")))
    return done.stdout.decode("utf-8")


def stored(text):
    """A text as the program stores it: CR LF line breaks, GBK bytes (0x80 is
    the euro sign, as in the Windows code page), GB18030 for what GBK lacks."""
    out = bytearray()
    for c in text.replace("\n", "\r\n"):
        try:
            out += b"\x80" if c == "€" else c.encode("gbk")
        except UnicodeEncodeError:
            out += c.encode("gb18030")
    return bytes(out)


def not_shipped(folder, names):
    """What a run left in the build's folder: notebooks, backups, drafts."""
    return [n for n in names if n in ("backup", "drafts")
            or (n.startswith("glst.mysql") and n != "glst.mysql.root")]


class Harness:
    """The program in application folders of the run's own, and the checks."""

    def __init__(self, bin_dir):
        self.bin_dir = os.path.abspath(bin_dir)
        self.root = tempfile.mkdtemp(prefix="korvane-interop-")
        home = os.path.join(self.root, "home")
        os.makedirs(home)
        runtime = os.path.join(self.root, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
                    "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                    "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                    "XDG_RUNTIME_DIR": runtime, "LANG": "C.UTF-8", "TZ": "Asia/Shanghai",
                    "QT_QPA_PLATFORM": "offscreen"}
        self.passed = 0

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def ok(self, text):
        self.passed += 1
        print("ok    " + text, flush=True)

    def expect(self, condition, text):
        if not condition:
            raise Failure(text)
        self.ok(text)

    def expect_equal(self, got, wanted, text):
        if got != wanted:
            raise Failure("%s\n  got:    %r\n  wanted: %r" % (text, got, wanted))
        self.ok(text)

    def app_folder(self, name):
        """A copy of the program and its data; returns the folder."""
        app = os.path.join(self.root, name)
        os.makedirs(app)
        shutil.copy2(os.path.join(self.bin_dir, "korvane"), app)
        for folder in ("hd", "skin", "bmp"):
            source = os.path.join(self.bin_dir, folder)
            if os.path.isdir(source):
                shutil.copytree(source, os.path.join(app, folder), ignore=not_shipped)
        return app

    @staticmethod
    def notebook(app):
        return os.path.join(app, "hd", "glst.mysql")

    def seed(self, app, records):
        """Writes the records into the folder's notebook with the sqlite3 shell."""
        db = self.notebook(app)
        if not os.path.exists(db):
            shutil.copy2(db + ".root", db)
        text = lambda value: "CAST(x'%s' AS TEXT)" % stored(value).hex()
        sql = ["BEGIN;"]
        for title, tel, content, saved in records:
            sql.append("INSERT INTO mylist(title,content,tel,state,cre_date) "
                       "VALUES(%s,%s,%s,%d,%s);" % (text(title), text(content), text(tel or ""),
                                                   0 if tel is None else 1, text(saved)))
        sql.append("COMMIT;")
        run(["sqlite3", db], input="\n".join(sql).encode())

    def korvane(self, app, *args):
        return run([os.path.join(app, "korvane"), *args], env=self.env, cwd=self.root)

    def export(self, app, *options):
        folder = os.path.join(self.root, "export of " + os.path.basename(app))
        self.korvane(app, "--export", folder, *options)
        self.expect(os.path.isfile(os.path.join(folder, ".korvane-export")),
                    " ".join(["korvane --export", *options, "wrote its folder"]))
        return folder

    def rows(self, app):
        out = run(["sqlite3", "-separator", "|", self.notebook(app), ROW_QUERY])
        return [tuple(line.split("|")) for line in out.splitlines()]


# khard -----------------------------------------------------------------------

KHARD_CONFIG = """[addressbooks]
[[exported]]
path = %s
[general]
debug = no
default_action = list
editor = /bin/false
merge_editor = /bin/false
[contact table]
display = formatted_name
[vcard]
private_objects = QQ, Skype, MSN
"""


def split_cards(vcf, folder):
    """One file per card, as an address book folder holds them."""
    with open(vcf, "rb") as f:
        text = f.read().decode("utf-8")
    cards = [c + "END:VCARD\r\n" for c in text.split("END:VCARD\r\n") if c.strip()]
    os.makedirs(folder)
    for n, card in enumerate(cards):
        with open(os.path.join(folder, "card-%d.vcf" % n), "wb") as f:
            f.write(card.encode("utf-8"))
    return cards


def yaml_fields(text):
    """The top-level fields of khard's YAML form: a value, a block (|) or a
    mapping one level deep, enough for the fields checked here."""
    fields, key = {}, None
    lines = [line for line in text.splitlines() if not line.lstrip().startswith("#")]
    for line in lines:
        if not line.strip():
            continue
        if not line.startswith(" "):
            key, _, value = line.partition(":")
            value = value.strip()
            fields[key] = [] if value in ("", "|") else value
        elif isinstance(fields.get(key), list):
            fields[key].append(line.strip())
    return fields


def unquote(value):
    """A YAML scalar's text: plain, single-quoted, or double-quoted with
    escapes (as JSON writes them, which covers what khard writes)."""
    if len(value) > 1 and value[0] == value[-1] == "'":
        return value[1:-1].replace("''", "'")
    if len(value) > 1 and value[0] == value[-1] == '"':
        return json.loads(value)
    return value


def check_khard(h):
    for tool in ("khard", "sqlite3"):
        if not shutil.which(tool):
            raise Failure(tool + " is not installed (tools/korvane.sh installs it)")
    for version in ([], ["--vcard4"]):
        app = h.app_folder("khard" + "".join(version))
        h.seed(app, CONTACTS + NOTES[:1])
        folder = h.export(app, *version)
        book = os.path.join(h.root, "book" + "".join(version))
        cards = split_cards(os.path.join(folder, "contacts.vcf"), book)
        h.expect_equal(len(cards), len(CONTACTS), "contacts.vcf holds one card per contact")
        config = os.path.join(h.root, "khard%s.conf" % "".join(version))
        with open(config, "w") as f:
            f.write(KHARD_CONFIG % book)
        khard = lambda *args: run(["khard", "-c", config, *args], env=h.env, quiet=True)
        what = "(vCard %s)" % ("4.0" if version else "3.0")

        listed = [line.split("\t") for line in khard("list", "--parsable").splitlines()]
        h.expect_equal(sorted(name for _, name, _ in listed), sorted(c[0] for c in CONTACTS),
                       "khard list shows every name " + what)
        h.expect(all(uid.startswith("korvane-") for uid, _, _ in listed),
                 "each card has its UID " + what)
        phones = [line.split("\t")[:2] for line in khard("phone", "--parsable").splitlines()]
        h.expect_equal(sorted(tuple(p) for p in phones),
                       sorted((tel, name) for name, tel, _, _ in CONTACTS if tel),
                       "khard phone lists every telephone with its name " + what)

        for uid, name, _ in listed:
            title, tel, remark, _ = next(c for c in CONTACTS if c[0] == name)
            shown = yaml_fields(khard("show", "--format", "yaml", "uid:" + uid))
            h.expect_equal(shown.get("Formatted name"), name, "khard show: the name of " + name)
            phone = [unquote(p.partition(":")[2].strip()) for p in shown.get("Phone") or []]
            phone = [p for p in phone if p]  # the template's empty places
            h.expect_equal(phone, [tel] if tel else [], "khard show: the telephone of " + name)
            note = shown.get("Note")
            note = "\n".join(note) if isinstance(note, list) else unquote(note or "")
            h.expect_equal(note, remark, "khard show: the remark of %s, as typed" % name)
            private = sorted("%s: %s" % (k, unquote(v.strip())) for k, _, v in
                             (p.partition(":") for p in shown.get("Private") or [])
                             if unquote(v.strip()))
            wanted = []
            for tag, label in (("QQ", "QQ"), ("SP", "Skype"), ("MS", "MSN")):
                start = remark.find("{" + tag)
                if start >= 0:
                    end = remark.find(tag + "}", start + 3)
                    wanted.append("%s: %s" % (label, remark[start + 3:end]))
            h.expect_equal(private, sorted(wanted), "khard show: the messenger ids of " + name)


# pandoc ----------------------------------------------------------------------

def inlines_text(inlines):
    """The text of pandoc inlines, a soft or hard break as a line feed."""
    out = []
    for item in inlines:
        kind, content = item["t"], item.get("c")
        if kind == "Str":
            out.append(content)
        elif kind == "Space":
            out.append(" ")
        elif kind in ("SoftBreak", "LineBreak"):
            out.append("\n")
        elif kind in ("Strong", "Emph"):
            out.append(inlines_text(content))
        elif kind == "Span":
            out.append(inlines_text(content[1]))
    return "".join(out)


def walk(node, kind):
    """Every element of a kind anywhere in the pandoc tree."""
    if isinstance(node, dict):
        if node.get("t") == kind:
            yield node
        for value in node.values():
            yield from walk(value, kind)
    elif isinstance(node, list):
        for value in node:
            yield from walk(value, kind)


def check_pandoc(h):
    for tool in ("pandoc", "sqlite3"):
        if not shutil.which(tool):
            raise Failure(tool + " is not installed (tools/korvane.sh installs it)")
    app = h.app_folder("pandoc")
    h.seed(app, NOTES + CONTACTS[:1])
    folder = h.export(app)
    files = glob.glob(os.path.join(folder, "notes", "*.md"))
    h.expect_equal(len(files), len(NOTES), "one Markdown file per note")
    h.expect(os.path.isfile(os.path.join(folder, "notes", "emoticons", "3.bmp")),
             "the emoticon the note shows is beside it")
    path = os.path.join(folder, "notes", NOTE[0] + ".md")
    h.expect(os.path.isfile(path), "the note's file is named after its title")

    tree = json.loads(run(["pandoc", "-f", "markdown", "-t", "json", path], env=h.env))
    title = tree["meta"].get("title", {})
    h.expect_equal(inlines_text(title.get("c", [])), NOTE[0], "pandoc: the title from the front matter")
    paragraphs = [b for b in tree["blocks"] if b["t"] == "Para"]
    h.expect_equal(len(paragraphs), 2, "pandoc: two paragraphs (the empty line parts them)")
    first = inlines_text(paragraphs[0]["c"])
    h.expect_equal(first, "第一行 粗体 bold 结束\n红字 red\n第三行：中文 € 和 ＇引号＇",
                   "pandoc: the body's text and its line breaks")
    strong = [inlines_text(s["c"]) for s in walk(tree["blocks"], "Strong")]
    h.expect_equal(strong, ["粗体 bold"], "pandoc: the bold snippet is Strong")
    spans = [(s["c"][0][1], inlines_text(s["c"][1])) for s in walk(tree["blocks"], "Span")]
    h.expect_equal(spans, [(["Tred"], "红字 red")], "pandoc: the red snippet is a span of its class")
    images = [i["c"][2][0] for i in walk(paragraphs[1], "Image")]
    h.expect_equal(images, ["emoticons/3.bmp"], "pandoc: the emoticon is a picture beside the note")
    h.expect_equal(inlines_text(paragraphs[1]["c"]).strip(), "新段落", "pandoc: the second paragraph")

    # The note whose lines look like Markdown stays text: no heading, no list.
    others = [json.loads(run(["pandoc", "-f", "markdown", "-t", "json", f], env=h.env))
              for f in files if f != path]
    kinds = {b["t"] for t in others for b in t["blocks"]}
    h.expect(kinds <= {"Para", "Plain"}, "pandoc: escaped characters make no heading or list")
    texts = sorted(inlines_text(b["c"]) for t in others for b in t["blocks"])
    h.expect_equal(texts, sorted(["one\ntwo\nthree", "甲", "乙 # not a heading\n1. not a list"]),
                   "pandoc: the other notes' text as typed")

    html = run(["pandoc", "-f", "markdown", "-s", "-t", "html", path], env=h.env)
    h.expect("<title>%s</title>" % NOTE[0] in html and "<strong>粗体 bold</strong>" in html,
             "pandoc -s -t html: the page's title and the bold text")


# Round trip --------------------------------------------------------------------

# gnote -----------------------------------------------------------------------

GNOTE_NOTES = [("购物清单", "牛奶 2 盒\n面包 <全麦> & 果酱 😀"),
               ("Meeting notes", "first line\nsecond line")]

# Starts the note program in the background, waits for its remote control,
# makes each note (title, then body lines), waits until every note is on disk
# and ends the program. Arguments: the folder notes go to, then title/body
# pairs.
GNOTE_SCRIPT = r"""
set -eu
folder=$1; shift
gnote --background >"$HOME/gnote.log" 2>&1 &
program=$!
call() {
    gdbus call --session --dest org.gnome.Gnote --object-path /org/gnome/Gnote/RemoteControl \
        --method org.gnome.Gnote.RemoteControl."$@"
}
for i in $(seq 200); do call Version >/dev/null 2>&1 && break; sleep 0.1; done
while [ $# -gt 0 ]; do
    uri=$(call CreateNamedNote "$1" | sed -E "s/^\('(.*)',\)$/\1/")
    echo "uri $uri" >>"$HOME/gnote.log"
    call SetNoteContents "$uri" "$1
$2" >/dev/null
    for i in $(seq 200); do
        grep -lF -- "$1" "$folder"/*.note 2>/dev/null | xargs -r grep -lF -- "${2%%
*}" | grep -q . && break
        sleep 0.1
    done
    shift 2
done
kill $program 2>/dev/null || true  # the bus may have started its own copy
"""


def check_gnote(h):
    for tool in ("gnote", "gdbus", "dbus-run-session", "xvfb-run"):
        if not shutil.which(tool):
            raise Failure(tool + " is not installed")
    home = os.path.join(h.root, "gnote-home")
    os.makedirs(home)
    env = dict(h.env, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    env.pop("QT_QPA_PLATFORM")
    folder = os.path.join(home, "data", "gnote")
    pairs = [text for note in GNOTE_NOTES for text in note]
    run(["xvfb-run", "-a", "dbus-run-session", "--", "sh", "-c", GNOTE_SCRIPT, "gnote",
         folder, *pairs], env=env, cwd=home)
    files = glob.glob(os.path.join(folder, "*.note"))
    if not files:
        print(open(os.path.join(home, "gnote.log"), errors="replace").read())
    h.expect(len(files) >= len(GNOTE_NOTES), "the note program wrote its notes (%d files)"
             % len(files))
    app = h.app_folder("gnote import")
    h.korvane(app, "--import", folder)
    out = run(["sqlite3", "-separator", "|", h.notebook(app),
               "SELECT hex(title), hex(content), cre_date FROM mylist WHERE state=0"])
    rows = {bytes.fromhex(t): (bytes.fromhex(c), d)
            for t, c, d in (line.split("|") for line in out.splitlines())}
    for title, body in GNOTE_NOTES:
        h.expect(stored(title) in rows, "the note %r arrived" % title)
        content, date = rows[stored(title)]
        h.expect_equal(content.rstrip(b"\r\n"), stored(body), "its text arrived as typed")
        h.expect(len(date) == 19 and date[:2] == "20", "it carries its date (%s)" % date)
    h.korvane(app, "--import", folder)
    h.expect_equal(run(["sqlite3", h.notebook(app), "SELECT count(*) FROM mylist"]).strip(),
                   str(len(rows)), "a second import adds nothing")


def check_roundtrip(h):
    if not shutil.which("sqlite3"):
        raise Failure("sqlite3 is not installed")
    records = CONTACTS + NOTES + [
        ("空", "", "", "2026-02-28 00:00:00"),
        ("只有标题", None, "", "2026-02-28 00:00:01"),
        ("长 " * 100, None, "多行\n" * 300 + "<b>x</b> &#13; \\*", "2026-06-30 12:00:00"),
    ]
    for version in ([], ["--vcard4"]):
        source = h.app_folder("source" + "".join(version))
        h.seed(source, records)
        folder = h.export(source, *version)
        target = h.app_folder("target" + "".join(version))
        h.expect(not os.path.exists(h.notebook(target)), "the second folder starts empty")
        out = h.korvane(target, "--import", folder)
        before, after = h.rows(source), h.rows(target)
        h.expect_equal(len(before), len(records), "the sqlite3 shell reads every seeded row")
        h.expect_equal(after, before, "every row comes back byte for byte (%s)"
                       % ("vCard 4.0" if version else "vCard 3.0"))
        h.korvane(target, "--import", folder)
        h.expect_equal(h.rows(target), before, "a second import adds nothing")
        h.expect(bool(out.strip()), "the import says what it did")


CHECKS = {"khard": check_khard, "pandoc": check_pandoc, "gnote": check_gnote,
          "roundtrip": check_roundtrip}


def main(argv):
    if len(argv) != 3 or argv[2] not in CHECKS:
        print(__doc__, file=sys.stderr)
        return 2
    h = Harness(argv[1])
    try:
        CHECKS[argv[2]](h)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print("FAIL  %s" % failure, flush=True)
        return 1
    finally:
        h.close()
    print("%d checks passed" % h.passed)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
