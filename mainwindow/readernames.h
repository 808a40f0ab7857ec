// What screen readers say for the main window's controls, beyond the texts
// the controls show themselves: names for the controls without text (the
// page's view, the logo, the tray's menu) and descriptions of what the
// caption buttons and the options do.
#pragma once

namespace korvane {

class TMyHappy;

// Called once the window's parts exist.
void NameForReaders(TMyHappy& window);

}  // namespace korvane
