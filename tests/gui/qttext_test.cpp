// Multi-line texts in the editors: exact bytes both ways, and lines of any
// length that stay quick to open and to edit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <string>

#include "dialogs/qttext.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

std::string Repeat(const std::string& piece, size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += piece;
    return text;
}

TEST(MemoText, LinesOfAnyLengthComeBackByteForByte) {
    QPlainTextEdit memo;
    const std::string breaks = Cp("第一行\r\n\r\n第三行 {EM3EM}\r\n");
    // One long line of Chinese with blanks, one without any, and characters
    // outside the basic plane, whose halves must never be cut apart.
    const std::string words = Repeat(Cp("会议 纪要 "), 300000);
    const std::string solid = Repeat(Cp("会"), 300000);
    const std::string astral = Repeat(platform::ToCodePage("😀𠀀"), 50000);
    for (const std::string& text :
         {breaks, words, solid, astral, breaks + words + "\r\n" + solid + "\r\n" + astral}) {
        SetMemoText(memo, text);
        EXPECT_TRUE(MemoText(memo) == text) << text.size() << " bytes";
    }
    // A long line is held as many short blocks, so an edit lays out little.
    SetMemoText(memo, solid);
    EXPECT_GE(memo.document()->blockCount(), 75);
}

TEST(MemoText, EnterInsideALongLineBreaksItThereOnly) {
    QPlainTextEdit memo;
    const std::string line = Repeat("abcdefghij", 100000);  // one line of 100,000 bytes
    for (int at : {5, 1999, 2000, 2001, 2005, 55555, 99999}) {
        SetMemoText(memo, line);
        // Held as blocks of 2,000 characters: the cursor counts their separators.
        QTextCursor cursor = memo.textCursor();
        cursor.setPosition(at + at / 2000);
        memo.setTextCursor(cursor);
        QTest::keyClick(&memo, Qt::Key_Return);
        EXPECT_TRUE(MemoText(memo) == line.substr(0, at) + "\r\n" + line.substr(at)) << at;
    }
    // Joining two real lines again leaves one line.
    SetMemoText(memo, line + "\r\nend");
    QTextCursor cursor = memo.textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock);
    memo.setTextCursor(cursor);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    EXPECT_TRUE(MemoText(memo) == line + "end");
}

// Edits anywhere in a long line, as a user makes them, change only what they
// touch: the blocks that hold the line for display never show as breaks.
TEST(MemoText, EditsInALongLineKeepItOneLine) {
    QPlainTextEdit memo;
    const std::string line = Repeat("0123456789", 10000);
    const auto at = [&](int position, int anchor = -1) {
        QTextCursor cursor = memo.textCursor();
        cursor.setPosition(anchor < 0 ? position : anchor);
        if (anchor >= 0) cursor.setPosition(position, QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
    };
    const auto expect = [&](const std::string& text, const char* what) {
        EXPECT_TRUE(MemoText(memo) == text) << what;
    };
    SetMemoText(memo, "top\r\n" + line + "\r\nend");
    at(0);
    QTest::keyClicks(&memo, "ab");
    expect("abtop\r\n" + line + "\r\nend", "typing at the start");
    at(6 + 2000);  // just before the first separator that splits the line
    QTest::keyClick(&memo, Qt::Key_Delete);
    expect("abtop\r\n" + line + "\r\nend", "deleting a separator that splits the line");
    at(6);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    expect("abtop" + line + "\r\nend", "joining the line to the one before");
    at(4500, 10);  // from inside the line's first block into its second
    QTest::keyClicks(&memo, "X");
    const std::string joined = "abtop" + line;
    expect(joined.substr(0, 10) + "X" + joined.substr(4499) + "\r\nend",
           "typing over a selection across blocks");
    memo.selectAll();
    QTest::keyClicks(&memo, "Y");
    expect("Y", "replacing everything");
    EXPECT_FALSE(memo.isUndoRedoEnabled());
    SetMemoText(memo, "short\r\nlines");
    EXPECT_TRUE(memo.isUndoRedoEnabled());
}

}  // namespace
}  // namespace korvane
