#include "mainwindow/commandhost.h"

#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <utility>

#include "browser/pagedom.h"
#include "mainwindow/listanswer.h"
#include "mainwindow/windowlog.h"
#include "store/keeping.h"
#include "store/notebook.h"
#include "store/records.h"

namespace korvane {

CommandHost::CommandHost(QWidget* window, QWebEngineView* page, std::function<void()> showStandard,
                         std::function<void()> changed)
    : window_(window),
      dialogs_(window),
      page_(page),
      showStandard_(std::move(showStandard)),
      changed_(std::move(changed)) {}

void CommandHost::Run(const std::string& url) {
    // An editor or a question runs a nested event loop, in which further
    // commands of the page arrive. None of them may open another dialog or
    // re-target the open editor: they are dropped, not queued, so nothing the
    // user did not ask for happens once the dialog closes.
    const PageCommand command = ParseCommand(url);
    if ((running_ || QApplication::activeModalWidget()) && command.OpensDialog()) return;
    const bool outer = !running_;
    running_ = true;
    RunCommand(command, *this);
    if (!outer) return;
    running_ = false;
    // Every command that changed a record ends by refreshing its list.
    if (std::exchange(refreshed_, false) && changed_) changed_();
}

void CommandHost::ShowStandard() {
    showStandard_();
}

void CommandHost::PlaceEditor(QWidget* editor) const {
    editor->resize(window_->width() - 10, editor->height());
    editor->move(window_->x() + 5, editor->y());
}

bool CommandHost::EditNote(int recordId) {
    TNE& editor = *dialogs_.NE;
    PlaceEditor(&editor);
    editor.RecordId = recordId;
    editor.exec();
    return editor.Saved;
}

bool CommandHost::EditContact(int recordId) {
    Tfcon& editor = *dialogs_.fcon;
    PlaceEditor(&editor);
    editor.RecordId = recordId;
    editor.exec();
    return editor.Saved;
}

bool CommandHost::Ask(const std::string& question) {
    return ShowMsgBox(*dialogs_.smsf, question, true, 1);
}

void CommandHost::Notify(const std::string& text) {
    ShowMsgBox(*dialogs_.smsf, text, false, 1);
}

StoreResult CommandHost::DeleteRecord(RecordKind kind, int64_t id) {
    return korvane::DeleteRecord(kind, id);
}

// The page's bar that takes the delete back; a later delete replaces it.
void CommandHost::OfferUndo(RecordKind kind, int64_t id) {
    if (!page_) return;
    page_->page()->runJavaScript(
        QStringLiteral("typeof ShowUndo === 'function' && ShowUndo(%1, %2)")
            .arg(StateOf(kind))
            .arg(id));
}

StoreResult CommandHost::Trash(TrashAction action, int64_t id) {
    switch (action) {
        case TrashAction::kUndo:
            return korvane::UndoDelete(id);
        case TrashAction::kRestore:
            return korvane::RestoreFromTrash(id);
        case TrashAction::kPurge:
            return korvane::PurgeFromTrash(id);
        case TrashAction::kEmpty:
            break;
    }
    return korvane::EmptyTrash();
}

std::string CommandHost::NotebookLocation() {
    return korvane::NotebookPath();
}

void CommandHost::ShowList(const ListRequest& request) {
    if (running_ && request.mode == ListRequest::Mode::kRefresh) refreshed_ = true;
    if (!page_) return;
    // The trash keeps a month: older copies go before it is shown. A notebook
    // that cannot take the write shows them still, and loses nothing.
    if (request.kind == kTrashListKind && request.mode == ListRequest::Mode::kShow) {
        const StoreResult purged = PurgeOldTrash(UnixNow());
        if (!purged.Ok()) qCWarning(lcWindow) << "old trash not purged:" << purged.detail.c_str();
    }
    FillListWindow(page_->page(), [this, request] { return ListAnswer(request, finder_); });
}

}  // namespace korvane
