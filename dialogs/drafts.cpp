#include "dialogs/drafts.h"

#include "dialogs/dialogslog.h"
#include "dialogs/qttext.h"
#include "platform/uitext.h"

Q_LOGGING_CATEGORY(lcDialogs, "korvane.dialogs", QtWarningMsg)

namespace korvane {
DraftKeeper::DraftKeeper(QObject* parent, std::string editor, size_t fieldCount,
                         std::function<DraftFields()> collect)
    : QObject(parent),
      owner_{std::move(editor), 0},
      fieldCount_(fieldCount),
      collect_(std::move(collect)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kQuietMs);
    connect(&timer_, &QTimer::timeout, this, &DraftKeeper::Write);
}

std::optional<DraftFields> DraftKeeper::Open(int recordId) {
    timer_.stop();
    owner_.recordId = recordId > 0 ? recordId : 0;
    return ReadDraft(owner_, fieldCount_);
}

void DraftKeeper::Changed() {
    timer_.start();
}

void DraftKeeper::Settle() {
    timer_.stop();
}

void DraftKeeper::Flush() {
    if (Pending()) Write();
}

void DraftKeeper::Discard() {
    timer_.stop();
    RemoveDraft(owner_);
}

void DraftKeeper::Write() {
    timer_.stop();
    const DraftFields fields = collect_();
    // A draft that cannot be written leaves the last one in place; the editor
    // still holds the text and the next pause tries again.
    if (IsBlankDraft(fields)) {
        RemoveDraft(owner_);
    } else {
        WriteDraft(owner_, fields);
    }
}

QString DraftRestoredNotice() {
    return ToQt(Ui::tr("已恢复上次未保存的内容"));
}

QLabel* NewDraftNotice(QWidget* parent) {
    auto* label = new QLabel(DraftRestoredNotice(), parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::darkRed);
    label->setPalette(palette);
    label->hide();
    return label;
}

}  // namespace korvane
