// The addresses the program's page navigates to when it asks the program for
// work (the same strings stand in the page's main.js). They are data shared by
// two layers: the browser host must never hand them to the desktop as web
// addresses, and the logic reads the commands they carry (logic/dispatch.h).
#pragma once

#include <string_view>

namespace korvane {

inline constexpr std::string_view kCommandHost = "command.korvane.invalid";
inline constexpr std::string_view kRestoreHost = "restore.korvane.invalid";
// Every command URL starts with the command base.
inline constexpr std::string_view kCommandBase = "http://command.korvane.invalid/";
// Navigating here switches the window back to its standard view.
inline constexpr std::string_view kRestoreUrl = "http://restore.korvane.invalid/";

}  // namespace korvane
