#include "mainwindow/enginesetup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace korvane {
namespace {

// Adds a switch to the engine's, unless the user's already name it.
void AddEngineSwitch(QByteArray& switches, const QByteArray& name) {
    if (switches.contains(name)) return;
    if (!switches.isEmpty()) switches += ' ';
    switches += name;
}

}  // namespace

void PrepareWebEngine() {
    QByteArray switches = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // The engine keeps a second helper process ready for helpers that run
    // outside the sandbox; this page needs none, and that helper holds some
    // fifty megabytes for the program's whole life, shown or hidden. The
    // renderer's own sandboxed helper stays.
    AddEngineSwitch(switches, "--no-unsandboxed-zygote");
    if (qEnvironmentVariableIsSet("KORVANE_GPU")) {
        // Drawing through the graphics card, for a desktop where that is wanted.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    } else {
        // The window is small and its page simple: drawn by the processor,
        // the engine and the toolkit load no graphics driver at all (on X11
        // the toolkit would load one for nothing), which saves about a fifth
        // of the program's memory, a tenth of a second at start and a fifth
        // of every show's time (measured in web_bench --tray).
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
            qputenv("QT_XCB_GL_INTEGRATION", "none");
        }
        AddEngineSwitch(switches, "--disable-gpu");
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches);
}

}  // namespace korvane
