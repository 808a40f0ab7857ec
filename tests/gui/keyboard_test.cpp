// The dialogs from the keyboard alone: Esc cancels each of them as its close
// button does (an editor keeps what was typed as a draft), Tab walks the
// note editor in reading order, the palette is worked with the arrows,
// Enter and Space, and the message box cannot be maximised.
#include <QTest>

#include "dialogs/drafts.h"
#include "gui/dialog_driver.h"

namespace korvane::test {
namespace {

using KeyboardDialogs = DialogTest;

std::string DraftBytes(const std::string& editor) {
    const std::optional<DraftFields> draft = ReadDraft({editor, 0}, editor == "note" ? 2 : 3);
    std::string all;
    if (draft) {
        for (const std::string& field : *draft) all += field + "|";
    }
    return all;
}

TEST_F(KeyboardDialogs, EscCancelsTheMessageBoxAndTheQuestion) {
    WhenModal(smsf, [&] { PressOnFocused(smsf, Qt::Key_Escape); });
    EXPECT_FALSE(ShowMsgBox(*smsf, Cp("保存成功"), false, 1));
    EXPECT_FALSE(smsf->isVisible());
    // Esc on a question is No, whichever button has the focus.
    for (const int choice : {1, 2}) {
        WhenModal(smsf, [&] { PressOnFocused(smsf, Qt::Key_Escape); });
        EXPECT_FALSE(ShowMsgBox(*smsf, Cp("是否真的要删除您所选择的记录？"), true, choice));
    }
}

TEST_F(KeyboardDialogs, EscClosesTheEditorsUnsavedWithTheirDraftsKept) {
    WhenModal(NE, [&] {
        QTest::keyClicks(NE->Edit1, "title");
        QTest::keyClick(NE->Edit1, Qt::Key_Return);
        QTest::keyClicks(NE->Memo1, "body");
        PressOnFocused(NE, Qt::Key_Escape);
    });
    NE->exec();
    EXPECT_FALSE(NE->isVisible());
    EXPECT_FALSE(NE->Saved);
    EXPECT_TRUE(Rows("SELECT ID FROM mylist").empty());
    EXPECT_EQ(DraftBytes("note"), "title|body|");

    WhenModal(fcon, [&] {
        QTest::keyClicks(fcon->Edit1, "name");
        fcon->Edit2->setFocus();
        QTest::keyClicks(fcon->Edit2, "138");
        PressOnFocused(fcon, Qt::Key_Escape);
    });
    fcon->exec();
    EXPECT_FALSE(fcon->isVisible());
    EXPECT_TRUE(Rows("SELECT ID FROM mylist").empty());
    EXPECT_EQ(DraftBytes("contact"), "name|138||");

    // The next opening brings the draft back; Esc again changes nothing.
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Edit1->text(), "title");
        EXPECT_TRUE(NE->DraftNotice->isVisible());
        PressOnFocused(NE, Qt::Key_Escape);
    });
    NE->exec();
    EXPECT_EQ(DraftBytes("note"), "title|body|");
}

TEST_F(KeyboardDialogs, ADraftOfBlanksAndLineBreaksIsNotRestored) {
    WhenModal(NE, [&] {
        QTest::keyClicks(NE->Edit1, "  ");
        NE->Memo1->setPlainText("\n\n  \n");
        PressOnFocused(NE, Qt::Key_Escape);
    });
    NE->exec();
    WhenModal(NE, [&] {
        EXPECT_EQ(NE->Edit1->text(), "");
        EXPECT_EQ(NE->Memo1->toPlainText(), "");
        EXPECT_FALSE(NE->DraftNotice->isVisible());
        PressOnFocused(NE, Qt::Key_Escape);
    });
    NE->exec();
}

TEST_F(KeyboardDialogs, TabWalksTheNoteEditorAndThePaletteInReadingOrder) {
    WhenModal(NE, [&] {
        std::vector<QWidget*> walked{NE->focusWidget()};
        for (int i = 0; i < 4; ++i) {
            PressOnFocused(NE, Qt::Key_Tab);
            walked.push_back(NE->focusWidget());
        }
        EXPECT_EQ(walked, (std::vector<QWidget*>{NE->Edit1, NE->Memo1, NE->Button3, NE->Button1,
                                                 NE->Button2}));
        // With the palette open its cells come after its button.
        NE->Button3->setFocus();
        PressOnFocused(NE, Qt::Key_Space);
        ASSERT_TRUE(NE->PL_EM->isVisible());
        EXPECT_EQ(NE->focusWidget(), NE->Pictures[0]);
        NE->Button3->setFocus();
        PressOnFocused(NE, Qt::Key_Tab);
        EXPECT_EQ(NE->focusWidget(), NE->Pictures[0]);
        PressOnFocused(NE, Qt::Key_Backtab);
        EXPECT_EQ(NE->focusWidget(), NE->Button3);
        NE->Button2->click();
    });
    NE->exec();
}

TEST_F(KeyboardDialogs, ThePaletteIsWorkedWithArrowsEnterSpaceAndEsc) {
    WhenModal(NE, [&] {
        NE->Button3->setFocus();
        PressOnFocused(NE, Qt::Key_Return);  // opens the palette at its first cell
        const auto at = [&] { return NE->focusWidget(); };
        PressOnFocused(NE, Qt::Key_Right);
        EXPECT_EQ(at(), NE->Pictures[1]);
        PressOnFocused(NE, Qt::Key_Down);  // eight pictures: 0-4 above 5-7
        EXPECT_EQ(at(), NE->Pictures[6]);
        PressOnFocused(NE, Qt::Key_Up);
        EXPECT_EQ(at(), NE->Pictures[1]);
        PressOnFocused(NE, Qt::Key_Left);
        PressOnFocused(NE, Qt::Key_Left);  // nothing before the first cell
        EXPECT_EQ(at(), NE->Pictures[0]);
        PressOnFocused(NE, Qt::Key_Down);
        PressOnFocused(NE, Qt::Key_Right);
        EXPECT_EQ(at(), NE->Pictures[6]);
        PressOnFocused(NE, Qt::Key_Space);
        EXPECT_EQ(NE->Memo1->toPlainText(), "{EM6EM}");
        EXPECT_FALSE(NE->PL_EM->isVisible());
        EXPECT_EQ(at(), NE->Memo1);

        // Down from the emoticons reaches the snippets; Enter inserts one.
        NE->Button3->setFocus();
        PressOnFocused(NE, Qt::Key_Space);
        PressOnFocused(NE, Qt::Key_Down);
        PressOnFocused(NE, Qt::Key_Down);
        EXPECT_EQ(at(), NE->SpeedButton3);
        PressOnFocused(NE, Qt::Key_Down);
        EXPECT_EQ(at(), NE->SpeedButton1);
        PressOnFocused(NE, Qt::Key_Return);
        EXPECT_EQ(Utf8(NE->Memo1->toPlainText()),
                  "{EM6EM}<span class=\"Tred\">修改为你要的文字</span>");

        // Esc closes the open palette first, back to its button, then the editor.
        NE->Button3->setFocus();
        PressOnFocused(NE, Qt::Key_Space);
        PressOnFocused(NE, Qt::Key_Escape);
        EXPECT_FALSE(NE->PL_EM->isVisible());
        EXPECT_TRUE(NE->isVisible());
        EXPECT_EQ(at(), NE->Button3);
        PressOnFocused(NE, Qt::Key_Escape);
        EXPECT_FALSE(NE->isVisible());
    });
    NE->exec();
}

TEST_F(KeyboardDialogs, TheMessageBoxHasNoMaximiseButtonAtAnySize) {
    for (const std::string& text : {Cp("保存成功"), std::string(3000, 'x')}) {
        WhenModal(smsf, [&] {
            EXPECT_FALSE(smsf->windowFlags() & Qt::WindowMaximizeButtonHint);
            EXPECT_FALSE(smsf->windowFlags() & Qt::WindowMinMaxButtonsHint);
            EXPECT_EQ(smsf->minimumSize(), smsf->maximumSize());
            ASSERT_NE(smsf->windowHandle(), nullptr);
            EXPECT_EQ(smsf->windowHandle()->minimumSize(), smsf->windowHandle()->maximumSize());
            PressOnFocused(smsf, Qt::Key_Return);
        });
        ShowMsgBox(*smsf, text);
    }
}

}  // namespace
}  // namespace korvane::test
