// The finder: every note and contact whose shown text holds a query, newest
// first, a window at a time, with the matches marked.
//
// The index keeps each record's shown text folded (render/findtext.h) in
// memory, in list order. It follows this program's own writes record by
// record (the store journals them) and is read whole when missing or when
// another connection changed the file. The notebook file is never written.
#pragma once

#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/listpage.h"
#include "store/listrows.h"
#include "store/notebook.h"

namespace korvane {

// The kind the page knows a window of results by.
inline constexpr int kFoundKind = 2;
// The kind of a window of results among the trash's records.
inline constexpr int kTrashFoundKind = 4;

// The most matches one record of the results has marked; past it the record
// shows how many it holds ("此条共 262,145 处"). Two hundred marks are more
// than a screen shows, and cost the page nothing to lay out; a note of
// hundreds of thousands would take it seconds and gigabytes.
inline constexpr size_t kMarksPerRecord = 200;

// A record's box in the results: its matches of `foldedQuery` (from
// FoldQuery) marked, at most kMarksPerRecord of them, and a badge saying
// whether it is a note or a contact (and how often it matches, when not
// every match is marked).
std::string FoundBox(int kind, const ListRow& row, const std::string& foldedQuery, int ordinal);

struct TrashedRecord;
// The same for a record in the trash: its matches marked, its badge, and the
// trash's buttons in place of the icons (see TrashBox).
std::string FoundTrashBox(const TrashedRecord& record, const std::string& foldedQuery, int ordinal);

class FindIndex {
  public:
    FindIndex() = default;
    FindIndex(const FindIndex&) = delete;
    FindIndex& operator=(const FindIndex&) = delete;
    ~FindIndex();

    // Starts reading the index on a thread of its own, over a connection of
    // its own to the open notebook, so that the first search finds it ready.
    // What it read is taken at the next Sync only when the notebook has not
    // changed since this call; else it is dropped and the index is read as
    // usual. Does nothing once the index has been read, while a read runs,
    // or when no notebook is open.
    void Prepare();
    // True while a read started by Prepare has not finished.
    bool Preparing() const;
    // Gives back the memory the index holds, while it is not needed for a
    // long time; the next Prepare or Sync reads it again.
    void Release();

    // Brings the index in step with the open notebook. The connection must
    // be open; database failures throw (the index is then read whole at the
    // next call).
    void Sync();

    // Positions in the index (list order) of the records whose shown text
    // holds `foldedQuery` (from FoldQuery). The last answer is remembered, and
    // a query that extends it searches only its matches.
    const std::vector<uint32_t>& Matches(const std::string& foldedQuery);

    struct Entry {
        std::string date;  // stored bytes, compared as SQLite compares them
        int64_t id = 0;
        int kind = 0;
        std::string text;  // the shown fields, folded UTF-8, apart by a control character
        // The text without the separators between digits (SqueezeDigitRuns),
        // which telephone queries search; empty when it is the text itself.
        std::string squeezed;
        const std::string& Digits() const { return squeezed.empty() ? text : squeezed; }
    };
    const std::vector<Entry>& Entries() const { return entries_; }

    // How often the index was read whole on the calling thread since it was
    // made (a prepared read taken over does not count).
    int WholeReads() const { return wholeReads_; }

  private:
    // A read started by Prepare, and the notebook's state when it started.
    struct Prepared {
        std::future<std::vector<Entry>> entries;
        NotebookVersion version;
        int64_t ownChanges = 0;
    };
    bool TakePrepared();
    void ReadWhole();
    void ReadAgain(const std::vector<int64_t>& records);
    void Changed();

    std::vector<Entry> entries_;
    std::optional<NotebookVersion> version_;
    std::optional<Prepared> prepared_;
    int wholeReads_ = 0;
    uint64_t generation_ = 0;  // counts the changes of the entries
    struct Answer {
        uint64_t generation = 0;
        std::string query;
        std::string key;         // what was searched: the query, or its digits
        bool telephone = false;  // the digits, in the texts without separators
        std::vector<uint32_t> matches;
    };
    std::optional<Answer> last_;
};

// The window [first, first + count) of the records matching `query` (UTF-8,
// as typed), as boxes showing their kind with every match marked. The header
// counts the matches ("找到 N 项") or says that nothing was found. `first`
// beyond the end gives no boxes; a negative `first` or a `count` outside
// 0..kMaxWindowRecords gives the failure text. Never throws.
ListWindow BuildFoundWindow(FindIndex& index, std::string_view query, int first, int count);

// The same among the records in the trash (newest deletion first), searched
// in the same fields: title, content, a contact's telephone. The trash is
// read at each call; the list's index never holds it, so the list's results
// never show a deleted record. Never throws.
ListWindow BuildFoundInTrashWindow(std::string_view query, int first, int count);

}  // namespace korvane
