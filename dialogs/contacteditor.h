// The contact editor: name, telephone, remark with messenger tags, time.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "dialogs/recordeditor.h"
#include "dialogs/widgets.h"

namespace korvane {

// The contact editor (its one instance is Dialogs::fcon, see dialogs.h).
class Tfcon : public RecordEditor {
    Q_OBJECT
  public:
    explicit Tfcon(QWidget* parent);

    QFrame* Panel1;         // the frame around the fields
    QLabel* Label1;         // 联系人：
    QLabel* Label2;         // 电话：
    QLabel* Label3;         // 备注：
    QLabel* Label4;         // 时间：
    QLineEdit* Edit1;       // name
    QLineEdit* Edit2;       // telephone
    QPlainTextEdit* Memo1;  // remark
    QLineEdit* Edit3;       // the time the save will store
    WrapButton* Button3;    // 特殊文字增加: opens the messenger-tag panel
    QPushButton* Button1;   // save
    QPushButton* Button2;   // close
    QFrame* PL_TXT;         // messenger-tag panel
    QComboBox* CB1;         // the messenger: QQ, MSN, SKYPE, 阿里旺旺
    QLineEdit* EDB;         // the messenger id to insert
    QPushButton* Button5;   // insert the tag
    QPushButton* Button4;   // hide the panel

    void FormCreate();
    void FormShow();
    void FormClose() override;
    void Edit1KeyPress();
    void Edit2KeyPress();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void CB1Change();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* FieldLabel(const QString& caption, int top, int anchors);
    QLineEdit* FieldEdit(int top, int anchors);
    QPushButton* Button(QWidget* parent, const QString& caption);
    // The fields as the draft keeps them (name, telephone, remark).
    DraftFields TypedFields() const override;
    void ShowFields(const DraftFields& fields) override;
    // Fills the fields from the record read into loaded_.
    void ShowLoaded() override;
    void ClearFields();
};

}  // namespace korvane
