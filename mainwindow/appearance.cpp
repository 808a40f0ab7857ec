#include "mainwindow/appearance.h"

#include <QApplication>
#include <QStyle>

#include "mainwindow/windowlog.h"
#include "platformqt/colorscheme.h"

namespace korvane {
namespace {

// The style that draws every control from the palette; the dark palette
// needs it where the system's own style paints its own colours (Windows).
const QString kPaletteStyle = QStringLiteral("fusion");

}  // namespace

Appearance::Appearance(const std::string& iniPath, platform::ColorSchemeSource* source,
                       QObject* parent)
    : QObject(parent),
      source_(source ? source : platform::MakeColorSchemeSource(this)),
      choice_(LoadThemeChoice(iniPath)),
      light_(QApplication::palette()),
      lightStyle_(QApplication::style() ? QApplication::style()->name() : QString()) {
    source_->setParent(this);
    connect(source_, &platform::ColorSchemeSource::changed, this, &Appearance::Follow);
    theme_ = DecideTheme(choice_, source_->Scheme(), light_.color(QPalette::Window).lightness());
    if (theme_ == Theme::kDark) Apply();
}

Appearance::~Appearance() {
    if (theme_ == Theme::kLight) return;
    theme_ = Theme::kLight;
    Apply();
}

void Appearance::Follow() {
    const Theme theme =
        DecideTheme(choice_, source_->Scheme(), light_.color(QPalette::Window).lightness());
    if (theme == theme_) return;
    theme_ = theme;
    qCInfo(lcWindow) << "colour scheme now" << (IsDark() ? "dark" : "light");
    Apply();
    emit changed(theme_);
}

void Appearance::Apply() {
    const QString style = IsDark() ? kPaletteStyle : lightStyle_;
    if (!style.isEmpty() && QApplication::style() &&
        QApplication::style()->name().compare(style, Qt::CaseInsensitive) != 0) {
        QApplication::setStyle(style);
    }
    QApplication::setPalette(IsDark() ? DarkPalette() : light_);
}

QPalette Appearance::DarkPalette() {
    const QColor window(0x2B, 0x30, 0x37);
    const QColor base(0x1F, 0x23, 0x28);
    const QColor text(0xE3, 0xE8, 0xEE);
    const QColor button(0x35, 0x3B, 0x44);
    const QColor faded(0x7F, 0x8A, 0x98);
    QPalette p(button, window);  // derives light, mid, dark and shadow from the button
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::PlaceholderText, faded);
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, faded);
    p.setColor(QPalette::Disabled, QPalette::Text, faded);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, faded);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(0x3A, 0x40, 0x4A));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::BrightText, QColor(0xFF, 0x7B, 0x72));
    p.setColor(QPalette::Highlight, QColor(0x3B, 0x7D, 0xD8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x8D, 0xBA, 0xF5));
    p.setColor(QPalette::LinkVisited, QColor(0xB4, 0x9C, 0xF0));
    return p;
}

}  // namespace korvane
