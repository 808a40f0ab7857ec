// The markup of one list from its rows: pure functions of the stored texts.
// Every field passes the sanitiser before the converters add their pictures
// and links, so no stored text is ever run.
#pragma once

#include <cstdint>
#include <string>

#include "store/listrows.h"

namespace korvane {

// The box of one record of kind 0 (notes) or 1 (contacts); `ordinal` counts
// the records of the whole list from 1. Another kind throws.
std::string RecordBox(int kind, const ListRow& row, int ordinal);

// The "new" button with the record count, or with the no-data text when the
// list is empty. Another kind throws.
std::string ListHeader(int kind, int64_t count);

}  // namespace korvane
