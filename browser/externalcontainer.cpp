#include "browser/externalcontainer.h"

#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace korvane {
namespace {

const QString kShimName = QStringLiteral("korvane-external");

QWebEngineScript ShimScript() {
    QWebEngineScript script;
    script.setName(kShimName);
    script.setSourceCode(ExternalShimSource());
    // Before the page's own scripts, in the world they run in, in every frame.
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

}  // namespace

TExternalContainer::TExternalContainer(QWebEngineView* body)
    : TNulWBContainer(body), external_(new TMyExternal(this)), channel_(new QWebChannel(this)) {
    channel_->registerObject(QString::fromLatin1(kExternalChannelName), external_);
    Page()->setWebChannel(channel_, QWebEngineScript::MainWorld);
    Page()->scripts().insert(ShimScript());
}

TExternalContainer::~TExternalContainer() {
    if (!Page()) return;
    Page()->setWebChannel(nullptr);
    for (const QWebEngineScript& script : Page()->scripts().find(kShimName)) {
        Page()->scripts().remove(script);
    }
}

}  // namespace korvane
