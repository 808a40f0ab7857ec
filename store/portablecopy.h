// The notes of a portable copy whose own folder cannot be written.
//
// Such a copy keeps its data in the user's folder from then on
// (platform::UsePerUserDataWhenReadOnly), while its notes so far stay in the
// notebook beside the program, hd/glst.mysql in the program's folder. So that
// nothing seems lost, the user's notebook starts as a copy of that one, and
// the user is told where each is.
#pragma once

#include <string>

namespace korvane {

// Called once at start, after the data directory was chosen and before the
// notebook is opened. When the data directory is not the program's folder,
// the program's folder holds a notebook with records and the data directory
// holds none yet, that notebook is copied (a consistent copy, read through
// SQLite, staged and moved into place) to the data directory's hd/glst.mysql.
// The notebook beside the program is only read. Returns the notice for the
// user (code page): where the notes were, where the program keeps its data
// now and what was done (copied, or why not, and that the notes beside the
// program are untouched); empty when there was nothing to do.
std::string TakeOverNotebookBesideProgram();

}  // namespace korvane
