// Pictures of the three dialogs as they show, for checking the layout by eye:
// written to the folder named by KORVANE_SCREENSHOT_DIR when it is set.
#include <QPixmap>

#include "gui/dialog_driver.h"

namespace korvane::test {
namespace {

void Keep(const QPixmap& picture, const char* name) {
    EXPECT_FALSE(picture.isNull()) << name;
    const QByteArray dir = qgetenv("KORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    EXPECT_TRUE(picture.save(QString::fromUtf8(dir) + "/" + name, "PNG")) << name;
}

TEST(DialogScreenshots, MessageNoteAndContact) {
    AppFolder app;
    // The shipped emoticons when there are any, else stand-ins.
    if (!std::filesystem::exists(platform::NativePath(AppPath("bmp\\29.bmp")))) {
        std::vector<int> all;
        for (int n = 0; n < 30; ++n) all.push_back(n);
        MakeEmoticonFiles(all);
    }
    ModalWatchdog watchdog;
    QWidget main;
    main.setGeometry(100, 100, 640, 480);
    main.show();
    CreateDialogs(&main);

    WhenModal(smsf, [&] {
        EXPECT_EQ(smsf->grab().size(), QSize(322, 132));
        Keep(smsf->grab(), "dialog-message.png");
        PressOnFocused(smsf, Qt::Key_Return);
    });
    ShowMsgBox(Cp("是否真的要删除您所选择的记录？"), true, 1);

    WhenModal(NE, [&] {
        NE->Edit1->setText(QString::fromUtf8("周末计划"));
        NE->Memo1->setPlainText(QString::fromUtf8("买菜、打扫房间，\n下午三点去图书馆还书。"));
        NE->Button3->click();
        EXPECT_EQ(NE->grab().size(), QSize(505, 362));
        Keep(NE->grab(), "dialog-note.png");
        NE->Button2->click();
    });
    NE->exec();

    WhenModal(fcon, [&] {
        fcon->Edit1->setText(QString::fromUtf8("王小明"));
        fcon->Edit2->setText(QStringLiteral("0571-88886666"));
        fcon->Memo1->setPlainText(QString::fromUtf8("大学同学 {QQ12345QQ}"));
        fcon->Button3->click();
        fcon->CB1->setCurrentIndex(3);
        fcon->EDB->setText(QStringLiteral("xiaoming"));
        EXPECT_EQ(fcon->grab().size(), QSize(507, 284));
        Keep(fcon->grab(), "dialog-contact.png");
        fcon->Button2->click();
    });
    fcon->exec();
}

}  // namespace
}  // namespace korvane::test
