// The HTML of the list area: all notes or all contacts as boxed records under
// a header with the "new" button and the record count.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/storestatus.h"

namespace korvane {

// One window of a list: the record boxes at positions [first, first + boxes.size())
// of the whole list (counted from 0, newest first), with the list's header.
// The boxes of all windows laid end to end are exactly the records of
// BuildListPage, and header + those boxes is BuildListPage itself.
struct ListWindow {
    int kind = 0;
    int total = 0;  // records of the kind in the whole list
    int first = 0;
    // The "new" button and the count, or a message text (no records, database
    // missing or broken, list not built) that takes the list's place.
    std::string header;
    std::vector<std::string> boxes;
};

// The largest window one request may ask for.
inline constexpr int kMaxWindowRecords = 500;

// kind 0 lists the notes, 1 the contacts, newest first. The result is the
// markup for the page's list element, or a message text (database missing or
// broken, or the list could not be built) to show in its place. Never throws.
std::string BuildListPage(int kind);

// Reads only the records of the window from the database, with the list's
// count taken in the same read. `first` beyond the end gives no boxes; a
// negative `first` or a `count` outside 0..kMaxWindowRecords gives the failure
// text. Never throws.
ListWindow BuildListWindow(int kind, int first, int count);

// What every kind of window shares: the request's numbers checked, then
// `fill` run on the window, which reads the notebook through the store (see
// UseNotebook) and says how that went; a failure leaves no records and the
// failure text as the header (and is logged). Never throws.
ListWindow BuildWindow(int kind, int first, int count,
                       const std::function<StoreResult(ListWindow&)>& fill);

}  // namespace korvane
