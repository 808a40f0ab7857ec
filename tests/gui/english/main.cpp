// Entry of the widget tests in English: the language is chosen once for the
// process, before any text is made, as the program does at start.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "mainwindow/enginesetup.h"
#include "mainwindow/language.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    korvane::PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (!korvane::InstallLanguage(korvane::UiLanguage::English)) {
        std::fprintf(stderr, "the English texts did not load\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
