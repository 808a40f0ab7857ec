// The tray on Wayland: where a StatusNotifierWatcher holds its name on the
// session bus (every panel that shows such icons runs one), the program's
// tray icon registers with it as a StatusNotifierItem, and the caption's
// hide button then hides the window to it instead of minimising.
//
// The toolkit decides once per process whether such a tray exists, so the
// driver runs this file's test in a process of its own, with the stand-in
// watcher registered before any tray icon is made.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSystemTrayIcon>
#include <QThread>
#include <mutex>

#include "program_harness.h"
#include "support/waits.h"

namespace korvane {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// Answers as a panel's watcher does and remembers the items registered.
class StandInWatcher : public QDBusVirtualObject {
  public:
    explicit StandInWatcher(const QDBusConnection& bus) : bus_(bus) {}

    // The toolkit reads the watcher through an introspected interface.
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\">"
            "<arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            // IsStatusNotifierHostRegistered, ProtocolVersion: a host is there.
            const QString name = message.arguments().value(1).toString();
            const QVariant value =
                name == QLatin1String("ProtocolVersion") ? QVariant(0) : QVariant(true);
            bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        } else if (message.member() == QLatin1String("RegisterStatusNotifierItem")) {
            {
                std::lock_guard lock(mutex_);
                items_ << message.arguments().value(0).toString();
                senders_ << message.service();
            }
            bus_.send(message.createReply());
        } else {
            return false;
        }
        return true;
    }

    // The registered items, each as the name it gave or, when it gave a path,
    // the bus name it registered from.
    QStringList Items() {
        std::lock_guard lock(mutex_);
        QStringList out;
        for (int i = 0; i < items_.size(); ++i)
            out << (items_[i].startsWith(QLatin1Char('/')) ? senders_[i] : items_[i]);
        return out;
    }

  private:
    QDBusConnection bus_;
    std::mutex mutex_;
    QStringList items_;
    QStringList senders_;
};

class TrayOnWayland : public ::testing::Test {
  protected:
    TrayOnWayland()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in watcher")),
          watcher_(bus_) {
        registered_ =
            bus_.registerService(kWatcher) && bus_.registerVirtualObject(kWatcherPath, &watcher_);
        thread_.start();
        watcher_.moveToThread(&thread_);
    }
    ~TrayOnWayland() override {
        program_.reset();
        bus_.unregisterObject(kWatcherPath);
        bus_.unregisterService(kWatcher);
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus("stand-in watcher");
    }

    // The program as its entry assembles it, made once the watcher is there.
    struct Program : test::ProgramTest {
        Program() : ProgramTest("wayland tray 托盘") {}
        void TestBody() override {}
        using ProgramTest::Window;
    };

    QDBusConnection bus_;
    StandInWatcher watcher_;
    QThread thread_;
    bool registered_ = false;
    std::unique_ptr<Program> program_;
};

TEST_F(TrayOnWayland, TheIconRegistersAsAStatusNotifierItemAndHidingGoesToIt) {
    ASSERT_TRUE(registered_);
    EXPECT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    program_ = std::make_unique<Program>();
    TMyHappy& w = program_->Window();
    ASSERT_TRUE(w.TrayIcon1->isVisible());
    ASSERT_TRUE(test::Eventually([&] { return !watcher_.Items().isEmpty(); }, 5000));

    // The item is the program's own (on a bus connection of the toolkit's).
    const QString item = watcher_.Items().first();
    EXPECT_EQ(QDBusConnection::sessionBus().interface()->servicePid(item).value(),
              uint(QCoreApplication::applicationPid()))
        << item.toStdString();

    w.show();
    w.BitBtn1->click();  // the caption's hide button
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
}

}  // namespace
}  // namespace korvane
