// The process-wide path values: the application directory (the running
// executable's folder, with its trailing separator), the executable name and
// the data directory. Shipped files (the page, the skin, the pristine
// notebook) are the application directory plus a relative path; what the
// program writes (the notebook, drafts, backups, sys.ini) is the data
// directory plus a relative path. All are code-page texts.
#pragma once

#include <string>

namespace korvane {

// Splits the executable's full path at its last separator. Called once at
// start-up from the running executable's path; tests call it to point the
// program at a folder of their own.
void SetApplicationPaths(const std::string& executablePath);

const std::string& ApplicationDirectory();
const std::string& ExecutableName();

// The application directory followed by a relative path written with '\' or
// '/'; either becomes the platform's separator.
std::string AppPath(const std::string& relative);

// Where the program writes its data. Beside the program unless a folder of
// its own was set: a copy in a folder that can be written keeps everything
// together, as it always has.
const std::string& DataDirectory();

// Points the data directory at `folder` (with or without a trailing
// separator); an empty folder puts the data back beside the program.
void SetDataDirectory(const std::string& folder);

// The data directory followed by a relative path, separators as in AppPath.
std::string DataPath(const std::string& relative);

}  // namespace korvane
