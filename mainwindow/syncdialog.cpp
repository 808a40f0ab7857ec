#include "mainwindow/syncdialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>

#include "dialogs/accessnames.h"
#include "dialogs/messagebox.h"
#include "dialogs/qttext.h"
#include "dialogs/widgets.h"
#include "mainwindow/syncservice.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "syncqt/secretstore.h"

namespace korvane {
namespace {

constexpr QSize kClientSize(400, 246);
constexpr int kLabelX = 12;
constexpr int kFieldX = 88;
constexpr int kFieldWidth = 300;

QLabel* Caption(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* Button(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QString Trimmed(const QLineEdit* edit) {
    return edit->text().trimmed();
}

// A warning's red and a note's grey, readable on the light and the dark face.
QString WarningStyle() {
    return IsDark(QApplication::palette()) ? QStringLiteral("color: #ff8a80;")
                                           : QStringLiteral("color: #b00000;");
}

QString NoteStyle() {
    return IsDark(QApplication::palette()) ? QStringLiteral("color: #a3afbd;")
                                           : QStringLiteral("color: #5b6b7b;");
}

}  // namespace

SyncDialog::SyncDialog(QWidget* parent, SyncService& service, Tsmsf& messages)
    : FormDialog(parent, kClientSize),
      service_(service),
      messages_(messages),
      loaded_(LoadSyncSettings(service.IniPath())) {
    setObjectName(QStringLiteral("SyncDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientSize);
    setWindowTitle(ToQt(Ui::tr("同步")));

    const auto field = [this](const QString& caption, int y, const char* name) {
        QLabel* label = Caption(this, caption);
        Place(label, kLabelX, y, kFieldX - kLabelX - 6, 22);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        Place(edit, kFieldX, y, kFieldWidth, 22);
        NameAfterCaption(edit, label);
        return edit;
    };
    UrlEdit = field(ToQt(Ui::tr("服务器地址")), 14, "UrlEdit");
    UrlEdit->setPlaceholderText(QStringLiteral("https://example.com/remote.php/dav"));
    UrlEdit->setToolTip(ToQt(Ui::tr("自己的 CalDAV/CardDAV 服务器的地址")));
    UserEdit = field(ToQt(Ui::tr("用户名")), 44, "UserEdit");
    PasswordEdit = field(ToQt(Ui::tr("密码")), 74, "PasswordEdit");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    PasswordEdit->setToolTip(ToQt(Ui::tr("密码保存在桌面的密钥环里，不写入任何文件")));

    PlainHttpBox = new QCheckBox(ToQt(Ui::tr("允许不加密的连接（http）")), this);
    PlainHttpBox->setObjectName(QStringLiteral("PlainHttpBox"));
    Place(PlainHttpBox, kFieldX, 102, kFieldWidth, 20);
    PlainHttpWarning = new QLabel(ToQt(Ui::tr("警告：不加密时，密码、记事和联系人以明文经过网络，"
                                              "只应在可信的局域网里使用。")),
                                  this);
    PlainHttpWarning->setObjectName(QStringLiteral("PlainHttpWarning"));
    PlainHttpWarning->setWordWrap(true);
    Place(PlainHttpWarning, kFieldX, 124, kFieldWidth, 38);
    // In the warning's place while there is none: where the password goes.
    auto* keptNote = new QLabel(ToQt(Ui::tr("密码保存在桌面的密钥环里，不写入任何文件。")), this);
    keptNote->setObjectName(QStringLiteral("PasswordNote"));
    keptNote->setWordWrap(true);
    Place(keptNote, kFieldX, 124, kFieldWidth, 38);
    connect(PlainHttpBox, &QCheckBox::toggled, PlainHttpWarning, &QWidget::setVisible);
    connect(PlainHttpBox, &QCheckBox::toggled, keptNote, &QWidget::setHidden);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StatusLabel->setFrameShape(QFrame::StyledPanel);
    StatusLabel->setMargin(3);
    Place(StatusLabel, kLabelX, 168, kClientSize.width() - 2 * kLabelX, 40);

    SyncButton = Button(this, ToQt(Ui::tr("立即同步")), "SyncButton");
    Place(SyncButton, 153, 214, 82, 25);
    SaveButton = Button(this, ToQt(Ui::tr("保　存")), "SaveButton");
    Place(SaveButton, 239, 214, 72, 25);
    CancelButton = Button(this, ToQt(Ui::tr("取　消")), "CancelButton");
    Place(CancelButton, 316, 214, 72, 25);
    connect(SyncButton, &QPushButton::clicked, this, &SyncDialog::SyncClick);
    connect(SaveButton, &QPushButton::clicked, this, &SyncDialog::SaveClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    UrlEdit->setText(QString::fromStdString(loaded_.url));
    UserEdit->setText(QString::fromStdString(loaded_.user));
    PlainHttpBox->setChecked(loaded_.plainHttp);
    PlainHttpWarning->setVisible(loaded_.plainHttp);
    keptNote->setHidden(loaded_.plainHttp);

    if (service_.Busy()) {
        ShowStatus(ToQt(Ui::tr("正在同步…")), false);
    } else if (const auto& last = service_.Last()) {
        ShowStatus(ToQt(Ui::tr("上次同步（")) + last->at.toString(QStringLiteral("HH:mm")) +
                       ToQt(Ui::tr("）：")) + OutcomeText(*last),
                   !last->Ok());
    } else {
        ShowStatus(ToQt(Ui::tr("尚未同步。")), false);
    }
    ReadStoredPassword();
    FollowPalette(this, [this, keptNote] {
        PlainHttpWarning->setStyleSheet(WarningStyle());
        keptNote->setStyleSheet(NoteStyle());
        ShowStatus(StatusLabel->text(), StatusLabel->property("failure").toBool());
    });
}

void SyncDialog::ReadStoredPassword() {
    if (!loaded_.Configured()) return;
    service_.Secrets().Read(SecretKeyFor(loaded_), this, [this](const SecretResult& result) {
        if (result.outcome == SecretResult::Outcome::Failed) {
            ShowStatus(result.error, true);
            return;
        }
        storedPassword_ = result.secret;
        // What the user typed meanwhile stays.
        if (result.Ok() && PasswordEdit->text().isEmpty()) PasswordEdit->setText(result.secret);
    });
}

void SyncDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        CentreOverMainWindow(true);
        QWidget* first = UrlEdit->text().isEmpty() ? static_cast<QWidget*>(UrlEdit) : SyncButton;
        first->setFocus(Qt::OtherFocusReason);
    }
    FormDialog::showEvent(event);
}

void SyncDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        CancelButton->click();
        return;
    }
    FormDialog::keyPressEvent(event);
}

SyncSettings SyncDialog::Typed() const {
    SyncSettings settings = loaded_;
    settings.url = Trimmed(UrlEdit).toStdString();
    settings.user = Trimmed(UserEdit).toStdString();
    settings.plainHttp = PlainHttpBox->isChecked();
    return settings;
}

void SyncDialog::Save(std::function<void(Saved saved)> then) {
    const SyncSettings settings = Typed();
    if (!SaveSyncSettings(service_.IniPath(), settings)) {
        ShowStatus(ToQt(Ui::tr("无法写入设置文件 %1：服务器地址和用户名没有保存。"))
                       .arg(ToQt(service_.IniPath())),
                   true);
        then(Saved::Nothing);
        return;
    }
    const QString oldKey = loaded_.Configured() ? SecretKeyFor(loaded_) : QString();
    const QString key = SecretKeyFor(settings);
    loaded_ = settings;
    SecretStore& secrets = service_.Secrets();
    // The password of an account no longer used leaves the secret store.
    if (!oldKey.isEmpty() && oldKey != key) secrets.Remove(oldKey, this, {});
    const QString password = PasswordEdit->text();
    if (password.isEmpty() || (oldKey == key && password == storedPassword_)) {
        storeError_.clear();
        then(Saved::All);
        return;
    }
    secrets.Write(key, password, this, [this, password, then](const SecretResult& result) {
        storeError_ = result.Ok() ? QString() : result.error;
        if (result.Ok()) storedPassword_ = password;
        if (!result.Ok()) ShowStatus(storeError_, true);
        then(result.Ok() ? Saved::All : Saved::WithoutPassword);
    });
}

void SyncDialog::SaveClick() {
    SetBusy(true);
    Save([this](Saved saved) {
        SetBusy(false);
        if (saved == Saved::All) accept();
    });
}

void SyncDialog::SyncClick() {
    SetBusy(true);
    // A password the secret store refused still syncs this once; the status
    // keeps saying that it was not kept. An account the settings file
    // refused does not sync: the pass would use the old one.
    Save([this](Saved saved) {
        if (saved == Saved::Nothing) {
            SetBusy(false);
            return;
        }
        RunPass(SyncRequest::Background());
    });
}

void SyncDialog::RunPass(const SyncOptions& options) {
    SetBusy(true);
    ShowStatus(storeError_.isEmpty() ? ToQt(Ui::tr("正在同步…"))
                                     : storeError_ + ToQt(Ui::tr("\n正在同步…")),
               !storeError_.isEmpty());
    SyncRequest request;
    request.options = options;
    if (!PasswordEdit->text().isEmpty()) request.password = PasswordEdit->text();
    QPointer<SyncDialog> self(this);
    service_.Ask(std::move(request), [self, options](const SyncOutcome& outcome) {
        if (self) self->PassDone(options, outcome);
    });
}

void SyncDialog::PassDone(const SyncOptions& options, const SyncOutcome& outcome) {
    SetBusy(false);
    const QString text = OutcomeText(outcome);
    ShowStatus(storeError_.isEmpty() ? text : storeError_ + QLatin1Char('\n') + text,
               !outcome.Ok() || !storeError_.isEmpty());
    if (!outcome.problem.isEmpty()) return;
    // The question comes once the outcome is shown, outside the service's call.
    const SyncReport report = outcome.report;
    QTimer::singleShot(0, this, [this, options, report] { AskAgain(options, report); });
}

void SyncDialog::AskAgain(const SyncOptions& options, const SyncReport& report) {
    SyncOptions again = options;
    if (report.status == SyncStatus::NoCollections && !options.createCollections) {
        static const std::string question =
            Ui::tr("在服务器上新建 “Korvane 记事” 和 “Korvane 联系人”？");
        if (!ShowMsgBox(messages_, question, true, 1)) return;
        again.createCollections = true;
    } else if (report.status == SyncStatus::MassDelete && !options.confirmMassDelete) {
        const std::string question = Ui::tr("这次同步要在本机删除 ") +
                                     std::to_string(report.massDelete) +
                                     Ui::tr(" 条记录（它们在服务器上已被删除）。是否删除？") +
                                     "\r\n" + Ui::tr("删除的记录会放进回收站，30 天内可以恢复。");
        // No is the focused answer: nothing goes unless the user says so.
        if (!ShowMsgBox(messages_, question, true, 2)) return;
        again.confirmMassDelete = true;
    } else {
        return;
    }
    RunPass(again);
}

void SyncDialog::SetBusy(bool busy) {
    SyncButton->setEnabled(!busy);
    SaveButton->setEnabled(!busy);
}

void SyncDialog::ShowStatus(const QString& text, bool failure) {
    StatusLabel->setText(text);
    StatusLabel->setProperty("failure", failure);
    StatusLabel->setStyleSheet(failure ? WarningStyle() : QString());
}

}  // namespace korvane
