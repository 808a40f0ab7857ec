// Entry of the web engine tests: one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include "mainwindow/enginesetup.h"

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    ::testing::InitGoogleTest(&argc, argv);
    korvane::PrepareWebEngine();  // as the program starts the engine
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
