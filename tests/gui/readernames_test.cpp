// What a screen reader is told about the native windows: every control of
// the main window and of each dialog has a name (its own text, the caption
// of its field, or a name of its own), read through the toolkit's
// accessibility interface as a reader reads it; and the captions of the
// fields become names as a reader should say them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QMenu>
#include <QWebEngineView>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "dialog_driver.h"
#include "dialogs/accessnames.h"
#include "dialogs/historydialog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/syncdialog.h"
#include "mainwindow/syncservice.h"
#include "platform/apppaths.h"
#include "sync_fakes.h"

namespace korvane {
namespace {

// The roles of what a user works with; a panel, a frame or a picture that
// only decorates needs no name.
bool IsControl(QWidget* widget, QAccessibleInterface* item) {
    switch (item->role()) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::List:
        case QAccessible::PageTab:
        case QAccessible::ButtonMenu:
        case QAccessible::Link:
            return true;
        case QAccessible::ScrollBar:  // told by its value, as every reader does
            return false;
        default:
            return (widget->focusPolicy() & Qt::TabFocus) != 0;
    }
}

bool InsidePageView(const QWidget* widget) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (qobject_cast<const QWebEngineView*>(up) != nullptr) return true;
    }
    return false;
}

// The entries of a menu without a name (a separator is no entry).
QStringList UnnamedItems(QAccessibleInterface* menu) {
    QStringList unnamed;
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface* entry = menu->child(i);
        if (entry == nullptr || entry->role() == QAccessible::Separator) continue;
        if (entry->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << QStringLiteral("menu entry %1").arg(i);
        }
    }
    return unnamed;
}

// The controls under `window` without a name, each as "object name (role)".
QStringList Unnamed(QWidget& window) {
    QStringList unnamed;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        // The page's view is named; what it shows is the page's own tree,
        // which the web tests check.
        if (InsidePageView(widget)) continue;
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(widget);
        if (item == nullptr || !IsControl(widget, item)) continue;
        if (item->role() == QAccessible::PopupMenu) unnamed << UnnamedItems(item);
        if (item->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << QStringLiteral("%1 %2 (role %3)")
                           .arg(QString::fromLatin1(widget->metaObject()->className()),
                                widget->objectName())
                           .arg(static_cast<int>(item->role()));
        }
    }
    return unnamed;
}

QString NameOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

class ReaderNames : public test::DialogTest {
  protected:
    ReaderNames() {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        sync_.secrets = &secrets_;
        sync_.passes = &passes_;
    }
    ~ReaderNames() override {
        window_.reset();
        if (oldConfig_) {
            ::setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

    TMyHappy& Window() {
        if (!window_) {
            window_ = std::make_unique<TMyHappy>(app_.CodePageDir() + "korvane", sync_);
        }
        return *window_;
    }

    // Runs `check` on the window called `name`, made as the program makes it.
    void With(const std::string& name, const std::function<void(QWidget&)>& check) {
        if (name == "main") {
            check(Window());
            check(*Window().PopupMenu1);
        } else if (name == "note") {
            check(*NE);
        } else if (name == "contact") {
            check(*fcon);
        } else if (name == "message") {
            check(*smsf);
        } else if (name == "history") {
            RecordVersion current;
            current.title = "a";
            RecordVersion old;
            old.title = "b";
            old.versionId = 1;
            HistoryDialog dialog(&main_, RecordKind::Note, current, {old},
                                 [](int64_t) { return false; });
            check(dialog);
        } else if (name == "sync") {
            SyncService service(DataPath("sys.ini"), secrets_, passes_, {60000, 60000, 60000});
            SyncDialog dialog(&main_, service, *smsf);
            check(dialog);
        } else {
            FAIL() << "no window " << name;
        }
    }

    test::TempDir config_{"reader names config"};
    std::optional<std::string> oldConfig_;
    test::FakeSecrets secrets_;
    test::FakePasses passes_;
    SyncParts sync_;
    std::unique_ptr<TMyHappy> window_;
};

class EveryControl : public ReaderNames, public ::testing::WithParamInterface<std::string> {};

TEST_P(EveryControl, HasAName) {
    With(GetParam(), [](QWidget& window) {
        // Palettes and panels that open later are checked as well.
        for (QWidget* hidden : window.findChildren<QWidget*>()) hidden->setVisible(true);
        const QStringList unnamed = Unnamed(window);
        EXPECT_TRUE(unnamed.isEmpty()) << window.metaObject()->className() << ": "
                                       << unnamed.join(QStringLiteral(", ")).toStdString();
    });
}

INSTANTIATE_TEST_SUITE_P(Windows, EveryControl,
                         ::testing::Values("main", "note", "contact", "message", "history",
                                           "sync"));

TEST_F(ReaderNames, FieldsAreNamedAfterTheirCaptionsAndPicturesSayWhatTheyAre) {
    EXPECT_EQ(NameOf(NE->Edit1), QStringLiteral("标题"));
    EXPECT_EQ(NameOf(NE->Memo1), QStringLiteral("内容"));
    EXPECT_EQ(NameOf(fcon->Edit2), QStringLiteral("电话"));
    EXPECT_EQ(NameOf(fcon->Memo1), QStringLiteral("备注"));
    ASSERT_FALSE(NE->Pictures.empty());
    EXPECT_EQ(NameOf(NE->Pictures.front()), QStringLiteral("表情 1"));
    EXPECT_EQ(NE->Label1->buddy(), NE->Edit1);
    EXPECT_EQ(NameOf(Window().BitBtn1), QStringLiteral("隐藏窗口"));
    EXPECT_EQ(NameOf(Window().MyBody), QStringLiteral("记事和联系人"));
    // The message is the box's description, so a reader says it as the box opens.
    smsf->SetText(QStringLiteral("保存成功\r\n第二行"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(smsf)->text(QAccessible::Description),
              QStringLiteral("保存成功\n第二行"));
}

struct Caption {
    const char* shown;
    const char* spoken;
};

class SpokenCaptions : public ::testing::TestWithParam<Caption> {};

TEST_P(SpokenCaptions, DropTheColonAndTheSpacingBetweenChineseCharacters) {
    EXPECT_EQ(SpokenCaption(QString::fromUtf8(GetParam().shown)),
              QString::fromUtf8(GetParam().spoken));
}

INSTANTIATE_TEST_SUITE_P(
    Captions, SpokenCaptions,
    ::testing::Values(Caption{"标 题：", "标题"}, Caption{"电\u3000话：", "电话"},
                      Caption{"联系人：", "联系人"}, Caption{"服务器地址", "服务器地址"},
                      Caption{"Ctrl+Q 显示面板", "Ctrl+Q 显示面板"},
                      Caption{"  Phone  number: ", "Phone number"}, Caption{"：", ""}));

}  // namespace
}  // namespace korvane
