// The versions of one record: the current text at the top, then the versions
// the history kept, newest first; the chosen version against the current text
// line by line (title, telephone, body), and the button that makes it current
// again. Every stored text is shown as plain text.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <cstdint>
#include <functional>
#include <vector>

#include "dialogs/formbase.h"
#include "store/keeping.h"
#include "store/storestatus.h"

namespace korvane {

class HistoryDialog : public FormDialog {
    Q_OBJECT
  public:
    // Makes a version current; true when it did (the dialog then closes,
    // accepted). `current` holds the record's stored texts, `versions` its
    // history newest first.
    using Restore = std::function<bool(int64_t versionId)>;

    HistoryDialog(QWidget* parent, RecordKind kind, RecordVersion current,
                  std::vector<RecordVersion> versions, Restore restore);

    QListWidget* Versions;       // 当前, then every version
    QLabel* Caption;             // what the view below compares
    QTextEdit* DiffView;         // the differences, a "-"/"+" gutter and colours
    QWidget* SideBySide;         // instead, for texts too long to compare
    QPlainTextEdit* OldView;     // the version, whole
    QPlainTextEdit* NewView;     // the current text, whole
    QPushButton* RestoreButton;  // 恢复此版本
    QPushButton* CloseButton;    // 关闭

    // The version in row `row` of Versions (row 0 is the current text).
    const RecordVersion& VersionInRow(int row) const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowSelected();
    void ShowDifferences(const RecordVersion& version);
    void ShowWhole(const RecordVersion& version);
    void RestoreClick();

    RecordKind kind_;
    RecordVersion current_;
    std::vector<RecordVersion> versions_;
    Restore restore_;
};

}  // namespace korvane
