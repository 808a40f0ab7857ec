#include "dialogs/recordeditor.h"

#include "dialogs/dialogslog.h"
#include "dialogs/messagebox.h"
#include "dialogs/qttext.h"
#include "render/storetexts.h"

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
