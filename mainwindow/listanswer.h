// The program's answer to the page's request for a list: the window of
// records read from the notebook, in the form the page takes it.
#pragma once

#include "browser/pagedom.h"
#include "logic/dispatch.h"

namespace korvane {

class FindIndex;

// Reads the window `request` names: of a list, or of the finder's results
// from `finder`. Never throws; failures are in the header.
PageList ListAnswer(const ListRequest& request, FindIndex& finder);

}  // namespace korvane
