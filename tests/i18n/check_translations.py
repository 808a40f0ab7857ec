#!/usr/bin/env python3
"""Checks that every Chinese text the program shows can be translated.

1. lupdate is run over the sources into a temporary .ts; every source text it
   finds must be in each shipped translations/korvane_*.ts with a finished,
   non-empty translation, in the context Ui::tr reads (Ui).
2. The user-facing code is scanned for Chinese string literals that lupdate
   cannot see: any literal with a CJK character that is not inside
   Ui::tr(...) or QT_TRANSLATE_NOOP("Ui", ...), except the allow-listed texts
   that must stay Chinese (stored data, names written into files).
3. The page's own Chinese texts (main.html, main.js) must be keys of the
   table the program hands the page (mainwindow/pagetexts.cpp), and main.js
   must show them only through T("...").

Usage: check_translations.py SOURCE_DIR LUPDATE
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

CJK = re.compile(r"[\u3000-\u303f\u4e00-\u9fff\uff01-\uff5e]")
LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')
# Literals that follow one of these, up to the closing parenthesis, are seen.
SEEN_CALLS = re.compile(r'(?:Ui::tr|QT_TRANSLATE_NOOP|KORVANE_TRANSLATE_NOOP)\s*\(')

# Folders whose code shows texts to the user.
USER_FACING = ["render", "logic", "dialogs", "mainwindow", "app", "syncqt", "platformqt",
               "exchange"]
# Exchange files that write texts into exported files, file names or stored
# records only: their Chinese is data, never shown by the program itself.
NOT_SHOWN = {"exchange/htmlexport.cpp", "exchange/filenames.cpp"}

# Texts that stay Chinese in every language: names of the sync's collections
# on the server, the title mark of a stored conflict copy, the name of the
# folder an export makes on disk.
ALLOWED = {
    "Korvane 记事",
    "Korvane 联系人",
    "（来自其他设备）",
    "Korvane 导出 ",
    # The full-width apostrophe records store for "'".
    "＇",
    # vCard properties kept in an imported contact's remark, under these names.
    "姓名: ", "电子邮件", "地址", "生日", "单位", "职务", "角色", "网址", "昵称", "纪念日", "性别",
    "位置", "时区", "分类", "语言", "关系", "即时通讯", "电话", "备注",
}


def ts_messages(path):
    """{(context, source, disambiguation): translation, None when unfinished/empty}."""
    out = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name") or ""
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            comment = message.findtext("comment") or ""
            tr = message.find("translation")
            done = tr is not None and (tr.text or "").strip() and tr.get("type") not in (
                "unfinished", "obsolete", "vanished")
            out[(name, source, comment)] = tr.text if done else None
    return out


def strip_comments(code):
    """The code with // and /* */ comments blanked, literals kept."""
    out, i, n = [], 0, len(code)
    while i < n:
        c = code[i]
        if c == '"':
            m = LITERAL.match(code, i)
            if m:
                out.append(m.group(0))
                i = m.end()
                continue
        if code.startswith("//", i):
            j = code.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
            continue
        if code.startswith("/*", i):
            j = code.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", code[i:j]))
            i = j
            continue
        if c == "'":
            m = re.compile(r"'(?:[^'\\\n]|\\.)*'").match(code, i)
            if m:
                out.append(m.group(0))
                i = m.end()
                continue
        out.append(c)
        i += 1
    return "".join(out)


def seen_spans(code):
    """Index ranges of the argument lists of Ui::tr and QT_TRANSLATE_NOOP."""
    spans = []
    for m in SEEN_CALLS.finditer(code):
        depth, i = 1, m.end()
        while i < len(code) and depth:
            if code[i] == '"':
                lit = LITERAL.match(code, i)
                if lit:
                    i = lit.end()
                    continue
            depth += {"(": 1, ")": -1}.get(code[i], 0)
            i += 1
        spans.append((m.end(), i))
    return spans


def unseen_literals(root):
    problems = []
    for folder in USER_FACING:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(base, name)
                if os.path.relpath(path, root) in NOT_SHOWN:
                    continue
                code = strip_comments(open(path, encoding="utf-8").read())
                spans = seen_spans(code)
                for lit in LITERAL.finditer(code):
                    text = lit.group(0)[1:-1]
                    line = code.count("\n", 0, lit.start()) + 1
                    # lupdate drops or changes texts with other escapes.
                    if any(a <= lit.start() < b for a, b in spans) and set(
                            re.findall(r"\\(.)", text)) - set('n"\\'):
                        problems.append(f"{os.path.relpath(path, root)}:{line}: escape lupdate cannot read: {text}")
                    if not CJK.search(text) or text in ALLOWED:
                        continue
                    if any(a <= lit.start() < b for a, b in spans):
                        continue
                    problems.append(f"{os.path.relpath(path, root)}:{line}: {text}")
    return problems


def page_problems(root):
    problems = []
    table = open(os.path.join(root, "mainwindow", "pagetexts.cpp"), encoding="utf-8").read()
    keys = set(re.findall(r'QT_TRANSLATE_NOOP\("Ui",\s*"((?:[^"\\]|\\.)*)"\)', table))
    script = strip_comments(open(os.path.join(root, "data", "hd", "main.js"), encoding="utf-8").read())
    for m in re.finditer(r'"((?:[^"\\\n]|\\.)*)"|\'((?:[^\'\\\n]|\\.)*)\'', script):
        text = m.group(1) if m.group(1) is not None else m.group(2)
        if not CJK.search(text):
            continue
        if not re.search(r"\bT\(\s*$", script[: m.start()]):
            problems.append(f"data/hd/main.js: shown without T(): {text}")
        elif text not in keys:
            problems.append(f"data/hd/main.js: not in the page's table: {text}")
    html = open(os.path.join(root, "data", "hd", "main.html"), encoding="utf-8").read()
    html = re.sub(r"<!--.*?-->", "", html, flags=re.S)
    texts = re.findall(r">([^<>]*)<", html) + re.findall(r'="([^"]*)"', html)
    for text in texts:
        text = text.strip()
        if CJK.search(text) and text not in keys:
            problems.append(f"data/hd/main.html: not in the page's table: {text}")
    return problems


def main():
    root, lupdate = sys.argv[1], sys.argv[2]
    problems = unseen_literals(root) + page_problems(root)
    shipped = sorted(
        os.path.join(root, "translations", n)
        for n in os.listdir(os.path.join(root, "translations"))
        if n.startswith("korvane_") and n.endswith(".ts"))
    if not shipped:
        problems.append("no translations/korvane_*.ts")
    with tempfile.TemporaryDirectory() as tmp:
        fresh = os.path.join(tmp, "korvane_xx.ts")
        env = dict(os.environ, LUPDATE=lupdate)
        subprocess.run([os.path.join(root, "tools", "lupdate.sh"), fresh], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        wanted = ts_messages(fresh)
    for (context, source, _) in sorted(wanted):
        if context != "Ui":
            problems.append(f"lupdate put a text in context '{context}', not Ui: {source}")
    for path in shipped:
        have = ts_messages(path)
        name = os.path.basename(path)
        for key in sorted(wanted):
            if key not in have:
                problems.append(f"{name}: missing: {key[1]}")
            elif have[key] is None:
                problems.append(f"{name}: unfinished or empty: {key[1]}")
    for p in problems:
        print(p)
    print(f"{len(wanted)} texts, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
