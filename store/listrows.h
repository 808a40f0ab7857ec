// The rows of the two lists as the notebook stores them: all records of a
// kind, or one window of them, newest first. Turning rows into markup is the
// render layer's job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// One record of a list; every field as its stored text.
struct ListRow {
    std::string date;  // cre_date
    std::string title;
    std::string content;
    std::string id;
    std::string tel;
};

// A window of a list: `rows` are the records at positions
// [first, first + rows.size()) of the whole list, counted from 0.
struct ListRows {
    int64_t total = 0;  // records of the kind in the whole list
    int first = 0;
    std::vector<ListRow> rows;
};

// Both need the connection open and the records table present (checked by
// the caller), and throw on failure. `kind` is 0 (notes) or 1 (contacts).
std::vector<ListRow> ReadList(int kind);
// The count and the rows come from one read of the notebook. `first` beyond
// the end gives no rows.
ListRows ReadListWindow(int kind, int first, int count);

}  // namespace korvane
