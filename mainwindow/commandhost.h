// What the command dispatcher asks of the main window: the editors placed
// over it, questions and notices, deletes, list windows for its page and
// the standard view. The command host owns the window's dialogs.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "dialogs/dialogs.h"
#include "logic/dispatch.h"
#include "render/finder.h"

class QWebEngineView;

namespace korvane {

class CommandHost : public DispatchHost {
  public:
    // `window` places the editors and holds the dialogs, made here (see
    // Dialogs); `page` receives the lists, and `showStandard` brings the
    // standard view back. `changed` hears of each command that changed the
    // notebook (a save, a delete, an undo, a trash command).
    CommandHost(QWidget* window, QWebEngineView* page, std::function<void()> showStandard,
                std::function<void()> changed = {});

    // The note editor, the contact editor and the message box of the window.
    const Dialogs& Forms() const { return dialogs_; }

    // Carries out a command URL of the page, whose navigation the browser host
    // has already cancelled. Runs from the event loop, never inside the
    // engine's navigation callback, so the editors and the message dialog may
    // run modally here.
    void Run(const std::string& url);

    void ShowStandard() override;
    bool EditNote(int recordId) override;
    bool EditContact(int recordId) override;
    bool Ask(const std::string& question) override;
    void Notify(const std::string& text) override;
    StoreResult DeleteRecord(RecordKind kind, int64_t id) override;
    void OfferUndo(RecordKind kind, int64_t id) override;
    StoreResult Trash(TrashAction action, int64_t id) override;
    std::string NotebookLocation() override;
    void ShowList(const ListRequest& request) override;

    // Starts reading the finder's index in the background, so that the first
    // search finds it ready.
    void PrepareFinder() { finder_.Prepare(); }
    // Gives back the finder's index while the window stays hidden.
    void ReleaseFinder() { finder_.Release(); }

  private:
    // Places an editor over the window: width first, then the left edge; the
    // editor keeps its own vertical place.
    void PlaceEditor(QWidget* editor) const;

    QWidget* window_;
    Dialogs dialogs_;
    QPointer<QWebEngineView> page_;
    std::function<void()> showStandard_;
    std::function<void()> changed_;
    bool running_ = false;    // a command (and any dialog it opened) is running
    bool refreshed_ = false;  // the running command refreshed a list: it changed something
    FindIndex finder_;        // the finder's copy of the notebook's texts
};

}  // namespace korvane
