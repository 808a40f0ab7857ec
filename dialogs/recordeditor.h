// What the note editor and the contact editor share beyond their forms: the
// record number and save flag the main window reads, the record as read at
// opening, the drafts of what was typed, and the opening and saving flows.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <string>
#include <vector>

#include "dialogs/drafts.h"
#include "dialogs/editing.h"
#include "dialogs/formbase.h"
#include "dialogs/messagebox.h"

namespace korvane {

class RecordEditor : public FormDialog {
    Q_OBJECT
  public:
    // `kind` is the kind of record edited; the form shows its EditorColumns,
    // in the order of its draft fields.
    RecordEditor(QWidget* parent, QSize clientSize, RecordKind kind);

    // 0 for a new record, else the record being edited; back to 0 on close.
    int RecordId = 0;
    // Whether a save succeeded during the current or last showing.
    bool Saved = false;
    QLabel* DraftNotice = nullptr;  // shown when the fields hold a restored draft
    // 历史版本…: shown for a stored record, enabled when it has versions.
    QPushButton* HistoryButton = nullptr;

    void done(int result) override;

    // The message box the editor reports through (the main window's, so that
    // its notices are centred over the main window). Set once, after the
    // box is made; until then a notice only goes to the log.
    void ReportThrough(Tsmsf* messages) { messages_ = messages; }

  protected:
    // Keeps drafts of the fields under `draftName` ("note", "contact"); called
    // by the form once its fields exist.
    void KeepDrafts(const std::string& draftName);
    // Reads the record (when editing one) and shows the draft the user left,
    // or else the stored record.
    void OpenRecord();
    // Saves the typed `values` (trimmed, in the order of the columns) after
    // the checks both editors make; true when saved, the draft then gone.
    bool SaveTyped(const std::vector<std::string>& values, bool hasContent,
                   const std::string& time);
    // After a save: an edited record's editor closes (true), a new record's
    // stays open for the next one and says it was saved.
    bool CloseAfterSave();
    // Makes the history button at its designed place (anchored to the
    // bottom right, beside the save button).
    void MakeHistoryButton(int x, int y);

    // The fields as the draft keeps them, and showing such fields.
    virtual DraftFields TypedFields() const = 0;
    virtual void ShowFields(const DraftFields& fields) = 0;
    // Fills the fields from the record read at opening (`loaded_`).
    virtual void ShowLoaded() = 0;
    virtual void FormClose() = 0;

    // Shows a notice in the editor's message box and waits for its OK.
    void Tell(const std::string& text);

    // The record as read when the editor opened.
    EditorRecord loaded_;
    DraftKeeper* drafts_ = nullptr;

  private:
    // Shows the history button for a stored record, enabled when the
    // history holds a version of it.
    void UpdateHistoryButton();
    // Opens the history over the editor; a restored version closes the
    // editor as a save does.
    void ShowHistory();
    // Makes version `versionId` current as a new save, after asking when the
    // fields hold changes that are not saved; true when it did.
    bool RestoreChosen(int64_t versionId);
    // True when the fields differ from the record as stored.
    bool HasUnsavedChanges() const;

    QPointer<Tsmsf> messages_;
    RecordKind kind_;
    const std::vector<std::string>& columns_;
};

}  // namespace korvane
