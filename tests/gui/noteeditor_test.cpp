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

std::string InsertNote(const std::string& title, const std::string& body) {
    EXPECT_EQ(ExecSql("INSERT INTO mylist(title,content,state,cre_date)VALUES('" + title + "','" +
                      body + "',0,'2020-01-01 00:00:00')"),
              "Done");
    return Rows("SELECT max(ID) FROM mylist")[0][0];
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

TEST_F(NoteEditor, PlacedAcrossTheMainWindowWithItsControlsFollowingTheWidth) {
    main_.setGeometry(40, 30, 900, 700);
    NE->resize(main_.width() - 10, NE->height());
    NE->move(main_.x() + 5, NE->y());
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->x(), main_.x() + 5);
        EXPECT_EQ(NE->width(), 890);
        EXPECT_LE(std::abs(NE->frameGeometry().center().y() - main_.frameGeometry().center().y()),
                  1);
        const int grown = 890 - 505;
        EXPECT_EQ(NE->Edit1->geometry(), QRect(39, 16, 444 + grown, 21));
        EXPECT_EQ(NE->Memo1->geometry(), QRect(39, 48, 443 + grown, 229));
        EXPECT_EQ(NE->Button2->geometry(), QRect(423 + grown, 332, 75, 25));
        EXPECT_EQ(NE->PL_EM->geometry(), QRect(46, 80, 147, 197));
        NE->Button2->click();
    });
    NE->exec();
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

TEST_F(NoteEditor, NothingToSaveAndClosingUnsavedLeaveSavedFalse) {
    std::string notice;
    WhenModal(NE, [&] {
        NE->Edit1->setText(" \t ");
        NE->Memo1->setPlainText("\n \n");
        AnswerNextMessage(&notice);
        NE->Button1->click();
        NE->close();  // the close box
    });
    NE->exec();
    EXPECT_EQ(Utf8(notice), "要保存,总得写点什么吧.谢谢您的使用");
    EXPECT_FALSE(NE->Saved);
    EXPECT_TRUE(Rows("SELECT ID FROM mylist").empty());
    EXPECT_TRUE(NE->Edit1->text().isEmpty());  // cleared on close
}

TEST_F(NoteEditor, EditSaveUpdatesTheNoteClosesAndReportsSaved) {
    const std::string id = InsertNote(Cp("旧标题"), "first\r\nsecond");
    std::string time;
    NE->RecordId = std::stoi(id);
    WhenModal(NE, [&] {
        EXPECT_EQ(Utf8(NE->Edit1->text()), "旧标题");
        EXPECT_EQ(NE->Memo1->document()->blockCount(), 2);
        time = FromQt(NE->Edit2->text());
        NE->Edit1->setText(QString::fromUtf8("新标题"));
        NE->Button1->click();  // closes the editor, no notice
    });
    NE->exec();
    EXPECT_TRUE(NE->Saved);
    EXPECT_EQ(NE->RecordId, 0);
    const auto rows = Rows("SELECT title,content,cre_date FROM mylist WHERE ID=" + id);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Utf8(rows[0][0]), "新标题");
    EXPECT_EQ(rows[0][1], "first\r\nsecond");
    EXPECT_EQ(rows[0][2], time);

    // The next showing without a record number is a new note again.
    WhenModal(NE, [&] {
        EXPECT_TRUE(NE->Edit1->text().isEmpty());
        EXPECT_FALSE(NE->Saved);
        NE->Button2->click();
    });
    NE->exec();
    EXPECT_FALSE(NE->Saved);
}

TEST_F(NoteEditor, AVanishedNoteIsNotSilentlyLostOnSave) {
    NE->RecordId = 999;
    std::string notice, notice2;
    WhenModal(NE, [&] {
        EXPECT_EQ(Utf8(NE->Edit1->text()), "N-1");
        EXPECT_EQ(Utf8(NE->Memo1->toPlainText()), "没有数据,请立即新增！");
        NE->Memo1->setPlainText("typed meanwhile");
        AnswerNextMessage(&notice);
        NE->Button1->click();
        EXPECT_TRUE(NE->isVisible());
        EXPECT_EQ(NE->Memo1->toPlainText(), "typed meanwhile");
        AnswerNextMessage(&notice2);
        NE->Button1->click();  // now saved as a new note
        NE->Button2->click();
    });
    NE->exec();
    EXPECT_EQ(Utf8(notice), "没有数据,请立即新增！");
    EXPECT_EQ(Utf8(notice2), "保存成功");
    EXPECT_TRUE(NE->Saved);
    EXPECT_EQ(Rows("SELECT content FROM mylist"),
              (std::vector<std::vector<std::string>>{{"typed meanwhile"}}));
}

// A page command can carry a negative record number ("EdNo-3"); the editor
// then shows an empty form, and what the user types there must be stored.
TEST_F(NoteEditor, ANegativeRecordNumberSavesANewNote) {
    NE->RecordId = -3;
    std::string notice;
    WhenModal(NE, [&] {
        EXPECT_TRUE(NE->Edit1->text().isEmpty());
        NE->Edit1->setText("typed");
        AnswerNextMessage(&notice);
        NE->Button1->click();
        NE->Button2->click();
    });
    NE->exec();
    EXPECT_EQ(Utf8(notice), "保存成功");
    EXPECT_EQ(Rows("SELECT title,state FROM mylist"),
              (std::vector<std::vector<std::string>>{{"typed", "0"}}));
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

TEST_F(NoteEditor, CharactersOutsideGbkSurviveSaveAndLoad) {
    // An emoji, a CJK extension B character and a no-break space have no GBK
    // form; GB18030 stores each as four bytes and gives it back unchanged.
    const QString title = QString::fromUtf8("笑\U0001F600 𠀀");
    const QString body = QString::fromUtf8("\u00A0a\U0001F431\nb");
    WhenModal(NE, [&] {
        NE->Edit1->setText(title);
        NE->Memo1->setPlainText(body);
        AnswerNextMessage();
        NE->Button1->click();
        NE->Button2->click();
    });
    NE->exec();
    const auto rows = Rows("SELECT ID,title,content FROM mylist");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], Cp("笑") + "\x94\x39\xFC\x36 \x95\x32\x82\x36");
    EXPECT_EQ(rows[0][2],
              "\x81\x30\x84\x32"
              "a\x94\x39\xCE\x33\r\nb");

    NE->RecordId = std::stoi(rows[0][0]);
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Edit1->text(), title);
        EXPECT_EQ(NE->Memo1->document()->toRawText(),
                  QString(body).replace(QLatin1Char('\n'), QChar(QChar::ParagraphSeparator)));
        NE->Button2->click();
    });
    NE->exec();
}

// What the user sees when the store cannot save: its text exactly as it came,
// with the fields kept for another try.
class NoteSaveFailure : public NoteEditor {
  protected:
    std::string TrySave() {
        std::string notice;
        WhenModal(NE, [&] {
            NE->Edit1->setText("kept title");
            NE->Memo1->setPlainText("kept body");
            AnswerNextMessage(&notice);
            NE->Button1->click();
            EXPECT_EQ(NE->Edit1->text(), "kept title");
            EXPECT_EQ(NE->Memo1->toPlainText(), "kept body");
            NE->Button2->click();
        });
        NE->exec();
        EXPECT_FALSE(NE->Saved);
        return notice;
    }
};

TEST_F(NoteSaveFailure, MissingDatabaseTextIsShownUnrendered) {
    CloseDatabase();
    std::filesystem::remove(app_.path() / "hd" / "glst.mysql.root");
    EXPECT_EQ(TrySave(), texts::DatabaseMissing());
}

TEST_F(NoteSaveFailure, MissingTable) {
    ASSERT_EQ(ExecSql("DROP TABLE mylist"), "Done");
    EXPECT_EQ(Utf8(TrySave()), "无法完成！数据库有问题！请重新安装");
}

TEST_F(NoteSaveFailure, FailedStatementShowsTheFailureNotice) {
    // A note of the same title already stored and titles made unique: the
    // save's statement fails (a trigger would not run: the program runs no
    // SQL a notebook brings).
    ASSERT_EQ(
        ExecSql("INSERT INTO mylist(title,state,cre_date)VALUES('kept title',0,'2026-12-07')"),
        "Done");
    ASSERT_EQ(ExecSql("CREATE UNIQUE INDEX refuse ON mylist (title)"), "Done");
    EXPECT_EQ(TrySave(), texts::SaveFailed(texts::SaveFailure::Failed));
}

TEST_F(NoteEditor, ANoteThatCouldNotBeReadIsNeverSavedOver) {
    const std::string id = InsertNote("kept", "body");
    std::string shownAtOpen, shownAtSave;
    {
        // Another program holds the notebook while the editor opens.
        TSQLiteDatabase other(AppPath("hd\\glst.mysql"));
        other.Execute("BEGIN EXCLUSIVE");
        AnswerNextMessage(&shownAtOpen);
        WhenModal(NE, [&] {
            other.Execute("ROLLBACK");
            // Once the notice of the failed read has closed.
            QTimer::singleShot(100, [&] {
                WhenModal(NE, [&] {
                    NE->Edit1->setText(QStringLiteral("typed"));
                    AnswerNextMessage(&shownAtSave);
                    NE->Button1->click();
                    NE->Button2->click();
                });
            });
        });
        NE->RecordId = std::stoi(id);
        NE->exec();
    }
    EXPECT_NE(Utf8(shownAtOpen).find("无法读取这条记录"), std::string::npos) << Utf8(shownAtOpen);
    EXPECT_NE(Utf8(shownAtSave).find("不能保存"), std::string::npos)
        << Utf8(shownAtSave) << "|" << Utf8(shownAtOpen);
    EXPECT_FALSE(NE->Saved);
    EXPECT_EQ(Rows("SELECT title,content FROM mylist WHERE ID=" + id),
              (std::vector<std::vector<std::string>>{{"kept", "body"}}));
}

TEST_F(NoteEditor, AFieldNotStoredAsTextIsLeftAsItIs) {
    const std::string id = InsertNote("title", "body");
    ASSERT_EQ(ExecSql("UPDATE mylist SET content=X'0041' WHERE ID=" + id), "Done");
    WhenModal(NE, [&] {
        NE->Edit1->setText(QStringLiteral("new title"));
        NE->Button1->click();
    });
    NE->RecordId = std::stoi(id);
    NE->exec();
    EXPECT_TRUE(NE->Saved);
    EXPECT_EQ(Rows("SELECT title,typeof(content),hex(content) FROM mylist WHERE ID=" + id),
              (std::vector<std::vector<std::string>>{{"new title", "blob", "0041"}}));
}

}  // namespace
}  // namespace korvane::test
