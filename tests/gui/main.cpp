// Entry of the widget tests: one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include "mainwindow/enginesetup.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    korvane::PrepareWebEngine();  // as the program starts the engine
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
