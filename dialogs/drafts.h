// Drafts of the record editors: what the user typed, kept in a file under
// hd/drafts/ until it is saved, so that closing the editor or the program
// ending loses nothing.
//
// A draft file holds the code-page bytes of each field exactly:
//
//   korvane-draft 1\n
//   <editor> <record>\n     e.g. "note 5", "contact new"
//   <field count>\n
//   <byte count>\n<bytes>\n  once for each field
//
// The header names the editor and the record, so a file is only ever offered
// to the editor and record it was written for.
#pragma once

#include <QLabel>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

using DraftFields = std::vector<std::string>;

// Names the record a draft belongs to: the editor ("note", "contact") and the
// record number, 0 or less for a record not yet stored.
struct DraftOwner {
    std::string editor;
    int recordId = 0;
};

// The file name of the owner's draft: "<editor>-new" or "<editor>-<record>".
std::string DraftFileName(const DraftOwner& owner);

// The code-page path of the owner's draft file.
std::string DraftPath(const DraftOwner& owner);

std::string EncodeDraft(const DraftOwner& owner, const DraftFields& fields);

// The fields of a draft written for `owner` with `fieldCount` fields; nothing
// for a file of any other owner, shape or a damaged one.
std::optional<DraftFields> DecodeDraft(std::string_view bytes, const DraftOwner& owner,
                                       size_t fieldCount);

// Writes the draft through a temporary file in the drafts folder that is
// flushed and then renamed over the old draft; true when it is in place.
bool WriteDraft(const DraftOwner& owner, const DraftFields& fields);

std::optional<DraftFields> ReadDraft(const DraftOwner& owner, size_t fieldCount);

// True when the owner has no draft afterwards.
bool RemoveDraft(const DraftOwner& owner);

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

// The notice an editor shows when it put a draft back into its fields (UTF-8).
const char* DraftRestoredNotice();

// A hidden label with that notice, for the editor to place and show.
QLabel* NewDraftNotice(QWidget* parent);

}  // namespace korvane
