// Creation of the program's three dialogs, once, over the main window.
#pragma once

#include "dialogs/contacteditor.h"
#include "dialogs/messagebox.h"
#include "dialogs/noteeditor.h"

class QWidget;

namespace korvane {

// Creates NE, fcon and smsf (in this order) as dialogs of `mainWindow`, modal
// over it; they live as long as it does, and the globals become null when
// they go. The application paths must be set: the note editor reads its
// emoticon pictures here.
void CreateDialogs(QWidget* mainWindow);

}  // namespace korvane
