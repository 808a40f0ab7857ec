// What screen readers say for the dialogs' controls. A control that shows
// its own text (a button, a check box) is named by it; the fields are named
// after the caption beside them, and controls without any text (an emoticon
// of the palette, a text view) get a name that says what they hold or do.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace korvane {

class HistoryDialog;
class Tfcon;
class TNE;
class Tsmsf;

// A field's caption as a name: without the colon and, between Chinese
// characters, without the blanks that space it out ("标 题：" is "标题").
QString SpokenCaption(const QString& caption);

// Names `field` after `caption` (SpokenCaption of its text) and makes the
// caption its label, so a reader relates the two.
void NameAfterCaption(QWidget* field, QLabel* caption);

void NameForReaders(TNE& editor);
void NameForReaders(Tfcon& editor);
void NameForReaders(Tsmsf& box);
void NameForReaders(HistoryDialog& dialog);

}  // namespace korvane
