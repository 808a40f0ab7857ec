// The finder: every note and contact whose shown text holds a query, newest
// first, a window at a time, with the matches marked.
//
// The index keeps each record's shown text folded (render/findtext.h) in
// memory, in list order. It follows this program's own writes record by
// record (the store journals them) and is read whole when missing or when
// another connection changed the file. The notebook file is never written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/listpage.h"
#include "store/dbfunc.h"

namespace korvane {

// The kind the page knows a window of results by.
inline constexpr int kFoundKind = 2;

class FindIndex {
  public:
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
    };
    const std::vector<Entry>& Entries() const { return entries_; }

    // How often the index was read whole since it was made.
    int WholeReads() const { return wholeReads_; }

  private:
    void ReadWhole();
    void ReadAgain(const std::vector<int64_t>& records);
    void Changed();

    std::vector<Entry> entries_;
    std::optional<NotebookVersion> version_;
    int wholeReads_ = 0;
    uint64_t generation_ = 0;  // counts the changes of the entries
    struct Answer {
        uint64_t generation = 0;
        std::string query;
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

}  // namespace korvane
