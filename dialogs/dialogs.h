// The program's three dialogs, made over the main window by whoever owns
// them (the main window's command host).
#pragma once

#include "dialogs/contacteditor.h"
#include "dialogs/messagebox.h"
#include "dialogs/noteeditor.h"

class QWidget;

namespace korvane {

// The note editor, the contact editor and the message box of one main
// window. The dialogs are the window's children: they go with it, and this
// value must not outlive it. The editors report through `smsf`, so every
// notice is centred over the main window.
struct Dialogs {
    // Creates NE, fcon and smsf (in this order) as dialogs of `mainWindow`,
    // modal over it. The application paths must be set: the note editor
    // reads its emoticon pictures here.
    explicit Dialogs(QWidget* mainWindow);

    TNE* NE;
    Tfcon* fcon;
    Tsmsf* smsf;
};

}  // namespace korvane
