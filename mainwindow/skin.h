// The main window's pictures: the caption skin, the logo, the button glyphs
// and the program icon. They are read from the "skin" folder beside the
// program; a missing or unreadable file is replaced by a plain drawing so the
// window always looks complete.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <string_view>

namespace korvane::skin {

// The caption bar's height; its pictures are drawn to it.
inline constexpr int kCaptionHeight = 28;

// Pixels of this colour in the caption bar are see-through.
inline const QColor kKeyColour(255, 0, 255);

// The caption's own colours, for the parts of the frame drawn in code.
inline const QColor kFrameColour(54, 103, 179);
inline const QColor kDarkFrameColour(42, 48, 57);
inline const QColor kTitleColour(Qt::white);

// "caption", "caption_left", "caption_right", "logo", "btn_hide",
// "btn_close" or "korvane" (the program icon). In the dark, the dark variant
// ("<name>-dark.png") where there is one. With a `pixelRatio` above 1 the
// picture at twice the size, its device pixel ratio 2, where there is one.
QPixmap Picture(std::string_view name, bool dark = false, qreal pixelRatio = 1);

// The program icon in the sizes shipped, for the tray and the window.
QIcon ProgramIcon();

// Makes every pixel fully opaque or fully transparent (at half opacity), so a
// picture drawn over the key colour leaves either its own colour or exactly
// the key colour, never a blend of the two.
QImage HardenAlpha(const QImage& image);

// The pixels of `image` that are not the key colour.
QRegion OpaqueRegion(const QImage& image);

}  // namespace korvane::skin
