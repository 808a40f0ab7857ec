#include "dialogs/recordeditor.h"

#include "base/ansitext.h"
#include "dialogs/dialogslog.h"
#include "dialogs/historydialog.h"
#include "dialogs/messagebox.h"
#include "dialogs/qttext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/keepingnotice.h"
#include "render/storetexts.h"
#include "store/keeping.h"

namespace korvane {

RecordEditor::RecordEditor(QWidget* parent, QSize clientSize, RecordKind kind)
    : FormDialog(parent, clientSize), kind_(kind), columns_(EditorColumns(kind)) {}

void RecordEditor::KeepDrafts(const std::string& draftName) {
    drafts_ = new DraftKeeper(this, draftName, columns_.size(), [this] { return TypedFields(); });
}

void RecordEditor::OpenRecord() {
    loaded_ = {};
    if (RecordId > 0) {
        loaded_ = LoadForEditing(kind_, RecordId);
        ReportUnreadableLater(this, loaded_, [this](const std::string& notice) { Tell(notice); });
    }
    // What the user typed last time and did not save comes before what is stored.
    const std::optional<DraftFields> draft = drafts_->Open(RecordId);
    if (draft) {
        ShowFields(*draft);
    } else {
        ShowLoaded();
    }
    DraftNotice->setVisible(draft.has_value());
    drafts_->Settle();
    Saved = false;
    UpdateHistoryButton();
}

void RecordEditor::MakeHistoryButton(int x, int y) {
    HistoryButton = new QPushButton(ToQt(Ui::tr("历史版本…")), this);
    Place(HistoryButton, x, y, 75, 25, kRight | kBottom);
    HistoryButton->setAutoDefault(false);
    HistoryButton->hide();
    connect(HistoryButton, &QPushButton::clicked, this, &RecordEditor::ShowHistory);
}

void RecordEditor::UpdateHistoryButton() {
    const bool stored = RecordId > 0 && loaded_.readable;
    HistoryButton->setVisible(stored);
    if (!stored) return;
    const RecordHistory history = ReadHistory(RecordId);
    const bool any = history.result.Ok() && !history.versions.empty();
    HistoryButton->setEnabled(any);
    if (any) {
        HistoryButton->setToolTip(ToQt(Ui::tr("查看并恢复这条记录以前保存的版本")));
    } else if (history.result.Ok()) {
        HistoryButton->setToolTip(
            ToQt(Ui::tr("这条记录还没有历史版本：修改并保存后，原来的内容会存在这里")));
    } else {
        HistoryButton->setToolTip(ToQt(Ui::tr("历史版本无法读取：")) +
                                  ToQt(StatusText(history.result)));
    }
}

void RecordEditor::ShowHistory() {
    const RecordHistory history = ReadHistory(RecordId);
    if (!history.result.Ok()) {
        Tell(Ui::tr("历史版本无法读取：") + StatusText(history.result));
        return;
    }
    // The current text as stored now, not as typed.
    const EditorRecord stored = LoadForEditing(kind_, RecordId);
    if (!stored.readable) {
        Tell(stored.gone ? texts::NoData() : UnreadableRecordNotice(stored.failure));
        return;
    }
    RecordVersion current;
    for (size_t i = 0; i < columns_.size() && i < stored.fields.size(); ++i) {
        std::string* field = columns_[i] == "title" ? &current.title
                             : columns_[i] == "tel" ? &current.tel
                                                    : &current.content;
        *field = stored.fields[i].text;
    }
    HistoryDialog dialog(this, kind_, current, history.versions,
                         [this](int64_t versionId) { return RestoreChosen(versionId); });
    if (dialog.exec() == QDialog::Accepted) CloseAfterSave();
}

bool RecordEditor::RestoreChosen(int64_t versionId) {
    static const std::string question = Ui::tr(
                                            "编辑框中有尚未保存的修改，恢复此版本将放弃这些修改（已"
                                            "保存的当前内容会存入历史版本）。") +
                                        "\r\n" + Ui::tr("是否恢复？");
    if (HasUnsavedChanges() && (!messages_ || !ShowMsgBox(*messages_, question, true, 2))) {
        return false;
    }
    if (RecordIsGone(RecordId)) {
        Tell(texts::NoData());
        return false;
    }
    const StoreResult result = RestoreVersion(RecordId, versionId, NowText());
    if (!result.Ok()) {
        Tell(StatusText(result));
        return false;
    }
    Saved = true;
    drafts_->Discard();
    DraftNotice->hide();
    if (const std::string kept = TakeKeepingNotice(KeptChange::Saved); !kept.empty()) Tell(kept);
    return true;
}

bool RecordEditor::HasUnsavedChanges() const {
    if (!loaded_.readable) return false;
    const DraftFields typed = TypedFields();
    for (size_t i = 0; i < typed.size() && i < loaded_.fields.size(); ++i) {
        if (Trim(typed[i]) != loaded_.fields[i].text) return true;
    }
    return false;
}

bool RecordEditor::SaveTyped(const std::vector<std::string>& values, bool hasContent,
                             const std::string& time) {
    const SaveOutcome outcome =
        SaveFromEditor(kind_, RecordId, loaded_, columns_, values, hasContent, time);
    if (!outcome.saved) {
        Tell(outcome.notice);
        return false;
    }
    Saved = true;
    drafts_->Discard();
    DraftNotice->hide();
    if (!outcome.notice.empty()) Tell(outcome.notice);
    return true;
}

bool RecordEditor::CloseAfterSave() {
    if (RecordId > 0) {
        close();
        return true;
    }
    Tell(editortexts::SavedOk());
    return false;
}

void RecordEditor::Tell(const std::string& text) {
    if (messages_) {
        ShowMsgBox(*messages_, text);
        return;
    }
    qCWarning(lcDialogs) << "notice without a message box:" << ToQt(text);
}

void RecordEditor::done(int result) {
    drafts_->Flush();  // what was typed in the last second
    FormClose();
    FormDialog::done(result);
}

}  // namespace korvane
