#include "dialogs/dialogs.h"

#include <QObject>

namespace korvane {
namespace {

// Creates the dialog, stores it in its global and clears the global again
// when the dialog is destroyed with its main window.
template <typename Form>
void Create(Form*& global, QWidget* mainWindow) {
    delete global;
    global = new Form(mainWindow);
    QObject::connect(global, &QObject::destroyed, [&global, created = global] {
        if (global == created) global = nullptr;
    });
}

}  // namespace

void CreateDialogs(QWidget* mainWindow) {
    Create(NE, mainWindow);
    Create(fcon, mainWindow);
    Create(smsf, mainWindow);
}

}  // namespace korvane
