// The global key through the GlobalShortcuts portal, against a stand-in
// portal on the run's private session bus: the session is created, the key
// bound with its preferred trigger, the portal's Activated signal for that
// shortcut (and only that one, in that session) presses it, and unregistering
// closes the session. The stand-in answers from a thread of its own, as a
// real portal answers from its own process.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QThread>
#include <mutex>

#include "platformqt/hotkey.h"
#include "platformqt/posix/hotkey_portal.h"
#include "support/waits.h"

namespace korvane {
namespace {

using platform::PortalHotkey;
using test::Eventually;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// What the stand-in portal was asked.
struct Asked {
    QString session;  // the session it created
    QString boundId;  // the shortcut bound in it
    QVariantMap boundOptions;
    bool closed = false;  // Session.Close reached it
};

class StandInPortal : public QDBusVirtualObject {
  public:
    explicit StandInPortal(const QDBusConnection& bus) : bus_(bus) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
        } else if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(0));
            const QString session =
                Path("session", message, options.value("session_handle_token").toString());
            Remember([&](Asked& a) { a.session = session; });
            Answer(message, options.value("handle_token").toString(),
                   {{QStringLiteral("session_handle"), session}});
        } else if (member == QLatin1String("BindShortcuts")) {
            TakeShortcuts(message.arguments().at(1).value<QDBusArgument>());
            const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(3));
            Answer(message, options.value("handle_token").toString(), {});
        } else if (member == QLatin1String("Close")) {
            Remember([](Asked& a) { a.closed = true; });
            bus_.send(message.createReply());
        } else {
            return false;
        }
        return true;
    }

    // The portal's Activated signal for shortcut `id` in `session`.
    void Activate(const QString& session, const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kShortcuts, "Activated");
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(42)
               << QVariantMap();
        bus_.send(signal);
    }

    Asked Seen() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

  private:
    static QString Path(const char* kind, const QDBusMessage& message, const QString& token) {
        QString sender = message.service().mid(1);
        sender.replace('.', '_');
        return kPath + "/" + kind + "/" + sender + "/" + token;
    }

    // The method's reply (the request's path), then the request's Response.
    void Answer(const QDBusMessage& message, const QString& token, const QVariantMap& results) {
        const QString request = Path("request", message, token);
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        response << uint(0) << results;
        bus_.send(response);
    }

    void TakeShortcuts(const QDBusArgument& shortcuts) {
        QString id;
        QVariantMap options;
        shortcuts.beginArray();
        while (!shortcuts.atEnd()) {
            shortcuts.beginStructure();
            shortcuts >> id >> options;
            shortcuts.endStructure();
        }
        shortcuts.endArray();
        Remember([&](Asked& a) {
            a.boundId = id;
            a.boundOptions = options;
        });
    }

    template <class F>
    void Remember(F change) {
        std::lock_guard lock(mutex_);
        change(asked_);
    }

    QDBusConnection bus_;
    std::mutex mutex_;
    Asked asked_;
};

// The stand-in on a connection of its own, holding the portal's name while
// it lives.
class PortalOnTheBus : public ::testing::Test {
  protected:
    PortalOnTheBus()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in portal")),
          portal_(bus_) {
        registered_ = bus_.registerService(kService) &&
                      bus_.registerVirtualObject(kPath, &portal_, QDBusConnection::SubPath);
        thread_.start();
        portal_.moveToThread(&thread_);
    }
    ~PortalOnTheBus() override {
        bus_.unregisterObject(kPath, QDBusConnection::UnregisterTree);
        bus_.unregisterService(kService);
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus("stand-in portal");
    }

    QDBusConnection bus_;
    StandInPortal portal_;
    QThread thread_;
    bool registered_ = false;
};

TEST(PortalTrigger, NamesTheCombinationTheWayThePortalReadsIt) {
    EXPECT_EQ(PortalHotkey::Trigger(Qt::ControlModifier | Qt::Key_Q), QStringLiteral("CTRL+q"));
    EXPECT_EQ(PortalHotkey::Trigger(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier |
                                    Qt::MetaModifier | Qt::Key_X),
              QStringLiteral("CTRL+ALT+SHIFT+LOGO+x"));
    EXPECT_EQ(PortalHotkey::Trigger(Qt::AltModifier | Qt::Key_F4), QStringLiteral("ALT+F4"));
}

TEST(PortalAbsent, NothingAnswersAndTheHotkeyIsUnavailable) {
    EXPECT_FALSE(PortalHotkey::Answers(QDBusConnection::sessionBus()));
    platform::GlobalHotkey hotkey(Qt::ControlModifier | Qt::Key_Q);
    EXPECT_FALSE(hotkey.IsAvailable());
    EXPECT_FALSE(hotkey.Register());
}

TEST_F(PortalOnTheBus, TheKeyIsBoundAndPressedThroughThePortal) {
    ASSERT_TRUE(registered_);
    ASSERT_TRUE(PortalHotkey::Answers(QDBusConnection::sessionBus()));
    platform::GlobalHotkey facade(Qt::ControlModifier | Qt::Key_Q);
    EXPECT_TRUE(facade.IsAvailable());  // chosen on Wayland because the portal answers

    PortalHotkey hotkey(QDBusConnection::sessionBus(), Qt::ControlModifier | Qt::Key_Q);
    QSignalSpy pressed(&hotkey, &platform::HotkeyBackend::activated);
    ASSERT_TRUE(hotkey.Register());
    ASSERT_TRUE(Eventually([&] { return hotkey.IsBound(); }, 5000));
    const Asked asked = portal_.Seen();
    EXPECT_EQ(asked.boundId, QStringLiteral("show-panel"));
    EXPECT_EQ(asked.boundOptions.value("preferred_trigger").toString(), QStringLiteral("CTRL+q"));
    EXPECT_EQ(asked.boundOptions.value("description").toString(), QStringLiteral("显示面板"));

    // Another shortcut, or the same name in another session, is not this key.
    portal_.Activate(asked.session, QStringLiteral("something-else"));
    portal_.Activate(kPath + "/session/other/korvane1", QStringLiteral("show-panel"));
    portal_.Activate(asked.session, QStringLiteral("show-panel"));
    ASSERT_TRUE(Eventually([&] { return pressed.count() > 0; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(pressed.count(), 1);

    hotkey.Unregister();
    EXPECT_FALSE(hotkey.IsRegistered());
    EXPECT_TRUE(Eventually([&] { return portal_.Seen().closed; }, 5000));
    portal_.Activate(asked.session, QStringLiteral("show-panel"));
    QTest::qWait(200);
    EXPECT_EQ(pressed.count(), 1);  // a closed session presses nothing
}

}  // namespace
}  // namespace korvane
