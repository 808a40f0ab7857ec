// The note editor: the palette, the snippets, and saving new and edited notes
// with every outcome the store can report.
#include <QTextCursor>

#include "gui/dialog_driver.h"

namespace korvane::test {
namespace {

using NoteEditor = DialogTest;

void SelectInMemo(QPlainTextEdit* memo, int from, int to) {
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

TEST(NotePalette, OnePictureForEachFileFoundFiveToARowWithoutGaps) {
    AppFolder app;
    QWidget main;
    std::vector<int> all;
    for (int n = 0; n < 30; ++n) all.push_back(n);
    MakeEmoticonFiles(all);
    TNE full(&main);
    ASSERT_EQ(full.Pictures.size(), 30u);
    EXPECT_EQ(full.Pictures[0]->geometry(), QRect(3, 3, 22, 22));
    EXPECT_EQ(full.Pictures[4]->geometry(), QRect(103, 3, 22, 22));
    EXPECT_EQ(full.Pictures[5]->geometry(), QRect(3, 28, 22, 22));
    EXPECT_EQ(full.Pictures[29]->geometry(), QRect(103, 128, 22, 22));

    MakeEmoticonFiles({0, 2, 7, 29});
    std::filesystem::path broken = platform::NativePath(AppPath("bmp\\5.bmp"));
    FILE* f = std::fopen(broken.c_str(), "w");
    std::fputs("not a picture", f);
    std::fclose(f);
    TNE sparse(&main);
    ASSERT_EQ(sparse.Pictures.size(), 4u);
    const int tags[] = {0, 2, 7, 29};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(TagOf(sparse.Pictures[i]), tags[i]);
        EXPECT_EQ(sparse.Pictures[i]->pos(), QPoint(3 + 25 * i, 3));
    }

    std::filesystem::remove_all(platform::NativePath(AppPath("bmp")));
    TNE none(&main);
    EXPECT_TRUE(none.Pictures.empty());
}

TEST_F(NoteEditor, NewNotesSavedTwiceInOneShowingShareTheShowingTime) {
    std::string notice1, notice2, time;
    WhenModal(NE, [&] {
        time = FromQt(NE->Edit2->text());
        NE->Edit1->setText(QString::fromUtf8("  It's 一 \n"));
        NE->Memo1->setPlainText(QString::fromUtf8("\n line 1\nline 2  \n\n"));
        AnswerNextMessage(&notice1);
        NE->Button1->click();
        EXPECT_TRUE(NE->isVisible());
        EXPECT_TRUE(NE->Edit1->text().isEmpty());
        EXPECT_TRUE(NE->Memo1->toPlainText().isEmpty());
        EXPECT_EQ(NE->focusWidget(), NE->Edit1);
        NE->Memo1->setPlainText(QString::fromUtf8("正文"));  // only a body
        AnswerNextMessage(&notice2);
        NE->Button1->click();
        NE->Button2->click();
    });
    NE->exec();
    EXPECT_EQ(Utf8(notice1), "保存成功");
    EXPECT_EQ(Utf8(notice2), "保存成功");
    EXPECT_TRUE(NE->Saved);
    EXPECT_EQ(NE->RecordId, 0);
    EXPECT_EQ(time.size(), 19u);
    const auto rows = Rows("SELECT title,content,state,cre_date FROM mylist ORDER BY ID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Utf8(rows[0][0]), "It＇s 一");
    EXPECT_EQ(rows[0][1], "line 1\r\nline 2");
    EXPECT_EQ(rows[1][0], "");
    EXPECT_EQ(Utf8(rows[1][1]), "正文");
    EXPECT_EQ(rows[0][2], "0");
    EXPECT_EQ(rows[0][3], time);
    EXPECT_EQ(rows[1][3], time);
}

TEST_F(NoteEditor, EmoticonsAndSnippetsReplaceTheSelection) {
    WhenModal(NE, [&] {
        NE->Button3->click();
        EXPECT_TRUE(NE->PL_EM->isVisible());
        NE->Memo1->setPlainText("abcdef");
        SelectInMemo(NE->Memo1, 2, 4);
        QTest::mouseClick(NE->Pictures[7], Qt::LeftButton);
        EXPECT_EQ(NE->Memo1->toPlainText(), "ab{EM7EM}ef");
        EXPECT_FALSE(NE->PL_EM->isVisible());
        EXPECT_EQ(NE->focusWidget(), NE->Memo1);

        NE->Button3->click();
        SelectInMemo(NE->Memo1, 0, 2);
        QTest::mouseClick(NE->SpeedButton5, Qt::LeftButton);
        EXPECT_EQ(Utf8(NE->Memo1->toPlainText()),
                  "<span class=\"TBred\">修改为你要的文字</span>{EM7EM}ef");
        EXPECT_FALSE(NE->PL_EM->isVisible());

        NE->Memo1->setPlainText("x");
        NE->Memo1->moveCursor(QTextCursor::End);
        NE->SpeedButton2->click();
        EXPECT_EQ(Utf8(NE->Memo1->toPlainText()),
                  "x<a href=\"http://您的网址\" target=\"_blank\">修改为你的链接文字</a>");
        NE->Button3->click();
        NE->SpeedButton6->click();
        EXPECT_FALSE(NE->PL_EM->isVisible());
        NE->Button3->click();
        NE->Button3->click();
        EXPECT_FALSE(NE->PL_EM->isVisible());

        QTest::keyClick(NE->Edit1, Qt::Key_Return);  // Enter moves on to the body
        EXPECT_EQ(NE->focusWidget(), NE->Memo1);
        NE->Button2->click();
    });
    NE->exec();
}

}  // namespace
}  // namespace korvane::test
