// The window's "导出…" and "导入…": choosing the folder or the files, a
// progress bar that can be cancelled, and the summary at the end.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QProgressDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "logic/exportjob.h"

class QWidget;

namespace korvane {

// The bar of an export or import: it shows itself only for work that takes a
// while, and its callback reports a cancel.
class ExchangeProgressBar {
  public:
    ExchangeProgressBar(QWidget* window, const QString& label);
    ExchangeProgress Callback();
    QProgressDialog& dialog() { return dialog_; }

  private:
    QProgressDialog dialog_;
};

// The summary at the end (code-page text); with a folder, a button opens it.
void ShowExchangeSummary(QWidget* window, QMessageBox::Icon icon, const std::string& text,
                         const QString& folder = {});

class ExchangeActions : public QObject {
    Q_OBJECT

  public:
    // `window` owns the dialogs; `imported` is told the kind (0 notes,
    // 1 contacts) whose list should show what an import added.
    ExchangeActions(QWidget* window, std::function<void(int kind)> imported);

    // Asks for a folder and exports into a new folder in it.
    void Export();
    // Asks for files and imports them.
    void Import();

    // The folder an export into `chosen` writes: a new one named for the
    // moment, numbered when that name is taken.
    static QString NewExportFolder(const QString& chosen);

    // What asks the user for the export's folder and the import's files (the
    // file dialogs unless replaced, as tests do); empty means cancelled.
    struct Choosers {
        std::function<QString(QWidget*)> folder;
        std::function<QStringList(QWidget*)> files;
    };
    void SetChoosers(Choosers choosers) { choosers_ = std::move(choosers); }

  private:
    QWidget* window_;
    std::function<void(int)> imported_;
    Choosers choosers_;
    bool running_ = false;  // one export or import at a time
};

}  // namespace korvane
