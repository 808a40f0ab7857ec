#include "dialogs/messagebox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTextBlockFormat>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

#include "dialogs/accessnames.h"
#include "dialogs/qttext.h"
#include "dialogs/widgets.h"
#include "platform/uitext.h"

namespace korvane {

namespace {

constexpr QSize kClientSize(322, 132);
constexpr int kBarHeight = 29;
constexpr QRect kTextArea(8, 27, 305, 42);
// The text area grows to its text up to this width, then wraps; a long
// question stays readable without spanning the screen.
constexpr int kWidestText = 560;

}  // namespace

Tsmsf::Tsmsf(QWidget* parent) : FormDialog(parent, kClientSize) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientSize);
    setWindowTitle(QStringLiteral("smsf"));

    Panel1 = ButtonBar();
    BtOk = Button(Panel1, ToQt(Ui::tr("确　定")), 0, 241);
    Panel1->hide();

    Panel2 = ButtonBar();
    BtNo = Button(Panel2, ToQt(Ui::tr("否")), 0, 241);
    BtYes = Button(Panel2, ToQt(Ui::tr("是")), 1, 161);
    setTabOrder(BtNo, BtYes);
    Panel2->hide();

    Panel3 = new QFrame(this);
    Place(Panel3, kTextArea.x(), kTextArea.y(), kTextArea.width(), kTextArea.height(), kAllSides);
    Panel3->setEnabled(false);
    Memo1 = new QTextEdit(Panel3);
    Place(Memo1, 0, 0, kTextArea.width(), kTextArea.height(), kAllSides);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setReadOnly(true);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->document()->setDocumentMargin(1);
    // The text lies on the button face and, although its panel is disabled,
    // reads in the normal text colour.
    // Light or dark, as the application's palette is.
    FollowPalette(Memo1, [memo = Memo1] {
        const QPalette application = QApplication::palette();
        QPalette palette = memo->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base,
                             application.color(QPalette::Active, QPalette::Window));
            palette.setColor(group, QPalette::Text,
                             application.color(QPalette::Active, QPalette::Text));
        }
        memo->setPalette(palette);
    });
    SetText(QStringLiteral("Memo1"));
    NameForReaders(*this);
}

QFrame* Tsmsf::ButtonBar() {
    auto* bar = new QFrame(this);
    Place(bar, 0, kClientSize.height() - kBarHeight, kClientSize.width(), kBarHeight,
          kLeft | kRight | kBottom);
    return bar;
}

QPushButton* Tsmsf::Button(QFrame* bar, const QString& caption, int tag, int left) {
    auto* button = new QPushButton(caption, bar);
    Place(button, left, 2, 75, 25, kRight | kBottom);
    button->setAutoDefault(false);
    SetTag(button, tag);
    connect(button, &QPushButton::clicked, this, &Tsmsf::BtNoClick);
    return button;
}

void Tsmsf::SetText(const QString& text) {
    Memo1->setPlainText(WithLfBreaks(text));
    // A reader says the message with the dialog's title when it opens.
    setAccessibleDescription(Memo1->toPlainText());
    QTextCursor all(Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    Memo1->moveCursor(QTextCursor::Start);
    FitToText();
}

// The designed size for a short text; a longer one widens the dialog up to
// kWidestText and then makes it as tall as the wrapped text, within the
// screen, so every message shows whole.
void Tsmsf::FitToText() {
    QTextDocument* document = Memo1->document();
    document->setTextWidth(-1);
    const int ideal = static_cast<int>(std::ceil(document->idealWidth()));
    const int width = std::clamp(ideal, kTextArea.width(), kWidestText);
    document->setTextWidth(width);
    const int tallest = TallestText();
    const int text = static_cast<int>(std::ceil(document->size().height()));
    const int height = std::clamp(text, kTextArea.height(), std::max(kTextArea.height(), tallest));
    setFixedSize(kClientSize + QSize(width - kTextArea.width(), height - kTextArea.height()));
}

int Tsmsf::TallestText() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() : 600;
    return available * 3 / 4 - (kClientSize.height() - kTextArea.height());
}

void Tsmsf::FormShow() {
    if (Panel2->isVisibleTo(this)) {
        (DefaultChoice == 2 ? BtNo : BtYes)->setFocus(Qt::OtherFocusReason);
    } else {
        BtOk->setFocus(Qt::OtherFocusReason);
    }
}

void Tsmsf::BtNoClick() {
    Answer = TagOf(sender()) == 1;
    close();
}

void Tsmsf::showEvent(QShowEvent* event) {
    FormDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

bool ShowMsgBox(Tsmsf& form, const std::string& text, bool question, int defaultChoice) {
    form.setWindowTitle(ToQt(Ui::tr("..温馨提示..")));
    form.SetText(ToQt(text));
    form.DefaultChoice = defaultChoice;
    form.Panel1->setVisible(!question);
    form.Panel2->setVisible(question);
    // The close box presses no button: without this a Yes from an earlier
    // question would be answered again.
    form.Answer = false;
    form.CentreOverMainWindow(true);
    form.exec();
    return form.Answer;
}

}  // namespace korvane
