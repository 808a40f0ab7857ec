// The trash as the page shows it: the deleted notes and contacts, newest
// deletion first, a window at a time, in the lists' own record boxes with the
// trash's buttons, under a header with "清空回收站" and the count.
#pragma once

#include <cstdint>
#include <string>

#include "render/listpage.h"

namespace korvane {

// The kind the page knows a window of the trash by.
inline constexpr int kTrashKind = 3;

// The header: "清空回收站" (naming its command in a data attribute) and the
// count, or only "回收站是空的" when there is nothing in it.
std::string TrashHeader(int64_t count);

// The window [first, first + count) of the trash, with the trash's count
// taken in the same read. A notebook without a trash gives an empty one.
// `first` beyond the end gives no boxes; a negative `first` or a `count`
// outside 0..kMaxWindowRecords gives the failure text. Never throws.
ListWindow BuildTrashWindow(int first, int count);

}  // namespace korvane
