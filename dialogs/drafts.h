// Drafts of the record editors in the editors themselves: each editor's
// typing is kept in its draft file (see store/draftfile.h) and put back at the
// next opening for the same record.
#pragma once

#include <QLabel>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "store/draftfile.h"

namespace korvane {

// Keeps one editor's typing in its draft: written about a second after the
// last change, at once when asked to flush (the editor closing), and removed
// once the text is saved. Fields that are all empty keep no draft.
class DraftKeeper : public QObject {
    Q_OBJECT
  public:
    static constexpr int kQuietMs = 1000;

    DraftKeeper(QObject* parent, std::string editor, size_t fieldCount,
                std::function<DraftFields()> collect);

    // Binds the keeper to the record now shown and returns its draft, if any.
    std::optional<DraftFields> Open(int recordId);
    // The user changed a field: the draft is written once typing pauses.
    void Changed();
    // Forgets changes the editor made itself (filling or clearing its fields).
    void Settle();
    // Writes a pending draft now.
    void Flush();
    // The text was saved: no draft is needed any more.
    void Discard();
    bool Pending() const { return timer_.isActive(); }

  private:
    void Write();

    DraftOwner owner_;
    size_t fieldCount_;
    std::function<DraftFields()> collect_;
    QTimer timer_;
};

// The notice an editor shows when it put a draft back into its fields.
QString DraftRestoredNotice();

// A hidden label with that notice, for the editor to place and show.
QLabel* NewDraftNotice(QWidget* parent);

}  // namespace korvane
