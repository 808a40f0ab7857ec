// Light and dark, and the pictures at twice the size: the application's
// palette follows the desktop's preference (a stand-in source, and a
// stand-in settings portal on a private bus of the test's own), open dialogs
// take it with the colours they set for themselves, a choice in sys.ini holds
// against the desktop, and the skin and the palette's emoticons come at
// device pixel ratio 2 where the screen asks for it.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <filesystem>

#include "dialogs/contacteditor.h"
#include "dialogs/messagebox.h"
#include "dialogs/noteeditor.h"
#include "dialogs/widgets.h"
#include "gui/dialog_driver.h"
#include "mainwindow/activationwatch.h"
#include "mainwindow/appearance.h"
#include "mainwindow/skin.h"
#include "mainwindow/windowframe.h"
#include "platform/profile.h"
#include "platformqt/colorscheme.h"
#include "platformqt/posix/colorscheme_portal.h"
#include "support/waits.h"

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

// A desktop whose preference the test sets.
class StandInScheme : public platform::ColorSchemeSource {
  public:
    explicit StandInScheme(std::optional<uint32_t> scheme) : scheme_(scheme) {}
    std::optional<uint32_t> Scheme() const override { return scheme_; }
    void Set(std::optional<uint32_t> scheme) {
        scheme_ = scheme;
        emit changed();
    }

  private:
    std::optional<uint32_t> scheme_;
};

bool AppIsDark() {
    return IsDark(QApplication::palette());
}

// The dialogs over a stand-in main window, and an appearance made the way
// the main window makes it.
class DarkDialogs : public DialogTest {
  protected:
    Appearance* Follow(std::optional<uint32_t> scheme, const char* choice = nullptr) {
        const std::string ini = DataPath("sys.ini");
        if (choice) platform::WriteProfileString(ini, "ui", "theme", choice);
        source_ = new StandInScheme(scheme);
        appearance_ = std::make_unique<Appearance>(ini, source_, nullptr);
        QApplication::processEvents();
        QApplication::processEvents();
        return appearance_.get();
    }

    // Every colour a dialog sets for itself, read from the widgets.
    void ExpectDialogsDark(bool dark) {
        for (QWidget* dialog : {static_cast<QWidget*>(NE), static_cast<QWidget*>(fcon),
                                static_cast<QWidget*>(smsf)}) {
            EXPECT_EQ(IsDark(dialog->palette()), dark) << dialog->metaObject()->className();
        }
        const QColor window = QApplication::palette().color(QPalette::Window);
        EXPECT_EQ(NE->Edit2->palette().color(QPalette::Base), window);
        EXPECT_EQ(fcon->Edit3->palette().color(QPalette::Base), window);
        EXPECT_EQ(NE->PL_EM->palette().color(QPalette::Window),
                  dark ? QApplication::palette().color(QPalette::Base) : QColor(Qt::white));
        const QColor red = NE->SpeedButton1->palette().color(QPalette::ButtonText);
        const QColor black = NE->SpeedButton3->palette().color(QPalette::ButtonText);
        EXPECT_EQ(red, dark ? QColor(0xFF, 0x7B, 0x72) : QColor(Qt::red));
        EXPECT_EQ(IsDark(QPalette(black, black)), !dark);  // ink that reads on the face
        EXPECT_EQ(NE->SpeedButton5->palette().color(QPalette::ButtonText), red);
    }

    void TearDown() override {
        appearance_.reset();
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_FALSE(AppIsDark()) << "the appearance put the desktop's palette back";
    }

    StandInScheme* source_ = nullptr;
    std::unique_ptr<Appearance> appearance_;
};

TEST_F(DarkDialogs, OpenDialogsFollowTheDesktopBothWays) {
    NE->show();
    fcon->show();
    Appearance* look = Follow(std::nullopt);

    EXPECT_EQ(look->Current(), Theme::kLight);  // the offscreen palette is light
    ExpectDialogsDark(false);

    QSignalSpy changes(look, &Appearance::changed);
    source_->Set(1);
    ASSERT_TRUE(WaitUntil([] { return AppIsDark(); }));
    QTest::qWait(20);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(look->Current(), Theme::kDark);
    ExpectDialogsDark(true);

    source_->Set(1);  // the same again changes nothing
    source_->Set(0);  // no preference: the desktop's palette, light, decides
    ASSERT_TRUE(WaitUntil([] { return !AppIsDark(); }));
    QTest::qWait(20);
    EXPECT_EQ(changes.count(), 2);
    ExpectDialogsDark(false);
    NE->hide();
    fcon->hide();
}

TEST_F(DarkDialogs, ADialogOpenedInTheDarkStartsDark) {
    Follow(1);
    EXPECT_TRUE(AppIsDark());
    WhenModal(smsf, [&] {
        EXPECT_TRUE(IsDark(smsf->palette()));
        // The text lies on the dialog's face, in the palette's text colour.
        const QPalette memo = smsf->Memo1->palette();
        EXPECT_EQ(memo.color(QPalette::Base), QApplication::palette().color(QPalette::Window));
        EXPECT_EQ(memo.color(QPalette::Disabled, QPalette::Text),
                  QApplication::palette().color(QPalette::Text));
        PressOnFocused(smsf, Qt::Key_Return);
    });
    ShowMsgBox(*smsf, Cp("保存成功"), false, 1);
    ExpectDialogsDark(true);
}

TEST_F(DarkDialogs, TheSettingsChoiceHoldsAgainstTheDesktop) {
    Appearance* look = Follow(2, "dark");
    EXPECT_EQ(look->Current(), Theme::kDark);
    QSignalSpy changes(look, &Appearance::changed);
    source_->Set(2);
    source_->Set(0);
    QTest::qWait(20);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(AppIsDark());
    ExpectDialogsDark(true);
}

TEST_F(DarkDialogs, ALightChoiceIgnoresADarkDesktop) {
    Appearance* look = Follow(1, "Light");
    EXPECT_EQ(look->Current(), Theme::kLight);
    EXPECT_FALSE(AppIsDark());
}

TEST(DarkPalette, EveryTextRoleReadsOnItsBackground) {
    const QPalette p = Appearance::DarkPalette();
    const auto contrast = [](const QColor& a, const QColor& b) {
        return std::abs(a.lightness() - b.lightness());
    };
    EXPECT_TRUE(IsDark(p));
    EXPECT_GT(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)), 150);
    EXPECT_GT(contrast(p.color(QPalette::Text), p.color(QPalette::Base)), 150);
    EXPECT_GT(contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)), 150);
    EXPECT_GT(contrast(p.color(QPalette::ToolTipText), p.color(QPalette::ToolTipBase)), 120);
    EXPECT_GT(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)), 100);
    EXPECT_GT(contrast(p.color(QPalette::Disabled, QPalette::Text), p.color(QPalette::Base)), 60);
}

// ---------------------------------------------------------------------------
// The settings portal on a bus of the test's own.

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");

// Answers Read from a thread of its own, as a real portal answers from its
// own process; the value comes wrapped in a variant within the variant, as
// the portal's Read returns it.
class StandInSettings : public QDBusVirtualObject {
  public:
    explicit StandInSettings(const QDBusConnection& bus) : bus_(bus) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() != kSettings || message.member() != QLatin1String("Read")) {
            return false;
        }
        const QStringList asked = {message.arguments().value(0).toString(),
                                   message.arguments().value(1).toString()};
        if (asked != QStringList{"org.freedesktop.appearance", "color-scheme"} || scheme_ < 0) {
            bus_.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                         QStringLiteral("Requested setting not found")));
            return true;
        }
        const QDBusVariant inner(QVariant::fromValue(uint(scheme_.load())));
        bus_.send(
            message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(inner)))));
        return true;
    }

    // The portal's SettingChanged signal.
    void Change(const QString& group, const QString& key, const QVariant& value) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kSettings, "SettingChanged");
        signal << group << key << QVariant::fromValue(QDBusVariant(value));
        bus_.send(signal);
    }

    std::atomic<int> scheme_{-1};  // -1: no such setting

  private:
    QDBusConnection bus_;
};

// A dbus-daemon of the test's own, the stand-in portal on one connection to
// it and the program's side on another.
class SettingsPortal : public ::testing::Test {
  protected:
    void SetUp() override {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) {
            GTEST_SKIP() << "no dbus-daemon here";
        }
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        portalBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("stand-in settings")));
        programBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("program")));
        ASSERT_TRUE(portalBus_->isConnected() && programBus_->isConnected());
        portal_ = std::make_unique<StandInSettings>(*portalBus_);
        thread_.start();
        portal_->moveToThread(&thread_);
    }

    void Serve() {
        ASSERT_TRUE(portalBus_->registerService(kService));
        ASSERT_TRUE(portalBus_->registerVirtualObject(kPath, portal_.get()));
    }

    void TearDown() override {
        if (portalBus_) {
            portalBus_->unregisterObject(kPath);
            portalBus_->unregisterService(kService);
        }
        thread_.quit();
        thread_.wait();
        portal_.reset();
        portalBus_.reset();
        programBus_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in settings"));
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

    QProcess daemon_;
    std::unique_ptr<QDBusConnection> portalBus_;
    std::unique_ptr<QDBusConnection> programBus_;
    std::unique_ptr<StandInSettings> portal_;
    QThread thread_;
};

TEST_F(SettingsPortal, NoPortalOnTheBusSaysNothing) {
    const platform::PortalColorScheme scheme(*programBus_);
    EXPECT_EQ(scheme.Scheme(), std::nullopt);
}

TEST_F(SettingsPortal, APortalWithoutTheSettingSaysNothing) {
    Serve();
    const platform::PortalColorScheme scheme(*programBus_);
    EXPECT_EQ(scheme.Scheme(), std::nullopt);
}

TEST_F(SettingsPortal, EachValueIsReadAsTheDesktopStatesIt) {
    Serve();
    for (const uint32_t value : {0u, 1u, 2u}) {
        portal_->scheme_ = int(value);
        const platform::PortalColorScheme scheme(*programBus_);
        EXPECT_EQ(scheme.Scheme(), value);
    }
}

TEST_F(SettingsPortal, TheSignalIsFollowedForTheColourSchemeOnly) {
    Serve();
    portal_->scheme_ = 2;
    platform::PortalColorScheme scheme(*programBus_);
    ASSERT_EQ(scheme.Scheme(), 2u);
    QSignalSpy changed(&scheme, &platform::ColorSchemeSource::changed);

    portal_->Change("org.freedesktop.appearance", "accent-color", QVariant::fromValue(uint(1)));
    portal_->Change("org.gnome.desktop.interface", "color-scheme", QVariant::fromValue(uint(1)));
    portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant::fromValue(uint(1)));
    ASSERT_TRUE(Eventually([&] { return changed.count() > 0; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(scheme.Scheme(), 1u);

    // The same value again is no change; a value that is no number is none.
    portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant::fromValue(uint(1)));
    portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant(QStringLiteral("dark")));
    ASSERT_TRUE(Eventually([&] { return changed.count() > 1; }, 5000));
    EXPECT_EQ(scheme.Scheme(), std::nullopt);
    QTest::qWait(100);
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(SettingsPortal, TheApplicationTurnsDarkWhenTheDesktopDoes) {
    Serve();
    portal_->scheme_ = 0;
    const test::AppFolder app;
    auto* source = new platform::PortalColorScheme(*programBus_);
    {
        Appearance look(DataPath("sys.ini"), source, nullptr);
        EXPECT_EQ(look.Current(), Theme::kLight);
        portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant::fromValue(uint(1)));
        ASSERT_TRUE(Eventually([] { return AppIsDark(); }, 5000));
        EXPECT_EQ(look.Current(), Theme::kDark);
        portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant::fromValue(uint(2)));
        ASSERT_TRUE(Eventually([] { return !AppIsDark(); }, 5000));
        portal_->Change("org.freedesktop.appearance", "color-scheme", QVariant::fromValue(uint(1)));
        ASSERT_TRUE(Eventually([] { return AppIsDark(); }, 5000));
    }
    EXPECT_FALSE(AppIsDark());  // the desktop's palette is back when the appearance goes
}

TEST(PortalAnswer, TheNumberIsFoundInNestedVariants) {
    using platform::PortalColorScheme;
    const QVariant plain = QVariant::fromValue(uint(1));
    const QVariant once = QVariant::fromValue(QDBusVariant(plain));
    const QVariant twice = QVariant::fromValue(QDBusVariant(once));
    EXPECT_EQ(PortalColorScheme::SchemeOf(plain), 1u);
    EXPECT_EQ(PortalColorScheme::SchemeOf(once), 1u);
    EXPECT_EQ(PortalColorScheme::SchemeOf(twice), 1u);
    EXPECT_EQ(PortalColorScheme::SchemeOf(QVariant(QStringLiteral("1"))), std::nullopt);
    EXPECT_EQ(PortalColorScheme::SchemeOf(QVariant(int(1))), std::nullopt);
    EXPECT_EQ(PortalColorScheme::SchemeOf(QVariant()), std::nullopt);
}

// ---------------------------------------------------------------------------
// Pictures at twice the size.

class SharpPictures : public ::testing::Test {
  protected:
    AppFolder app_;
};

TEST_F(SharpPictures, SkinPicturesComeAtRatioTwoWithTheirPlainSize) {
    for (const char* name :
         {"caption", "caption_left", "caption_right", "logo", "btn_hide", "btn_close"}) {
        for (const bool dark : {false, true}) {
            const QPixmap plain = skin::Picture(name, dark, 1);
            const QPixmap sharp = skin::Picture(name, dark, 2);
            EXPECT_EQ(plain.devicePixelRatio(), 1) << name;
            EXPECT_EQ(sharp.devicePixelRatio(), 2) << name;
            EXPECT_EQ(sharp.size(), plain.size() * 2) << name;
            EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(plain.size())) << name;
            // At 1.5 the sharper picture is taken too, and scaled down.
            EXPECT_EQ(skin::Picture(name, dark, 1.5).devicePixelRatio(), 2) << name;
        }
    }
}

TEST_F(SharpPictures, TheDarkCaptionIsDarkAndMissingFilesAreDrawn) {
    const auto lightness = [](const QPixmap& p) {
        const QImage image = p.toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2).lightness();
    };
    for (const char* name : {"caption", "caption_left", "caption_right"}) {
        EXPECT_LT(lightness(skin::Picture(name, true, 2)), 80) << name;
        EXPECT_GT(lightness(skin::Picture(name, false, 2)), 90) << name;
    }
    // Without the skin folder the caption is drawn, dark in the dark.
    fs::remove_all(platform::NativePath(AppPath("skin")));
    EXPECT_LT(lightness(skin::Picture("caption", true, 2)), 80);
    EXPECT_GT(lightness(skin::Picture("caption", false, 2)), 90);
    EXPECT_EQ(skin::Picture("caption", true, 2).devicePixelRatio(), 1);
}

TEST_F(SharpPictures, TheFrameShowsTheDarkSkin) {
    QWidget window;
    window.resize(391, 300);
    WindowFrame frame(&window, new ActivationWatch(&window));
    const QImage light = frame.stretch->pixmap().toImage();
    frame.SetDark(true);
    const QImage dark = frame.stretch->pixmap().toImage();
    EXPECT_NE(light, dark);
    EXPECT_LT(dark.pixelColor(0, 14).lightness(), light.pixelColor(0, 14).lightness());
    EXPECT_EQ(frame.leftGrip->palette().color(QPalette::Window), skin::kDarkFrameColour);
}

TEST_F(SharpPictures, PaletteEmoticonsComeSharpAndTransparent) {
    for (int n = 0; n < 30; ++n) {
        const QPixmap plain = EmoticonPicture(n, 1);
        const QPixmap sharp = EmoticonPicture(n, 2);
        EXPECT_EQ(plain.devicePixelRatio(), 1) << n;
        EXPECT_EQ(plain.size(), QSize(22, 22)) << n;
        EXPECT_TRUE(plain.hasAlphaChannel()) << n;
        EXPECT_EQ(sharp.devicePixelRatio(), 2) << n;
        EXPECT_EQ(sharp.size(), QSize(44, 44)) << n;
        EXPECT_EQ(sharp.toImage().pixelColor(0, 0).alpha(), 0) << n;  // the corner shows through
    }
    // The bitmap decides whether there is a cell; the pictures beside it only
    // how it looks.
    const fs::path bmp = platform::NativePath(AppPath("bmp"));
    fs::remove(bmp / "3@2x.png");
    EXPECT_EQ(EmoticonPicture(3, 2).devicePixelRatio(), 1);
    EXPECT_TRUE(EmoticonPicture(3, 2).hasAlphaChannel());
    fs::remove(bmp / "3.png");
    EXPECT_FALSE(EmoticonPicture(3, 2).hasAlphaChannel());  // the bitmap itself
    fs::remove(bmp / "4.bmp");
    EXPECT_TRUE(EmoticonPicture(4, 2).isNull());
}

}  // namespace
}  // namespace korvane::test
