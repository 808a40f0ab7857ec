// Handing over to the external updater program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The updater is expected beside the program.
inline constexpr std::string_view kUpdaterProgram = "update.exe";

// "update.exe Quorvex <version stamp> <executable name>", the name with its
// ASCII letters lower-cased and every other byte kept.
std::string UpdaterCommandLine(std::string_view versionStamp, std::string_view executableName);

// The same line as the arguments the updater receives, after the program name.
// The executable name stays one argument even when it holds blanks.
std::vector<std::string> UpdaterArguments(std::string_view versionStamp,
                                          std::string_view executableName);

// The notice shown when the updater cannot be started, in the code page.
const std::string& UpdaterNotStarted();

}  // namespace korvane
