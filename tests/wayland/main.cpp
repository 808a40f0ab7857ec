// Entry of the Wayland tests: one QApplication for the whole run, on the
// Wayland display the driver script started (weston's headless backend).
#include <gtest/gtest.h>

#include <QApplication>

#include "mainwindow/enginesetup.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    ::testing::InitGoogleTest(&argc, argv);
    korvane::PrepareWebEngine();  // as the program starts the engine
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
