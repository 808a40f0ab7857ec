// Light or dark for the whole program: the settings file's choice, the
// desktop's preference followed while the program runs, and the toolkit's
// palette that every window and dialog takes its colours from.
//
// The theme is decided when the appearance is made and again whenever the
// desktop's preference changes; a change sets the application's palette (so
// open dialogs repaint at once) and is announced for the parts that draw
// their own colours: the caption, the bars, the page.
#pragma once

#include <QObject>
#include <QPalette>
#include <QString>
#include <string>

#include "logic/theme.h"

namespace korvane {

namespace platform {
class ColorSchemeSource;
}

class Appearance : public QObject {
    Q_OBJECT

  public:
    // `source` tells the desktop's preference (made for this system when
    // null; taken over as a child either way). The choice comes from the
    // settings file at `iniPath`. The palette found at construction is the
    // light one, and is put back when the appearance goes.
    Appearance(const std::string& iniPath, platform::ColorSchemeSource* source, QObject* parent);
    ~Appearance() override;

    Theme Current() const { return theme_; }
    bool IsDark() const { return theme_ == Theme::kDark; }

    // The palette the program shows in the dark: dark surfaces, light text,
    // the caption's blue for selections and links readable on both.
    static QPalette DarkPalette();

  signals:
    void changed(Theme theme);

  private:
    void Follow();
    void Apply();

    platform::ColorSchemeSource* source_;
    ThemeChoice choice_;
    QPalette light_;      // the desktop's palette, as found
    QString lightStyle_;  // and the toolkit's style
    Theme theme_ = Theme::kLight;
};

}  // namespace korvane
