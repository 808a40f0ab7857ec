// The object the page's script reaches as window.external.
//
// The page calls window.external.MyDoEx(X, Y, W, H, HT, n, f, v, KD, ASQL) with
// ten arguments and always gets "" back at once; the call itself travels over a
// web channel and reaches the DoEx handler a moment later. A call with any other
// number of arguments throws in the page and never reaches the program.
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

// The script that gives every frame its window.external before the page's own
// scripts run: the web channel client followed by the MyDoEx stub.
QString ExternalShimSource();

}  // namespace korvane
