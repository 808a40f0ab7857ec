#include "dialogs/contacteditor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShowEvent>
#include <array>

#include "base/ansitext.h"
#include "dialogs/accessnames.h"
#include "dialogs/editing.h"
#include "dialogs/qttext.h"
#include "dialogs/widgets.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/storetexts.h"
#include "store/notebook.h"

namespace korvane {

namespace {

constexpr QSize kClientSize(507, 284);

// The tag written around an account id, by the position of its messenger in CB1.
const std::array<std::pair<const char*, const char*>, 4> kTagTemplates = {{
    {"{QQ", "QQ}"},
    {"{MS", "MS}"},
    {"{SP", "SP}"},
    {"{AL", "AL}"},
}};

const std::string& Incomplete() {
    static const std::string text = Ui::tr("请填写完整");
    return text;
}

}  // namespace

Tfcon::Tfcon(QWidget* parent) : RecordEditor(parent, kClientSize, RecordKind::Contact) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ToQt(Ui::tr("通讯录")));
    setMinimumSize(300, kClientSize.height());

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Place(Panel1, 8, 8, 490, 238, kAllSides);
    Label1 = FieldLabel(ToQt(Ui::tr("联系人：")), 19, kLeftTop);
    Label2 = FieldLabel(ToQt(Ui::tr("电　话：")), 46, kLeftTop);
    Label3 = FieldLabel(ToQt(Ui::tr("备　注：")), 71, kLeftTop);
    Label4 = FieldLabel(ToQt(Ui::tr("时　间：")), 212, kLeft | kBottom);

    Edit1 = FieldEdit(16, kLeft | kTop | kRight);
    Edit2 = FieldEdit(43, kLeft | kTop | kRight);
    Memo1 = new QPlainTextEdit(Panel1);
    Place(Memo1, 64, 72, 418, 130, kAllSides);
    Memo1->setTabChangesFocus(true);
    Edit3 = FieldEdit(210, kLeft | kRight | kBottom);
    Edit3->setReadOnly(true);
    // A read-only field drawn as the dialog's face, light or dark.
    FollowPalette(Edit3, [edit = Edit3] {
        QPalette face = edit->palette();
        face.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
        edit->setPalette(face);
    });

    Button3 = new WrapButton(ToQt(Ui::tr("特殊文字增加")), Panel1);
    Place(Button3, 46, 89, 17, 112);
    Button3->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &Tfcon::Button3Click);

    Button1 = Button(this, ToQt(Ui::tr("保 存")));
    Place(Button1, 349, 250, 75, 25, kRight | kBottom);
    connect(Button1, &QPushButton::clicked, this, &Tfcon::Button1Click);
    Button2 = Button(this, ToQt(Ui::tr("关 闭")));
    Place(Button2, 423, 250, 75, 25, kRight | kBottom);
    connect(Button2, &QPushButton::clicked, this, &Tfcon::Button2Click);
    MakeHistoryButton(275, 250);
    DraftNotice = NewDraftNotice(this);
    Place(DraftNotice, 8, 254, 262, 17, kLeft | kRight | kBottom);

    PL_TXT = new QFrame(Panel1);
    PL_TXT->setFrameShape(QFrame::Panel);
    PL_TXT->setFrameShadow(QFrame::Raised);
    PL_TXT->setAutoFillBackground(true);
    Place(PL_TXT, 70, 96, 168, 101);
    PL_TXT->hide();

    CB1 = new QComboBox(PL_TXT);
    CB1->addItems({QStringLiteral("QQ"), QStringLiteral("MSN"), QStringLiteral("SKYPE"),
                   ToQt(Ui::tr("阿里旺旺"))});
    CB1->setCurrentIndex(-1);
    Place(CB1, 8, 8, 153, 21);
    connect(CB1, &QComboBox::activated, this, &Tfcon::CB1Change);
    EDB = new QLineEdit(PL_TXT);
    Place(EDB, 8, 40, 153, 21);
    Button5 = Button(PL_TXT, ToQt(Ui::tr("插入")));
    Place(Button5, 34, 72, 64, 25);
    connect(Button5, &QPushButton::clicked, this, &Tfcon::Button5Click);
    Button4 = Button(PL_TXT, ToQt(Ui::tr("关闭")));
    Place(Button4, 97, 72, 64, 25);
    connect(Button4, &QPushButton::clicked, this, &Tfcon::Button4Click);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Memo1);
    setTabOrder(Memo1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, HistoryButton);

    KeepDrafts("contact");
    connect(Edit1, &QLineEdit::textChanged, drafts_, &DraftKeeper::Changed);
    connect(Edit2, &QLineEdit::textChanged, drafts_, &DraftKeeper::Changed);
    connect(Memo1, &QPlainTextEdit::textChanged, drafts_, &DraftKeeper::Changed);
    FormCreate();
    NameForReaders(*this);
}

QLabel* Tfcon::FieldLabel(const QString& caption, int top, int anchors) {
    auto* label = new QLabel(caption, Panel1);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(label, 9, top - 2, 54, 17, anchors);
    return label;
}

QLineEdit* Tfcon::FieldEdit(int top, int anchors) {
    auto* edit = new QLineEdit(Panel1);
    Place(edit, 64, top, 418, 21, anchors);
    edit->installEventFilter(this);
    return edit;
}

QPushButton* Tfcon::Button(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

void Tfcon::FormCreate() {
    Saved = false;
    RecordId = 0;
}

void Tfcon::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        CentreOverMainWindow(false);
        FormShow();
    }
    FormDialog::showEvent(event);
}

void Tfcon::FormShow() {
    ClearFields();
    Edit1->setFocus(Qt::OtherFocusReason);
    // Intended: the time is taken when the editor opens, not when it saves.
    // A save stores this shown time, so an edited record moves to the top of
    // the list with the moment its editing began.
    Edit3->setText(ToQt(NowText()));
    OpenRecord();
    PL_TXT->hide();
}

DraftFields Tfcon::TypedFields() const {
    return {EditText(*Edit1), EditText(*Edit2), MemoText(*Memo1)};
}

void Tfcon::ShowFields(const DraftFields& fields) {
    SetEditText(*Edit1, fields[0]);
    SetEditText(*Edit2, fields[1]);
    SetMemoText(*Memo1, fields[2]);
}

void Tfcon::ShowLoaded() {
    if (loaded_.readable) {
        ShowFields({loaded_.fields[0].text, loaded_.fields[1].text, loaded_.fields[2].text});
    } else if (loaded_.gone) {  // the form says there is no such contact
        SetEditText(*Edit1, texts::kNotFound);
        SetEditText(*Edit2, loaded_.failure);
    }
}

void Tfcon::ClearFields() {
    Edit1->clear();
    Edit2->clear();
    SetMemoText(*Memo1, std::string());
}

void Tfcon::FormClose() {
    RecordId = 0;
}

bool Tfcon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Edit1) Edit1KeyPress();
            if (watched == Edit2) Edit2KeyPress();
        }
    }
    return FormDialog::eventFilter(watched, event);
}

void Tfcon::Edit1KeyPress() {
    Edit2->setFocus(Qt::OtherFocusReason);
}

void Tfcon::Edit2KeyPress() {
    Memo1->setFocus(Qt::OtherFocusReason);
}

void Tfcon::Button1Click() {
    const std::string name = Trim(EditText(*Edit1));
    const std::string tel = Trim(EditText(*Edit2));
    const std::string remark = Trim(MemoText(*Memo1));
    // A remark alone is no contact: a name or a telephone is needed.
    if (!SaveTyped({name, tel, remark}, !name.empty() || !tel.empty(), EditText(*Edit3))) return;
    ClearFields();
    Edit3->setText(ToQt(NowText()));
    if (!CloseAfterSave()) Edit1->setFocus(Qt::OtherFocusReason);
}

void Tfcon::Button2Click() {
    close();
}

void Tfcon::Button3Click() {
    PL_TXT->setVisible(PL_TXT->isHidden());
    if (!PL_TXT->isHidden()) CB1->setFocus(Qt::OtherFocusReason);
}

void Tfcon::Button4Click() {
    PL_TXT->hide();
}

void Tfcon::CB1Change() {
    EDB->setFocus(Qt::OtherFocusReason);
}

void Tfcon::Button5Click() {
    const int position = CB1->currentIndex();
    const std::string id = Trim(EditText(*EDB));
    if (position < 0 || id.empty()) {
        Tell(Incomplete());
        if (position < 0) CB1->setFocus(Qt::OtherFocusReason);
        if (id.empty()) EDB->setFocus(Qt::OtherFocusReason);
        return;
    }
    const auto& [opening, closing] = kTagTemplates[static_cast<size_t>(position)];
    Memo1->insertPlainText(ToQt(opening + id + closing));
    PL_TXT->hide();
    CB1->setCurrentIndex(-1);
    EDB->clear();
    Memo1->setFocus(Qt::OtherFocusReason);
}

}  // namespace korvane
