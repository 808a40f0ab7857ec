#include "dialogs/noteeditor.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPixmap>
#include <QShowEvent>
#include <algorithm>
#include <array>
#include <cstdlib>

#include "base/ansitext.h"
#include "dialogs/accessnames.h"
#include "dialogs/editing.h"
#include "dialogs/qttext.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/storetexts.h"
#include "store/notebook.h"

namespace korvane {

namespace {

constexpr QSize kClientSize(505, 362);
constexpr int kPictureSize = 22;
constexpr int kPictureGap = 3;
constexpr int kPaletteFiles = 30;

// The formatting snippets, by the Tag of their button.
const std::array<QString, 5>& Snippets() {
    static const QString text = ToQt(Ui::tr("修改为你要的文字"));
    static const std::array<QString, 5> snippets = {
        QStringLiteral("<span class=\"TBlank\">") + text + QStringLiteral("</span>"),
        QStringLiteral("<span class=\"TBBl\">") + text + QStringLiteral("</span>"),
        QStringLiteral("<span class=\"Tred\">") + text + QStringLiteral("</span>"),
        QStringLiteral("<span class=\"TBred\">") + text + QStringLiteral("</span>"),
        QStringLiteral("<a href=\"http://") + ToQt(Ui::tr("您的网址")) +
            QStringLiteral("\" target=\"_blank\">") + ToQt(Ui::tr("修改为你的链接文字")) +
            QStringLiteral("</a>"),
    };
    return snippets;
}

void ShowAsButtonFace(QLineEdit* edit) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
    edit->setPalette(palette);
}

void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The red snippets' buttons in red that reads on the palette's background.
QColor SnippetColour(Qt::GlobalColor colour, bool dark) {
    if (colour == Qt::red) return dark ? QColor(0xFF, 0x7B, 0x72) : QColor(Qt::red);
    return dark ? QApplication::palette().color(QPalette::ButtonText) : QColor(colour);
}

}  // namespace

TNE::TNE(QWidget* parent) : RecordEditor(parent, kClientSize, RecordKind::Note) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ToQt(Ui::tr("新增或修改内容")));
    setMinimumSize(300, kClientSize.height());

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Place(Panel1, 8, 8, 490, 317, kAllSides);
    Label1 = FieldLabel(ToQt(Ui::tr("标 题：")), 20, kLeftTop);
    Label2 = FieldLabel(ToQt(Ui::tr("内 容：")), 48, kLeftTop);
    Label3 = FieldLabel(ToQt(Ui::tr("时 间：")), 288, kLeft | kBottom);

    Edit1 = new QLineEdit(Panel1);
    Place(Edit1, 39, 16, 444, 21, kLeft | kTop | kRight);
    Edit1->installEventFilter(this);

    Memo1 = new QPlainTextEdit(Panel1);
    Place(Memo1, 39, 48, 443, 229, kAllSides);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);

    Edit2 = new QLineEdit(Panel1);
    Place(Edit2, 39, 284, 444, 21, kLeft | kRight | kBottom);
    Edit2->setReadOnly(true);

    Button3 = new WrapButton(ToQt(Ui::tr("加入特殊文字或符号")), Panel1);
    Place(Button3, 16, 72, 23, 148);
    Button3->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &TNE::Button3Click);

    Button1 = new QPushButton(ToQt(Ui::tr("保 存")), this);
    Place(Button1, 349, 332, 75, 25, kRight | kBottom);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TNE::Button1Click);
    Button2 = new QPushButton(ToQt(Ui::tr("关 闭")), this);
    Place(Button2, 423, 332, 75, 25, kRight | kBottom);
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, &TNE::Button2Click);
    MakeHistoryButton(275, 332);
    DraftNotice = NewDraftNotice(this);
    Place(DraftNotice, 8, 336, 262, 17, kLeft | kRight | kBottom);

    PL_EM = new QFrame(Panel1);
    PL_EM->setFrameShape(QFrame::Box);
    PL_EM->setAutoFillBackground(true);
    Place(PL_EM, 46, 80, 147, 197);
    PL_EM->hide();

    Image = new PictureButton(PL_EM);
    Place(Image, 124, 124, kPictureSize, kPictureSize);
    Image->hide();
    connect(Image, &PictureButton::clicked, this, &TNE::ImageClick);

    SpeedButton3 = SpeedButton(ToQt(Ui::tr("黑粗")), 2, 147, 38, 0, Qt::black, true);
    SpeedButton4 = SpeedButton(ToQt(Ui::tr("大黑粗")), 40, 147, 49, 1, Qt::black, true);
    SpeedButton6 = SpeedButton(ToQt(Ui::tr("关闭")), 103, 147, 38, 0, Qt::black, false);
    SpeedButton1 = SpeedButton(ToQt(Ui::tr("红粗")), 2, 171, 38, 2, Qt::red, true);
    SpeedButton5 = SpeedButton(ToQt(Ui::tr("大红粗")), 40, 171, 49, 3, Qt::red, true);
    SpeedButton2 = SpeedButton(ToQt(Ui::tr("链接")), 103, 171, 38, 4, Qt::black, false);
    for (QToolButton* b : {SpeedButton3, SpeedButton4, SpeedButton1, SpeedButton5, SpeedButton2}) {
        connect(b, &QToolButton::clicked, this, &TNE::SpeedButton3Click);
    }
    connect(SpeedButton6, &QToolButton::clicked, this, &TNE::SpeedButton6Click);
    FollowPalette(this, [this] { ShowColours(); });

    KeepDrafts("note");
    connect(Edit1, &QLineEdit::textChanged, drafts_, &DraftKeeper::Changed);
    connect(Memo1, &QPlainTextEdit::textChanged, drafts_, &DraftKeeper::Changed);
    FormCreate();
    SetTabOrder();
    NameForReaders(*this);
}

// Title, body, the palette's button and (while it is open) the palette in
// its reading order, then save, close and the history.
void TNE::SetTabOrder() {
    std::vector<QWidget*> order{Edit1, Memo1, Button3};
    for (QWidget* cell : PaletteCells()) order.push_back(cell);
    for (QWidget* next : {static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2),
                          static_cast<QWidget*>(HistoryButton)}) {
        order.push_back(next);
    }
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

std::vector<QWidget*> TNE::PaletteCells() const {
    std::vector<QWidget*> cells(Pictures.begin(), Pictures.end());
    for (QToolButton* b :
         {SpeedButton3, SpeedButton4, SpeedButton6, SpeedButton1, SpeedButton5, SpeedButton2}) {
        cells.push_back(b);
    }
    return cells;
}

// The arrows move through the palette: left and right in its reading order,
// up and down to the nearest cell above or below.
bool TNE::MoveInPalette(QWidget* from, int key) {
    const std::vector<QWidget*> cells = PaletteCells();
    const auto at = std::find(cells.begin(), cells.end(), from);
    if (at == cells.end()) return false;
    QWidget* to = nullptr;
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const auto index = at - cells.begin() + (key == Qt::Key_Right ? 1 : -1);
        if (index >= 0 && index < static_cast<std::ptrdiff_t>(cells.size())) to = cells[index];
    } else {
        const QPoint centre = from->geometry().center();
        int best = 0;
        for (QWidget* cell : cells) {
            const QPoint d = cell->geometry().center() - centre;
            const bool ahead = key == Qt::Key_Down ? d.y() > 2 : d.y() < -2;
            const int distance = std::abs(d.y()) * 4 + std::abs(d.x());
            if (ahead && (to == nullptr || distance < best)) {
                to = cell;
                best = distance;
            }
        }
    }
    if (to != nullptr) to->setFocus(Qt::TabFocusReason);
    return true;
}

QLabel* TNE::FieldLabel(const QString& caption, int top, int anchors) {
    auto* label = new QLabel(caption, Panel1);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Three characters and a blank must fit the 38 pixels left of the fields.
    label->setFont(FormFont(false, 8));
    // The text's middle lines up with the middle of the field beside it.
    Place(label, 0, top - 2, 38, 17, anchors);
    return label;
}

QToolButton* TNE::SpeedButton(const QString& caption, int x, int y, int width, int tag,
                              Qt::GlobalColor colour, bool bold) {
    auto* button = new QToolButton(PL_EM);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    button->setFont(FormFont(bold));
    button->setProperty("snippetColour", static_cast<int>(colour));
    SetTag(button, tag);
    Place(button, x, y, width, 22);
    return button;
}

// The palette's paper is white in the light and the page's dark in the dark;
// its buttons keep their black or red, made readable on the dark.
void TNE::ShowColours() {
    const bool dark = IsDark(QApplication::palette());
    ShowAsButtonFace(Edit2);
    SetTextColour(PL_EM, QPalette::Window,
                  dark ? QApplication::palette().color(QPalette::Base) : QColor(Qt::white));
    for (QToolButton* b :
         {SpeedButton3, SpeedButton4, SpeedButton6, SpeedButton1, SpeedButton5, SpeedButton2}) {
        const auto colour = static_cast<Qt::GlobalColor>(b->property("snippetColour").toInt());
        SetTextColour(b, QPalette::ButtonText, SnippetColour(colour, dark));
    }
}

void TNE::FormCreate() {
    Saved = false;
    RecordId = 0;
    // The palette: one picture for each emoticon file found, five to a row;
    // a missing or unreadable file leaves no gap.
    int x = kPictureGap;
    int y = kPictureGap;
    for (int n = 0; n < kPaletteFiles; ++n) {
        const QPixmap picture = EmoticonPicture(n, HighestPixelRatio());
        if (picture.isNull()) continue;
        auto* cell = new PictureButton(PL_EM);
        cell->setPixmap(picture);
        cell->installEventFilter(this);
        SetTag(cell, n);
        connect(cell, &PictureButton::clicked, this, &TNE::ImageClick);
        if (x + kPictureSize > PL_EM->width() - kPictureGap) {
            x = kPictureGap;
            y += kPictureSize + kPictureGap;
        }
        Place(cell, x, y, kPictureSize, kPictureSize);
        x += kPictureSize + kPictureGap;
        Pictures.push_back(cell);
    }
}

void TNE::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        CentreOverMainWindow(false);
        FormShow();
    }
    FormDialog::showEvent(event);
}

void TNE::FormShow() {
    Edit1->setFocus(Qt::OtherFocusReason);
    // Intended: the time is taken when the editor opens, not when it saves.
    // A save stores this shown time, so an edited record moves to the top of
    // the list with the moment its editing began.
    Edit2->setText(ToQt(NowText()));
    OpenRecord();
    PL_EM->hide();
}

DraftFields TNE::TypedFields() const {
    return {EditText(*Edit1), MemoText(*Memo1)};
}

void TNE::ShowFields(const DraftFields& fields) {
    SetEditText(*Edit1, fields[0]);
    SetMemoText(*Memo1, fields[1]);
}

void TNE::ShowLoaded() {
    if (loaded_.readable) {
        ShowFields({loaded_.fields[0].text, loaded_.fields[1].text});
    } else if (loaded_.gone) {  // the form says there is no such note
        ShowFields({texts::kNotFound, loaded_.failure});
    }
}

void TNE::FormClose() {
    RecordId = 0;
    Edit1->clear();
    SetMemoText(*Memo1, std::string());
    drafts_->Settle();
}

bool TNE::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return FormDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == Edit1 && (key == Qt::Key_Return || key == Qt::Key_Enter)) Edit1KeyPress();
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (arrow && watched->isWidgetType() && MoveInPalette(static_cast<QWidget*>(watched), key)) {
        return true;
    }
    return FormDialog::eventFilter(watched, event);
}

// Esc closes an open palette first (back to its button), then the editor.
void TNE::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && PL_EM->isVisible()) {
        event->accept();
        PL_EM->hide();
        Button3->setFocus(Qt::OtherFocusReason);
        return;
    }
    RecordEditor::keyPressEvent(event);
}

void TNE::Edit1KeyPress() {
    Memo1->setFocus(Qt::OtherFocusReason);
}

void TNE::Button1Click() {
    const std::string title = Trim(EditText(*Edit1));
    const std::string body = Trim(MemoText(*Memo1));
    if (!SaveTyped({title, body}, !title.empty() || !body.empty(), EditText(*Edit2))) return;
    Edit1->clear();
    SetMemoText(*Memo1, std::string());
    CloseAfterSave();
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TNE::Button2Click() {
    close();
}

void TNE::Button3Click() {
    PL_EM->setVisible(PL_EM->isHidden());
    // The palette takes the keys at its first cell, so the arrows pick one.
    const std::vector<QWidget*> cells = PaletteCells();
    if (PL_EM->isVisible() && !cells.empty()) cells.front()->setFocus(Qt::OtherFocusReason);
}

void TNE::InsertIntoMemo(const QString& text) {
    Memo1->insertPlainText(text);
    PL_EM->hide();
    Memo1->setFocus(Qt::OtherFocusReason);
}

void TNE::ImageClick() {
    InsertIntoMemo(QStringLiteral("{EM%1EM}").arg(TagOf(sender())));
}

void TNE::SpeedButton3Click() {
    const int tag = TagOf(sender());
    if (tag < 0 || tag >= static_cast<int>(Snippets().size())) return;
    InsertIntoMemo(Snippets()[tag]);
}

void TNE::SpeedButton6Click() {
    PL_EM->hide();
    Button3->setFocus(Qt::OtherFocusReason);
}

}  // namespace korvane
