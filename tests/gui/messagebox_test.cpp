// The message dialog: which buttons show, where the focus starts, what each
// way of closing answers, and how the text is laid out.
#include <QScrollBar>
#include <QTextBlock>

#include "gui/dialog_driver.h"

namespace korvane::test {
namespace {

using MessageDialog = DialogTest;

TEST_F(MessageDialog, NoticeShowsOnlyOkFocusedCentredOverTheMainWindow) {
    const std::string text = Cp("保存成功");
    WhenModal(smsf, [&] {
        EXPECT_EQ(Utf8(smsf->windowTitle()), "..温馨提示..");
        EXPECT_EQ(Utf8(smsf->Memo1->toPlainText()), "保存成功");
        EXPECT_TRUE(smsf->Panel1->isVisible());
        EXPECT_FALSE(smsf->Panel2->isVisible());
        EXPECT_EQ(Utf8(smsf->BtOk->text()), "确\u3000定");
        EXPECT_EQ(smsf->focusWidget(), smsf->BtOk);
        EXPECT_EQ(smsf->size(), QSize(322, 132));
        EXPECT_EQ(smsf->BtOk->geometry(), QRect(241, 2, 75, 25));
        EXPECT_EQ(smsf->Panel1->geometry(), QRect(0, 103, 322, 29));
        EXPECT_LE(
            (smsf->frameGeometry().center() - main_.frameGeometry().center()).manhattanLength(), 2);
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(*smsf, text, false, 1));
    EXPECT_FALSE(smsf->isVisible());
}

TEST_F(MessageDialog, QuestionFocusesYesOrNoAndEnterAnswersTheFocusedButton) {
    const std::string ask = Cp("是否真的要删除您所选择的记录？");
    WhenModal(smsf, [&] {
        EXPECT_FALSE(smsf->Panel1->isVisible());
        EXPECT_TRUE(smsf->Panel2->isVisible());
        EXPECT_EQ(smsf->size(), QSize(322, 132));  // the question fits the designed size
        EXPECT_LT(smsf->BtYes->x(), smsf->BtNo->x());
        EXPECT_EQ(smsf->focusWidget(), smsf->BtYes);
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_TRUE(ShowMsgBox(*smsf, ask, true, 1));

    WhenModal(smsf, [&] {
        EXPECT_EQ(smsf->focusWidget(), smsf->BtNo);
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(*smsf, ask, true, 2));

    // Tab moves from No to Yes; Space presses the focused button too.
    WhenModal(smsf, [&] {
        PressOnFocused(smsf, Qt::Key_Tab);
        EXPECT_EQ(smsf->focusWidget(), smsf->BtYes);
        PressOnFocused(smsf, Qt::Key_Space);
    });
    EXPECT_TRUE(ShowMsgBox(*smsf, ask, true, 2));

    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtNo, Qt::LeftButton); });
    EXPECT_FALSE(ShowMsgBox(*smsf, ask, true, 1));
}

TEST_F(MessageDialog, AYesNeverCarriesOverToALaterShowing) {
    const std::string ask = Cp("是否真的要删除您所选择的记录？");
    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtYes, Qt::LeftButton); });
    ASSERT_TRUE(ShowMsgBox(*smsf, ask, true, 1));

    WhenModal(smsf, [&] { smsf->close(); });  // the close box
    EXPECT_FALSE(ShowMsgBox(*smsf, ask, true, 1));

    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtYes, Qt::LeftButton); });
    ASSERT_TRUE(ShowMsgBox(*smsf, ask, true, 1));
    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtOk, Qt::LeftButton); });
    EXPECT_FALSE(ShowMsgBox(*smsf, Cp("保存成功"), false, 1));
}

// Every text shows whole: the dialog keeps its designed size for a short
// text and grows to a longer one, wider up to a fixed width, then taller.
class MessageDialogFit : public DialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MessageDialogFit, TheWholeTextShowsCentredAndWrapped) {
    const std::string text = Cp(GetParam());
    WhenModal(smsf, [&] {
        QTextEdit* memo = smsf->Memo1;
        EXPECT_FALSE(smsf->Panel3->isEnabled());
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
        EXPECT_LE(memo->document()->size().height(), memo->viewport()->height());
        EXPECT_LE(memo->document()->idealWidth(), memo->viewport()->width());
        EXPECT_EQ(
            memo->document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
        EXPECT_GE(smsf->width(), 322);
        EXPECT_LE(smsf->width(), 322 + 560 - 305);
        EXPECT_GE(smsf->height(), 132);
        // The text area and the button keep their places to the edges.
        EXPECT_EQ(smsf->Panel3->geometry(), QRect(8, 27, smsf->width() - 17, smsf->height() - 90));
        EXPECT_EQ(smsf->BtOk->mapTo(smsf, QPoint(0, 0)),
                  QPoint(smsf->width() - 81, smsf->height() - 27));
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(*smsf, text, false, 1));
    // A short text after it has the designed size again.
    WhenModal(smsf, [&] {
        EXPECT_EQ(smsf->size(), QSize(322, 132));
        EXPECT_EQ(smsf->Panel3->geometry(), QRect(8, 27, 305, 42));
        PressOnFocused(smsf, Qt::Key_Return);
    });
    ShowMsgBox(*smsf, Cp("保存成功"), false, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageDialogFit,
    ::testing::Values(
        "保存成功", "",
        "很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，"
        "很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，"
        "很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，很长的一段说明文字，\r\n"
        "http://a-very-long-address-without-any-blank.example/path/that/goes/on/and/on/and/on",
        "找不到记事本 /home/user/.local/share/korvane/hd/glst.mysql，已新建了一个空记事本。\r\n"
        "\r\n是否从 1234 条记录的备份（2026-12-08）恢复？\r\n"
        "/home/user/.local/share/korvane/hd/backup/glst-2026-12-08.mysql",
        "一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十"));

}  // namespace
}  // namespace korvane::test
