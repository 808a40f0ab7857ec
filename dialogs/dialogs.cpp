#include "dialogs/dialogs.h"

namespace korvane {

Dialogs::Dialogs(QWidget* mainWindow)
    : NE(new TNE(mainWindow)), fcon(new Tfcon(mainWindow)), smsf(new Tsmsf(mainWindow)) {
    NE->ReportThrough(smsf);
    fcon->ReportThrough(smsf);
}

}  // namespace korvane
