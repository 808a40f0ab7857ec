#include "browser/myexternal.h"

#include <QFile>

namespace korvane {
namespace {

// Runs in the page's main world, before the page's own scripts. Everything but
// window.external stays inside the function, so the page's globals are
// untouched. postMessage is bound now: a page that replaces it later only
// loses its own calls. Arguments travel as the channel would carry them:
// texts, numbers and truth values as they are, anything else as null.
constexpr const char* kStub = R"JS(
(function () {
  var key = %1;
  var send = window.postMessage.bind(window);
  var plain = function (value) {
    var type = typeof value;
    return type === "string" || type === "number" || type === "boolean" ? value : null;
  };
  window.external = {
    MyDoEx: function (X, Y, W, H, HT, n, f, v, KD, ASQL) {
      if (arguments.length !== 10) {
        throw new TypeError("MyDoEx takes 10 arguments, " + arguments.length + " given");
      }
      var args = [];
      for (var i = 0; i < 10; ++i) args[i] = plain(arguments[i]);
      var message = {};
      message[key] = args;
      send(message, "*");
      return "";
    }
  };
})();
)JS";

// Runs in the program's isolated world of the top frame, which shares the DOM
// with the page but none of its script objects; the channel transport exists
// in this world only. A message counts as a call only when the page's own
// window posted it: a frame's messages carry the frame as their source. Calls
// that come before the channel is ready wait for it. The page's own message
// listeners never see the calls.
constexpr const char* kBridge = R"JS(
  var key = %1;
  var remote = null;
  var waiting = [];
  var pass = function (args) {
    if (remote) remote.MyDoEx.apply(remote, args);
    else waiting.push(args);
  };
  window.addEventListener("message", function (event) {
    if (event.source !== window) return;
    var data = event.data;
    var args = data !== null && typeof data === "object" ? data[key] : undefined;
    if (!Array.isArray(args) || args.length !== 10) return;
    event.stopImmediatePropagation();
    pass(args);
  }, true);
  if (typeof qt === "object" && qt && qt.webChannelTransport) {
    new QWebChannel(qt.webChannelTransport, function (channel) {
      remote = channel.objects[%2];
      waiting.splice(0).forEach(pass);
    });
  }
)JS";

QString Quoted(const char* name) {
    return QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"');
}

QString WebChannelClient() {
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

TMyExternal::TMyExternal(QObject* parent) : QObject(parent) {}

void TMyExternal::MyDoEx(int X, int Y, int W, int H, int HT, const QString& n, const QString& f,
                         const QString& v, const QString& KD, const QString& ASQL) {
    if (doEx_) doEx_(DoExCall{X, Y, W, H, HT, n, f, v, KD, ASQL});
}

QString ExternalStubSource() {
    static const QString source = QString::fromUtf8(kStub).arg(Quoted(kExternalMessageKey));
    return source;
}

QString ExternalBridgeSource() {
    // The client's definitions stay inside the function as well.
    static const QString source =
        QStringLiteral("(function () {\n") + WebChannelClient() + QStringLiteral("\n") +
        QString::fromUtf8(kBridge).arg(Quoted(kExternalMessageKey), Quoted(kExternalChannelName)) +
        QStringLiteral("})();\n");
    return source;
}

}  // namespace korvane
