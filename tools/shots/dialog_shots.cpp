// Writes the pictures of the dialogs in docs/ as they show: the message box
// with a question, the note editor with its palette open, the contact editor
// with its messenger panel open, a note's history with a version against the
// current text, the question the start asks when the notebook is missing
// and a backup can put it back, and the sync account's dialog.
//
// usage: dialog_shots <folder>
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "dialogs/historydialog.h"
#include "gui/dialog_driver.h"
#include "gui/sync_fakes.h"
#include "logic/importjob.h"
#include "mainwindow/exchangeactions.h"
#include "mainwindow/notebookstart.h"
#include "mainwindow/syncdialog.h"
#include "store/dailybackup.h"
#include "store/keeping.h"
#include "store/records.h"
#include "support/notebook.h"

namespace korvane::test {
namespace {

class Shots {
  public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}

    // Saves `picture` as `name` in the folder; false (and a line on stderr)
    // when it could not.
    bool Keep(const QPixmap& picture, const char* name) {
        const bool saved = !picture.isNull() && picture.save(folder_ + "/" + name, "PNG");
        if (!saved) std::fprintf(stderr, "dialog_shots: %s was not written\n", name);
        ok_ = ok_ && saved;
        return saved;
    }
    bool ok() const { return ok_; }

  private:
    QString folder_;
    bool ok_ = true;
};

void MessageNoteAndContact(Shots& shots) {
    const AppFolder app;
    // The shipped emoticons when there are any, else stand-ins.
    if (!std::filesystem::exists(platform::NativePath(AppPath("bmp\\29.bmp")))) {
        std::vector<int> all;
        for (int n = 0; n < 30; ++n) all.push_back(n);
        MakeEmoticonFiles(all);
    }
    const ModalWatchdog watchdog;
    QWidget main;
    main.setGeometry(100, 100, 640, 480);
    main.show();
    const Dialogs dialogs(&main);
    Tsmsf* smsf = dialogs.smsf;
    TNE* NE = dialogs.NE;
    Tfcon* fcon = dialogs.fcon;

    WhenModal(smsf, [&] {
        shots.Keep(smsf->grab(), "dialog-message.png");
        PressOnFocused(smsf, Qt::Key_Return);
    });
    ShowMsgBox(*smsf, Cp("是否真的要删除您所选择的记录？"), true, 1);

    WhenModal(NE, [&] {
        NE->Edit1->setText(QString::fromUtf8("周末计划"));
        NE->Memo1->setPlainText(QString::fromUtf8("买菜、打扫房间，\n下午三点去图书馆还书。"));
        NE->Button3->click();
        shots.Keep(NE->grab(), "dialog-note.png");
        NE->Button2->click();
    });
    NE->exec();

    WhenModal(fcon, [&] {
        fcon->Edit1->setText(QString::fromUtf8("王小明"));
        fcon->Edit2->setText(QStringLiteral("0571-88886666"));
        fcon->Memo1->setPlainText(QString::fromUtf8("大学同学 {QQ12345QQ}"));
        fcon->Button3->click();
        fcon->CB1->setCurrentIndex(3);
        fcon->EDB->setText(QStringLiteral("xiaoming"));
        shots.Keep(fcon->grab(), "dialog-contact.png");
        fcon->Button2->click();
    });
    fcon->exec();
}

// A note saved three times: the note editor on it (with its 历史版本…
// button), and its history opened from there, the newer of the two versions
// chosen.
void History(Shots& shots) {
    const AppFolder app;
    const ModalWatchdog watchdog;
    ExecSql(
        Cp("INSERT INTO mylist(ID,title,content,state,cre_date)VALUES(1,'周末计划','买菜\r\n"
           "打扫房间\r\n下午去图书馆',0,'2026-12-05 09:30:00')"));
    const auto save = [](const char* title, const char* content, const char* time, int64_t now) {
        SaveRecord(RecordKind::Note, 1, {{"title", Cp(title)}, {"content", Cp(content)}}, time,
                   now);
    };
    const int64_t now = UnixNow();
    save("周末计划", "买菜、做饭\r\n打扫房间\r\n下午三点去图书馆还书", "2026-12-06 20:15:00",
         now - 2 * 86400);
    save("周末计划（已改）", "买菜、做饭\r\n下午三点去图书馆还书\r\n晚上给妈妈打电话",
         "2026-12-07 08:05:00", now - 86400);

    QWidget main;
    main.setGeometry(100, 100, 700, 560);
    main.show();
    const Dialogs dialogs(&main);
    TNE* NE = dialogs.NE;
    bool shown = false;
    WhenModal(NE, [&] {
        QTimer::singleShot(100, [&] {
            auto* history = qobject_cast<HistoryDialog*>(QApplication::activeModalWidget());
            if (history != nullptr) {
                shown = true;
                shots.Keep(history->grab(), "history-dialog.png");
                history->reject();
            }
        });
        shots.Keep(NE->grab(), "note-editor-stored.png");
        NE->HistoryButton->click();
        NE->Button2->click();
    });
    NE->RecordId = 1;
    NE->exec();
    if (!shown) shots.Keep(QPixmap(), "history-dialog.png");
}

// A notebook of two notes with yesterday's backup, then deleted: the start
// offers the backup.
void RestoreQuestion(Shots& shots) {
    using namespace std::chrono;
    const AppFolder app;
    const ModalWatchdog watchdog;
    const system_clock::time_point today = system_clock::now();
    InsertNote("first");
    InsertNote("second");
    DailyBackup::ForNotebook().Run(today - hours(24));
    CloseDatabase();
    std::filesystem::remove(app.Database());

    QWidget main;
    main.setGeometry(200, 150, 700, 560);
    main.show();
    const Dialogs dialogs(&main);
    Tsmsf* smsf = dialogs.smsf;
    bool asked = false;
    WhenModal(smsf, [&] {
        asked = true;
        shots.Keep(smsf->grab(), "restore-question.png");
        QTest::mouseClick(smsf->BtNo, Qt::LeftButton);
    });
    NotebookStart start(
        nullptr, *smsf, [] {}, [today] { return today; });
    start.Open();
    for (int i = 0; i < 500 && !asked; ++i) QTest::qWait(10);
    if (!asked) shots.Keep(QPixmap(), "restore-question.png");
}

// An export's bar part-way, and the summary of an import of a phone's
// contacts, a note and two files it could not take.
void ExchangeBarAndSummary(Shots& shots) {
    const AppFolder app;
    const ModalWatchdog watchdog;
    const TempDir files("import shots");
    WriteFile(
        files.path() / "phone.vcf",
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E7=8E=8B;=E5=B0=8F="
        "E6=98=8E;;;\n"
        "TEL;CELL:13800138000\nEMAIL:xm@example.org\nPHOTO;ENCODING=BASE64;JPEG:AAAA\n\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:Li Lei\nTEL:010-12345678\nEND:VCARD\n");
    WriteFile(files.path() / "plan.md",
              "# \xE5\x91\xA8\xE6\x9C\xAB\xE8\xAE\xA1\xE5\x88\x92\n\n...\n");
    WriteFile(files.path() / "broken.vcf", "BEGIN:VCARD\nVERSION:3.0\nFN:x\n");
    WriteFile(files.path() / "scan.pdf", "%PDF");
    std::vector<std::string> paths;
    for (const char* name : {"phone.vcf", "plan.md", "broken.vcf", "scan.pdf"}) {
        paths.push_back(CodePagePath(files.path() / name));
    }
    const ImportResult result = ImportFiles(paths, StoredTimeNow());

    QWidget main;
    main.setGeometry(100, 100, 640, 480);
    main.show();
    {
        ExchangeProgressBar bar(&main, QStringLiteral("正在导出记事和联系人…"));
        bar.dialog().show();
        bar.Callback()(45, 100);
        QTest::qWait(50);
        shots.Keep(bar.dialog().grab(), "exchange-progress.png");
    }
    bool shown = false;
    const auto grabSummary = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("ExchangeSummary") || !w->isVisible()) continue;
            shown = true;
            shots.Keep(w->grab(), "exchange-summary.png");
            w->close();
        }
        return shown;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, grabSummary);
    poll.start(50);
    ShowExchangeSummary(&main, QMessageBox::Warning, ImportResultText(result));
    if (!shown) shots.Keep(QPixmap(), "exchange-summary.png");
}

// The sync dialog on an example account after a pass that went through.
void SyncAccount(Shots& shots) {
    const AppFolder app;
    const ModalWatchdog watchdog;
    SyncSettings account;
    account.url = "https://cloud.example.com/remote.php/dav";
    account.user = "zhang";
    SaveSyncSettings(DataPath("sys.ini"), account);
    FakeSecrets secrets;
    secrets.kept[SecretKeyFor(account)] = QStringLiteral("app-password");
    FakePasses passes;
    SyncReport done = Report(SyncStatus::Done, 1);
    done.uploaded = 3;
    passes.answers = {done};
    SyncService service(DataPath("sys.ini"), secrets, passes, {600000, 600000, 600000});
    service.Ask({});
    for (int i = 0; i < 200 && (service.Busy() || !service.Last()); ++i) QTest::qWait(10);

    QWidget main;
    main.setGeometry(100, 100, 640, 480);
    main.show();
    const Dialogs dialogs(&main);
    SyncDialog dialog(&main, service, *dialogs.smsf);
    bool shown = false;
    WhenModal(&dialog, [&] {
        for (int i = 0; i < 100 && dialog.PasswordEdit->text().isEmpty(); ++i) QTest::qWait(10);
        shown = true;
        shots.Keep(dialog.grab(), "sync-dialog.png");
        dialog.PlainHttpBox->setChecked(true);
        shots.Keep(dialog.grab(), "sync-dialog-plain.png");
        dialog.reject();
    });
    dialog.exec();
    if (!shown) shots.Keep(QPixmap(), "sync-dialog.png");
}

}  // namespace
}  // namespace korvane::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    korvane::test::Shots shots(QString::fromLocal8Bit(argv[1]));
    korvane::test::MessageNoteAndContact(shots);
    korvane::test::History(shots);
    korvane::test::RestoreQuestion(shots);
    korvane::test::ExchangeBarAndSummary(shots);
    korvane::test::SyncAccount(shots);
    return shots.ok() ? 0 : 1;
}
