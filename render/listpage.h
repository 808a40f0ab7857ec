// The HTML of the list area: all notes or all contacts as boxed records under
// a header with the "new" button and the record count.
#pragma once

#include <string>

namespace korvane {

// kind 0 lists the notes, 1 the contacts, newest first. The result is the
// markup for the page's list element, or a message text (database missing or
// broken, or the list could not be built) to show in its place. Never throws.
std::string BuildListPage(int kind);

}  // namespace korvane
