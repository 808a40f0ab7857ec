#include "browser/myexternal.h"

#include <QFile>

namespace korvane {
namespace {

// Runs in the page's main world. Everything but window.external stays inside
// the function, so the page's globals are untouched. The channel transport
// exists in the top frame only; a frame hands its calls to the top frame.
constexpr const char* kStub = R"JS(
  var relayKey = %2;
  var post;
  if (window === window.top) {
    var remote = null;
    var waiting = [];
    post = function (args) {
      if (remote) remote.MyDoEx.apply(remote, args);
      else waiting.push(args);
    };
    if (typeof qt === "object" && qt && qt.webChannelTransport) {
      new QWebChannel(qt.webChannelTransport, function (channel) {
        remote = channel.objects[%1];
        waiting.splice(0).forEach(post);
      });
    }
    var isOwnFrame = function (w) {
      try {
        for (var depth = 0; w && depth < 64; ++depth) {
          if (w === window) return true;
          if (w === w.parent) return false;
          w = w.parent;
        }
      } catch (e) {}
      return false;
    };
    window.addEventListener("message", function (event) {
      var args = event.data && event.data[relayKey];
      if (event.source === window || !isOwnFrame(event.source)) return;
      if (Array.isArray(args) && args.length === 10) post(args);
    });
  } else {
    post = function (args) {
      var message = {};
      message[relayKey] = args;
      window.top.postMessage(message, "*");
    };
  }
  window.external = {
    MyDoEx: function (X, Y, W, H, HT, n, f, v, KD, ASQL) {
      if (arguments.length !== 10) {
        throw new TypeError("MyDoEx takes 10 arguments, " + arguments.length + " given");
      }
      post(Array.prototype.slice.call(arguments));
      return "";
    }
  };
)JS";

// Marks the messages by which a frame passes its calls to the top frame.
constexpr const char* kRelayKey = "korvaneMyDoEx";

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

QString ExternalShimSource() {
    static const QString source =
        QStringLiteral("(function () {\n") + WebChannelClient() + QStringLiteral("\n") +
        QString::fromUtf8(kStub).arg(Quoted(kExternalChannelName), Quoted(kRelayKey)) +
        QStringLiteral("})();\n");
    return source;
}

}  // namespace korvane
