// The note editor: title, body, emoticon palette and formatting snippets.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <vector>

#include "dialogs/recordeditor.h"
#include "dialogs/widgets.h"

namespace korvane {

// The note editor (its one instance is Dialogs::NE, see dialogs.h).
class TNE : public RecordEditor {
    Q_OBJECT
  public:
    explicit TNE(QWidget* parent);

    QFrame* Panel1;             // the frame around the fields
    QLabel* Label1;             // 标 题：
    QLabel* Label2;             // 内 容：
    QLabel* Label3;             // 时 间：
    QLineEdit* Edit1;           // title
    QPlainTextEdit* Memo1;      // body
    QLineEdit* Edit2;           // the time the save will store
    WrapButton* Button3;        // 加入特殊文字或符号: opens the palette
    QPushButton* Button1;       // save
    QPushButton* Button2;       // close
    QFrame* PL_EM;              // emoticon palette
    PictureButton* Image;       // hidden template of the palette pictures
    QToolButton* SpeedButton3;  // palette snippet 黑粗: bold
    QToolButton* SpeedButton4;  // palette snippet 大黑粗: big bold
    QToolButton* SpeedButton6;  // palette 关闭: closes the palette
    QToolButton* SpeedButton1;  // palette snippet 红粗: red bold
    QToolButton* SpeedButton5;  // palette snippet 大红粗: big red bold
    QToolButton* SpeedButton2;  // palette snippet 链接: a link
    // The palette pictures in the order they were found, Tag = file number.
    std::vector<PictureButton*> Pictures;

    void FormCreate();
    void ShowColours();
    void FormShow();
    void FormClose() override;
    void Edit1KeyPress();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ImageClick();
    void SpeedButton3Click();
    void SpeedButton6Click();

    // The palette's cells in reading order: the emoticons, then the snippets
    // and its 关闭 row by row.
    std::vector<QWidget*> PaletteCells() const;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetTabOrder();
    // Moves the focus from the palette cell `from` by an arrow key; false
    // when `from` is no cell of the palette.
    bool MoveInPalette(QWidget* from, int key);
    QLabel* FieldLabel(const QString& caption, int top, int anchors);
    QToolButton* SpeedButton(const QString& caption, int x, int y, int width, int tag,
                             Qt::GlobalColor colour, bool bold);
    // Replaces the body's selection (or inserts at the caret), closes the palette.
    void InsertIntoMemo(const QString& text);
    // The fields as the draft keeps them (title, content).
    DraftFields TypedFields() const override;
    void ShowFields(const DraftFields& fields) override;
    // Fills the fields from the record read into loaded_.
    void ShowLoaded() override;
};

}  // namespace korvane
