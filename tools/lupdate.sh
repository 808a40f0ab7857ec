#!/bin/sh
# Brings the translations (translations/korvane_*.ts) up to date with the
# texts in the code: every Ui::tr("...") literal (and QT_TRANSLATE_NOOP("Ui",
# "...") in the page's table) of the program's libraries. New texts come in
# unfinished, texts gone from the code are dropped. Then translate them in
# Qt Linguist (linguist translations/korvane_en.ts) and build: the build
# compiles the files with lrelease.
#   tools/lupdate.sh [file.ts...]   default: every translations/korvane_*.ts
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
cd "$root"
[ $# -gt 0 ] || set -- translations/korvane_*.ts
# Ui::tr is read as tr(), KORVANE_TR_CONTEXT(Ui) names its context, and
# KORVANE_TRANSLATE_NOOP marks table entries as QT_TRANSLATE_NOOP does.
exec "$lupdate" -silent -no-obsolete -locations none -source-language zh_CN \
  -tr-function-alias Q_DECLARE_TR_FUNCTIONS+=KORVANE_TR_CONTEXT,QT_TRANSLATE_NOOP+=KORVANE_TRANSLATE_NOOP \
  -extensions cpp,h \
  base platform platformqt store render exchange logic browser syncqt dialogs mainwindow app \
  -ts "$@"
