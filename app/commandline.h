// The program's command-line jobs, run without a window:
//   korvane --export FOLDER [--vcard4]   writes the notebook into FOLDER
//   korvane --import FILE|FOLDER...      adds the records of the files
// Texts go to the terminal as UTF-8.
#pragma once

#include <optional>

namespace korvane {

// The exit code of the job the arguments ask for (0 done, 1 failed, 2 the
// arguments were wrong); nothing when they ask for none and the window
// should start.
std::optional<int> RunCommandLine(int argc, char** argv);

}  // namespace korvane
