// The message dialog: every notice and yes/no question of the program.
#pragma once

#include <QFrame>
#include <QPushButton>
#include <QTextEdit>
#include <cstdint>
#include <string>

#include "dialogs/formbase.h"

namespace korvane {

// The message box (its one instance is Dialogs::smsf, shown by ShowMsgBox).
class Tsmsf : public FormDialog {
    Q_OBJECT
  public:
    explicit Tsmsf(QWidget* parent);

    QFrame* Panel1;      // the notice's button bar
    QPushButton* BtOk;   // 确定
    QFrame* Panel2;      // the question's button bar
    QPushButton* BtNo;   // 否
    QPushButton* BtYes;  // 是
    QFrame* Panel3;      // disabled, so the text cannot be focused or selected
    QTextEdit* Memo1;    // the text, centred

    // True only when Yes was pressed in the current or last showing.
    bool Answer = false;
    // For a question: 2 puts the focus on No, any other value on Yes.
    int32_t DefaultChoice = 0;

    // Shows the whole text centred line by line, word-wrapped, and fits the
    // dialog to it: the designed size for a short text, wider (up to a fixed
    // width) and taller for a longer one, never taller than three quarters of
    // the screen.
    void SetText(const QString& text);

    void FormShow();
    void BtNoClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FitToText();
    int TallestText() const;
    QFrame* ButtonBar();
    QPushButton* Button(QFrame* bar, const QString& caption, int tag, int left);
};

// Shows `text` (code page) in `box` as a notice with OK, or as a question
// with Yes and No whose focused answer is chosen by `defaultChoice`, centred
// over the box's main window; waits for the answer. True only for a Yes given
// in this showing; OK, No and the close box give false.
bool ShowMsgBox(Tsmsf& box, const std::string& text, bool question = false, int defaultChoice = 1);

}  // namespace korvane
