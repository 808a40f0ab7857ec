#include "mainwindow/exchangeactions.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/qttext.h"
#include "logic/exportjob.h"
#include "logic/importjob.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

QString StartFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString ChooseFolder(QWidget* window) {
    return QFileDialog::getExistingDirectory(
        window, ToQt(Ui::tr("导出到哪个文件夹？（将在其中新建一个文件夹）")), StartFolder());
}

QStringList ChooseFiles(QWidget* window) {
    return QFileDialog::getOpenFileNames(
        window, ToQt(Ui::tr("选择要导入的文件")), StartFolder(),
        ToQt(Ui::tr("记事和联系人 (*.vcf *.vcard *.md *.markdown *.txt *.text *.note *.enex);;"
                    "联系人 vCard (*.vcf *.vcard);;记事 (*.md *.markdown *.txt *.text *.note "
                    "*.enex);;所有文件 (*)")));
}

}  // namespace

ExchangeProgressBar::ExchangeProgressBar(QWidget* window, const QString& label)
    : dialog_(label, ToQt(Ui::tr("取消")), 0, 100, window) {
    dialog_.setWindowTitle(QStringLiteral("Korvane"));
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(400);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setMinimumWidth(320);
    dialog_.setObjectName(QStringLiteral("ExchangeProgress"));
}

ExchangeProgress ExchangeProgressBar::Callback() {
    return [this](size_t done, size_t total) {
        if (total > 0) dialog_.setValue(static_cast<int>(done * 100 / total));
        return !dialog_.wasCanceled();
    };
}

void ShowExchangeSummary(QWidget* window, QMessageBox::Icon icon, const std::string& text,
                         const QString& folder) {
    QMessageBox box(icon, ToQt(Ui::tr("温馨提示")), ToQt(text), QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("ExchangeSummary"));
    box.button(QMessageBox::Ok)->setText(ToQt(Ui::tr("确　定")));
    QPushButton* open = nullptr;
    if (!folder.isEmpty()) {
        open = box.addButton(ToQt(Ui::tr("打开文件夹")), QMessageBox::ActionRole);
    }
    box.exec();
    if (open && box.clickedButton() == open) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

ExchangeActions::ExchangeActions(QWidget* window, std::function<void(int)> imported)
    : QObject(window),
      window_(window),
      imported_(std::move(imported)),
      choosers_{ChooseFolder, ChooseFiles} {
    setObjectName(QStringLiteral("ExchangeActions"));
}

QString ExchangeActions::NewExportFolder(const QString& chosen) {
    const QString name = QStringLiteral("Korvane 导出 ") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmm"));
    const QDir parent(chosen);
    QString folder = parent.filePath(name);
    for (int n = 2; QFileInfo::exists(folder); ++n) {
        folder = parent.filePath(name + QStringLiteral(" (%1)").arg(n));
    }
    return folder;
}

void ExchangeActions::Export() {
    if (running_) return;
    running_ = true;
    const QString chosen = choosers_.folder(window_);
    if (!chosen.isEmpty()) {
        const QString folder = NewExportFolder(chosen);
        ExportResult result;
        {
            ExchangeProgressBar progress(window_, ToQt(Ui::tr("正在导出记事和联系人…")));
            result =
                ExportNotebook({FromQt(QDir::toNativeSeparators(folder))}, progress.Callback());
        }
        const bool done = result.outcome == ExportResult::Outcome::Done;
        ShowExchangeSummary(window_, done ? QMessageBox::Information : QMessageBox::Warning,
                            ExportResultText(result, FromQt(QDir::toNativeSeparators(folder))),
                            done ? folder : QString());
    }
    running_ = false;
}

void ExchangeActions::Import() {
    if (running_) return;
    running_ = true;
    const QStringList files = choosers_.files(window_);
    if (!files.isEmpty()) {
        std::vector<std::string> paths;
        for (const QString& file : files) paths.push_back(FromQt(QDir::toNativeSeparators(file)));
        ImportResult result;
        {
            ExchangeProgressBar progress(window_, ToQt(Ui::tr("正在导入…")));
            result = ImportFiles(paths, StoredTimeNow(), progress.Callback());
        }
        const bool whole = result.stored.Ok() && result.refused.empty() && !result.cancelled;
        ShowExchangeSummary(window_, whole ? QMessageBox::Information : QMessageBox::Warning,
                            ImportResultText(result));
        if (result.stored.Ok() && result.notes + result.contacts > 0 && imported_) {
            imported_(result.notes > 0 ? 0 : 1);
        }
    }
    running_ = false;
}

}  // namespace korvane
