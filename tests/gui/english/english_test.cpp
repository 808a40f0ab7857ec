// The program in English: every shipped translation reaches Ui::tr, and the
// main window, its tray menu, the editors, the history, the sync dialog and
// the message box show no Chinese character anywhere a user can read it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QStringList>
#include <memory>

#include "dialog_driver.h"
#include "dialogs/historydialog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/pagetexts.h"
#include "mainwindow/syncdialog.h"
#include "platform/uitext.h"
#include "support/tsfile.h"
#include "sync_fakes.h"

namespace korvane {
namespace {

bool HasCjk(const QString& text) {
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{3000}-\\x{303F}\\x{4E00}-\\x{9FFF}\\x{FF01}-\\x{FF5E}]"));
    return text.contains(cjk);
}

// Every text of `root` and its children a user can read, with where it is.
QStringList ShownTexts(const QWidget& root) {
    QStringList texts;
    const auto add = [&texts](const QObject* where, const QString& what, const QString& text) {
        if (!text.isEmpty())
            texts << where->objectName() + QStringLiteral(" ") + what + QStringLiteral(": ") + text;
    };
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>()) widgets << child;
    for (const QWidget* w : widgets) {
        add(w, QStringLiteral("title"), w->windowTitle());
        add(w, QStringLiteral("tooltip"), w->toolTip());
        add(w, QStringLiteral("accessible name"), w->accessibleName());
        add(w, QStringLiteral("accessible description"), w->accessibleDescription());
        if (const auto* label = qobject_cast<const QLabel*>(w))
            add(w, QStringLiteral("text"), label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            add(w, QStringLiteral("text"), button->text());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            add(w, QStringLiteral("placeholder"), edit->placeholderText());
        if (const auto* box = qobject_cast<const QGroupBox*>(w))
            add(w, QStringLiteral("title"), box->title());
        if (const auto* list = qobject_cast<const QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                add(w, QStringLiteral("item"), list->item(i)->text());
        }
    }
    for (const QAction* action : root.findChildren<QAction*>()) {
        add(action, QStringLiteral("action"), action->text());
        add(action, QStringLiteral("action tooltip"), action->toolTip());
    }
    return texts;
}

void ExpectNoChinese(const QWidget& root) {
    const QStringList texts = ShownTexts(root);
    EXPECT_FALSE(texts.isEmpty());
    for (const QString& text : texts) EXPECT_FALSE(HasCjk(text)) << text.toStdString();
}

TEST(English, EveryShippedTranslationIsWhatUiTrGives) {
    const auto messages =
        test::ReadTsFile(std::string(KORVANE_SOURCE_DIR) + "/translations/korvane_en.ts");
    ASSERT_GT(messages.size(), 100u);
    for (const test::TsMessage& m : messages) {
        const char* comment = m.comment.empty() ? nullptr : m.comment.c_str();
        EXPECT_EQ(Ui::tr(m.source, comment), Cp(m.translation)) << m.source;
    }
}

TEST(English, ThePageGetsAnEnglishTextForEachOfItsChineseOnes) {
    const QJsonObject texts = QJsonDocument::fromJson(PageTextsJson().toUtf8()).object();
    EXPECT_GE(texts.size(), 15);
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        EXPECT_TRUE(HasCjk(it.key())) << it.key().toStdString();
        EXPECT_FALSE(HasCjk(it.value().toString())) << it.key().toStdString();
    }
    EXPECT_EQ(texts.value(QStringLiteral("回收站")).toString(), QStringLiteral("Trash"));
}

class EnglishDialogs : public test::DialogTest {};

TEST_F(EnglishDialogs, EditorsAndTheMessageBoxShowNoChinese) {
    ExpectNoChinese(*NE);
    ExpectNoChinese(*fcon);
    std::string shown;
    AnswerNextMessage(&shown);
    ShowMsgBox(*smsf, Ui::tr("是否真的要删除您所选择的记录？"), true, 1);
    EXPECT_EQ(shown, "Do you really want to delete the selected record?");
    ExpectNoChinese(*smsf);
}

TEST_F(EnglishDialogs, HistoryAndSyncDialogsShowNoChinese) {
    RecordVersion current{0, 0, "title", "text", "", "2026-12-09 05:00:00"};
    RecordVersion older{1, 1765256400, "title", "old text", "", "2026-12-08 05:00:00"};
    HistoryDialog history(&main_, RecordKind::Note, current, {older},
                          [](int64_t) { return false; });
    ExpectNoChinese(history);

    test::FakeSecrets secrets;
    test::FakePasses passes;
    SyncService service(DataPath("sys.ini"), secrets, passes, {60000, 60000, 60000});
    SyncDialog sync(&main_, service, *smsf);
    ExpectNoChinese(sync);
}

TEST(EnglishMainWindow, WindowBarsCompactViewAndTrayMenuShowNoChinese) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    test::AppFolder app("main window english");
    test::FakeSecrets secrets;
    test::FakePasses passes;
    auto window =
        std::make_unique<TMyHappy>(app.CodePageDir() + "korvane", SyncParts{&secrets, &passes, {}});
    window->show();
    ExpectNoChinese(*window);
    for (const QMenu* menu : window->findChildren<QMenu*>()) ExpectNoChinese(*menu);
    window.reset();
}

}  // namespace
}  // namespace korvane
