// The two process-wide path values: the application directory (the running
// executable's folder, with its trailing separator) and the executable name.
// Every data path of the program is the application directory plus a relative
// path. Both are code-page texts.
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

}  // namespace korvane
