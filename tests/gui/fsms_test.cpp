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
        PressOnFocused(smsf, Qt::Key_Escape);  // does nothing
        EXPECT_TRUE(smsf->isVisible());
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(text, false, 1));
    EXPECT_FALSE(smsf->isVisible());
}

TEST_F(MessageDialog, QuestionFocusesYesOrNoAndEnterAnswersTheFocusedButton) {
    const std::string ask = Cp("是否真的要删除您所选择的记录？");
    WhenModal(smsf, [&] {
        EXPECT_FALSE(smsf->Panel1->isVisible());
        EXPECT_TRUE(smsf->Panel2->isVisible());
        EXPECT_LT(smsf->BtYes->x(), smsf->BtNo->x());
        EXPECT_EQ(smsf->focusWidget(), smsf->BtYes);
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_TRUE(ShowMsgBox(ask, true, 1));

    WhenModal(smsf, [&] {
        EXPECT_EQ(smsf->focusWidget(), smsf->BtNo);
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(ask, true, 2));

    // Tab moves from No to Yes; Space presses the focused button too.
    WhenModal(smsf, [&] {
        PressOnFocused(smsf, Qt::Key_Tab);
        EXPECT_EQ(smsf->focusWidget(), smsf->BtYes);
        PressOnFocused(smsf, Qt::Key_Space);
    });
    EXPECT_TRUE(ShowMsgBox(ask, true, 2));

    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtNo, Qt::LeftButton); });
    EXPECT_FALSE(ShowMsgBox(ask, true, 1));
}

TEST_F(MessageDialog, AYesNeverCarriesOverToALaterShowing) {
    const std::string ask = Cp("是否真的要删除您所选择的记录？");
    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtYes, Qt::LeftButton); });
    ASSERT_TRUE(ShowMsgBox(ask, true, 1));

    WhenModal(smsf, [&] { smsf->close(); });  // the close box
    EXPECT_FALSE(ShowMsgBox(ask, true, 1));

    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtYes, Qt::LeftButton); });
    ASSERT_TRUE(ShowMsgBox(ask, true, 1));
    WhenModal(smsf, [&] { QTest::mouseClick(smsf->BtOk, Qt::LeftButton); });
    EXPECT_FALSE(ShowMsgBox(Cp("保存成功"), false, 1));
}

TEST_F(MessageDialog, TextIsCentredWrappedAndCutOffNotScrolled) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += Cp("很长的一段说明文字，");
    text += "\r\nhttp://a-very-long-address-without-any-blank.example/path";
    WhenModal(smsf, [&] {
        QTextEdit* memo = smsf->Memo1;
        EXPECT_FALSE(smsf->Panel3->isEnabled());
        EXPECT_FALSE(memo->isEnabled());
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
        // Taller than its box: the rest is cut off, and the box stays put.
        EXPECT_GT(memo->document()->size().height(), memo->viewport()->height());
        EXPECT_LE(memo->document()->idealWidth(), memo->viewport()->width());
        EXPECT_EQ(memo->document()->blockCount(), 2);
        EXPECT_EQ(
            memo->document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
        EXPECT_EQ(smsf->Panel3->geometry(), QRect(8, 27, 305, 42));
        PressOnFocused(smsf, Qt::Key_Return);
    });
    EXPECT_FALSE(ShowMsgBox(text, false, 1));

    // An empty text still shows the dialog with its button.
    bool shown = false;
    WhenModal(smsf, [&] {
        shown = smsf->BtOk->isVisible() && smsf->Memo1->toPlainText().isEmpty();
        PressOnFocused(smsf, Qt::Key_Return);
    });
    ShowMsgBox("", false, 1);
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace korvane::test
