// What the user is told when the trash or the history could not take its
// copy of a delete or a save (code page): which table was set aside under
// which name in which notebook, that the change itself was made, and whether
// its undo or its former version is there.
#pragma once

#include <string>

#include "store/keeping.h"

namespace korvane {

// The change the copy belonged to.
enum class KeptChange { Deleted, Saved };

// The notice for `findings` after `change` in the notebook at `notebook`;
// empty when there is nothing to tell.
std::string KeepingNotice(const KeepingFindings& findings, KeptChange change,
                          const std::string& notebook);
// The same for what the store found since it was last asked (which it then
// forgets), in the open notebook.
std::string TakeKeepingNotice(KeptChange change);

}  // namespace korvane
