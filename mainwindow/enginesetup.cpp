#include "mainwindow/enginesetup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace korvane {

void PrepareWebEngine() {
    // KORVANE_GPU brings back drawing through the graphics card, for a
    // desktop where that is wanted.
    if (qEnvironmentVariableIsSet("KORVANE_GPU")) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return;
    }
    // The window is small and its page simple: drawn by the processor, the
    // engine and the toolkit load no graphics driver at all (on X11 the
    // toolkit would load one for nothing), which saves about a fifth of the
    // program's memory and a tenth of a second at every start and show.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    }
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu")) {
        flags += flags.isEmpty() ? "--disable-gpu" : " --disable-gpu";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

}  // namespace korvane
