#include "browser/externalcontainer.h"

#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace korvane {
namespace {

const QString kStubName = QStringLiteral("korvane-external");
const QString kBridgeName = QStringLiteral("korvane-external-bridge");

// The channel lives in a world of the program's own: the page's script can
// neither reach its transport nor the published object.
constexpr quint32 kChannelWorld = QWebEngineScript::ApplicationWorld;

QWebEngineScript TopFrameScript(const QString& name, const QString& source, quint32 world) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    // Before the page's own scripts, in the top frame only: a frame has no
    // window.external and nothing that would pass its calls on.
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(false);
    return script;
}

}  // namespace

TExternalContainer::TExternalContainer(QWebEngineView* body)
    : TNulWBContainer(body), external_(new TMyExternal(this)), channel_(new QWebChannel(this)) {
    channel_->registerObject(QString::fromLatin1(kExternalChannelName), external_);
    Page()->setWebChannel(channel_, kChannelWorld);
    Page()->scripts().insert(TopFrameScript(kBridgeName, ExternalBridgeSource(), kChannelWorld));
    Page()->scripts().insert(
        TopFrameScript(kStubName, ExternalStubSource(), QWebEngineScript::MainWorld));
}

TExternalContainer::~TExternalContainer() {
    if (!Page()) return;
    Page()->setWebChannel(nullptr, kChannelWorld);
    for (const QString& name : {kStubName, kBridgeName}) {
        for (const QWebEngineScript& script : Page()->scripts().find(name)) {
            Page()->scripts().remove(script);
        }
    }
}

}  // namespace korvane
