// The notes of a portable copy whose own folder cannot be written.
//
// Such a copy keeps its data in the user's folder from then on
// (platform::UsePerUserDataWhenReadOnly), while its notes so far stay in the
// notebook beside the program, hd/glst.mysql in the program's folder. So that
// nothing seems lost, the user's notebook starts as a copy of that one, and
// the user is told where each is.
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

// What taking over the notebook beside the program came to.
struct TakeOver {
    enum class Outcome {
        Nothing,     // nothing to do: no such notebook, an empty one, or the user's exists
        Copied,      // copied to `working`, holding `records`
        Unreadable,  // the notebook beside the program could not be read
        NotWritten,  // the copy could not be written at the new place
        NotPlaced,   // the written copy could not be put in place
    };
    Outcome outcome = Outcome::Nothing;
    std::string beside;   // the notebook beside the program (code page)
    std::string working;  // the user's notebook (code page)
    int64_t records = 0;
};

// Called once at start, after the data directory was chosen and before the
// notebook is opened. When the data directory is not the program's folder,
// the program's folder holds a notebook with records and the data directory
// holds none yet, that notebook is copied (a consistent copy, read through
// SQLite, staged and moved into place) to the data directory's hd/glst.mysql.
// The notebook beside the program is only read: whatever the outcome, the
// notes in it are untouched.
TakeOver TakeOverNotebookBesideProgram();

}  // namespace korvane
