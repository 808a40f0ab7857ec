// The contact editor: moving through the fields, the messenger tags, and
// saving new and edited contacts.
#include <QTextCursor>

#include "gui/dialog_driver.h"

namespace korvane::test {
namespace {

using ContactEditor = DialogTest;

void ChooseMessenger(Tfcon& editor, int position) {
    editor.CB1->setCurrentIndex(position);
    emit editor.CB1->activated(position);
}

TEST_F(ContactEditor, EnterMovesFromNameToTelephoneToRemark) {
    WhenModal(fcon, [&] {
        EXPECT_EQ(fcon->focusWidget(), fcon->Edit1);
        QTest::keyClick(fcon->Edit1, Qt::Key_Return);
        EXPECT_EQ(fcon->focusWidget(), fcon->Edit2);
        QTest::keyClick(fcon->Edit2, Qt::Key_Enter);
        EXPECT_EQ(fcon->focusWidget(), fcon->Memo1);
        EXPECT_TRUE(fcon->isVisible());
        fcon->Button2->click();
    });
    fcon->exec();
    EXPECT_FALSE(fcon->Saved);
}

TEST_F(ContactEditor, MessengerTagWithTrimmedIdReplacesTheSelection) {
    WhenModal(fcon, [&] {
        EXPECT_FALSE(fcon->PL_TXT->isVisible());
        EXPECT_EQ(fcon->CB1->count(), 4);
        EXPECT_EQ(Utf8(fcon->CB1->itemText(3)), "阿里旺旺");
        EXPECT_FALSE(fcon->CB1->isEditable());
        fcon->Memo1->setPlainText("tel: XX end");
        QTextCursor cursor = fcon->Memo1->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        fcon->Memo1->setTextCursor(cursor);

        fcon->Button3->click();
        EXPECT_TRUE(fcon->PL_TXT->isVisible());
        EXPECT_EQ(fcon->focusWidget(), fcon->CB1);
        ChooseMessenger(*fcon, 3);
        EXPECT_EQ(fcon->focusWidget(), fcon->EDB);
        fcon->EDB->setText(" \tww_12 ");
        fcon->Button5->click();
        EXPECT_EQ(fcon->Memo1->toPlainText(), "tel: {ALww_12AL} end");
        EXPECT_FALSE(fcon->PL_TXT->isVisible());
        EXPECT_EQ(fcon->CB1->currentIndex(), -1);
        EXPECT_TRUE(fcon->EDB->text().isEmpty());
        EXPECT_EQ(fcon->focusWidget(), fcon->Memo1);

        fcon->Memo1->moveCursor(QTextCursor::Start);
        fcon->Button3->click();
        ChooseMessenger(*fcon, 0);
        fcon->EDB->setText("12345");
        fcon->Button5->click();
        EXPECT_EQ(fcon->Memo1->toPlainText(), "{QQ12345QQ}tel: {ALww_12AL} end");
        fcon->Button2->click();
    });
    fcon->exec();
}

TEST_F(ContactEditor, IncompleteTagFocusesTheMissingInput) {
    WhenModal(fcon, [&] {
        const auto tryInsert = [&](int position, const QString& id) {
            fcon->Button3->click();
            fcon->CB1->setCurrentIndex(position);
            fcon->EDB->setText(id);
            std::string notice;
            AnswerNextMessage(&notice);
            fcon->Button5->click();
            EXPECT_EQ(Utf8(notice), "请填写完整");
            EXPECT_TRUE(fcon->PL_TXT->isVisible());
            EXPECT_TRUE(fcon->Memo1->toPlainText().isEmpty());
            QWidget* focused = fcon->focusWidget();
            fcon->Button4->click();
            EXPECT_FALSE(fcon->PL_TXT->isVisible());
            return focused;
        };
        EXPECT_EQ(tryInsert(-1, ""), fcon->EDB);
        EXPECT_EQ(tryInsert(1, "   "), fcon->EDB);
        EXPECT_EQ(tryInsert(-1, "id"), fcon->CB1);
        fcon->Button2->click();
    });
    fcon->exec();
}

TEST_F(ContactEditor, NewContactsInOneShowingCarryTheRefreshedTime) {
    const QString earlier = QStringLiteral("2000-01-01 00:00:00");
    std::string refused, saved1, saved2;
    WhenModal(fcon, [&] {
        fcon->Memo1->setPlainText("remark only");
        AnswerNextMessage(&refused);
        fcon->Button1->click();
        EXPECT_EQ(fcon->Memo1->toPlainText(), "remark only");

        fcon->Edit2->setText(" 0571-'88' ");
        fcon->Edit3->setText(earlier);  // stands for the time of the showing
        AnswerNextMessage(&saved1);
        fcon->Button1->click();
        EXPECT_NE(fcon->Edit3->text(), earlier);
        EXPECT_TRUE(fcon->Memo1->toPlainText().isEmpty());
        EXPECT_EQ(fcon->focusWidget(), fcon->Edit1);

        fcon->Edit1->setText(QString::fromUtf8("张三"));
        AnswerNextMessage(&saved2);
        fcon->Button1->click();
        fcon->Button2->click();
    });
    fcon->exec();
    EXPECT_EQ(Utf8(refused), "要保存,总得写点什么吧.谢谢您的使用");
    EXPECT_EQ(Utf8(saved1), "保存成功");
    EXPECT_EQ(Utf8(saved2), "保存成功");
    EXPECT_TRUE(fcon->Saved);
    const auto rows = Rows("SELECT title,tel,content,state,cre_date FROM mylist ORDER BY ID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "");
    EXPECT_EQ(Utf8(rows[0][1]), "0571-＇88＇");
    EXPECT_EQ(rows[0][2], "remark only");
    EXPECT_EQ(rows[0][3], "1");
    EXPECT_EQ(rows[0][4], FromQt(earlier));
    EXPECT_NE(rows[1][4], FromQt(earlier));
    EXPECT_EQ(Utf8(rows[1][0]), "张三");
}

}  // namespace
}  // namespace korvane::test
