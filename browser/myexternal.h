// The object the page's script reaches as window.external.
//
// The page calls window.external.MyDoEx(X, Y, W, H, HT, n, f, v, KD, ASQL) with
// ten arguments and always gets "" back at once; the call reaches the DoEx
// handler a moment later. A call with any other number of arguments throws in
// the page and never reaches the program.
//
// The page's script never sees the web channel. Its window.external is a plain
// stub that posts the ten arguments to the page's own window; a script of the
// program's isolated world, which alone holds the channel, takes those messages
// and calls MyDoEx. Nothing else of the object is reachable from the page, and
// frames get no window.external of their own.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace korvane {

// The ten arguments of one MyDoEx call, in the page's order.
struct DoExCall {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    int HT = 0;
    QString n;
    QString f;
    QString v;
    QString KD;
    QString ASQL;
};

class TMyExternal : public QObject {
    Q_OBJECT
  public:
    using DoExHandler = std::function<void(const DoExCall& call)>;

    explicit TMyExternal(QObject* parent = nullptr);

    void SetDoEx(DoExHandler handler) { doEx_ = std::move(handler); }

    // Called by the page through the web channel.
    Q_INVOKABLE void MyDoEx(int X, int Y, int W, int H, int HT, const QString& n, const QString& f,
                            const QString& v, const QString& KD, const QString& ASQL);

  private:
    DoExHandler doEx_;
};

// The name the object is published under on the page's web channel.
inline constexpr const char* kExternalChannelName = "korvaneExternal";

// The key under which the stub posts a call's arguments to the page's window.
inline constexpr const char* kExternalMessageKey = "korvaneMyDoEx";

// The page's window.external: checks the argument count and posts the call.
// For the page's main world, before its own scripts run.
QString ExternalStubSource();

// The web channel client and the listener that passes the calls the page's
// own window posted on to MyDoEx. For the program's isolated world.
QString ExternalBridgeSource();

}  // namespace korvane
