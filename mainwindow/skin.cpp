#include "mainwindow/skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <string>
#include <vector>

#include "platform/apppaths.h"
#include "platform/codepage.h"

namespace korvane::skin {
namespace {

// The same colours as the asset generator's caption pieces.
QLinearGradient CaptionGradient(bool dark) {
    QLinearGradient g(0, 0, 0, kCaptionHeight);
    g.setColorAt(0.0, dark ? QColor(80, 90, 105) : QColor(134, 178, 236));
    g.setColorAt(0.08, dark ? QColor(59, 67, 79) : QColor(88, 144, 219));
    g.setColorAt(0.93, dark ? QColor(42, 48, 57) : QColor(54, 103, 179));
    g.setColorAt(1.0, dark ? QColor(28, 32, 38) : QColor(42, 84, 143));
    return g;
}

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A caption end with its outer top corner rounded off.
QImage DrawCaptionEnd(int width, bool left, bool dark) {
    QImage image = Canvas(width, kCaptionHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const qreal r = 6;
    const qreal w = width + r;  // the rounded rectangle reaches past the inner side
    path.addRoundedRect(QRectF(left ? 0 : -r, 0, w, kCaptionHeight + r), r, r);
    p.fillPath(path, CaptionGradient(dark));
    return image;
}

QImage DrawCaption(bool dark) {
    QImage image = Canvas(8, kCaptionHeight);
    QPainter p(&image);
    p.fillRect(image.rect(), CaptionGradient(dark));
    return image;
}

QImage DrawLogo() {
    QImage image = Canvas(34, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 252, 255));
    p.drawRoundedRect(QRectF(16, 5, 15, 19), 2, 2);
    p.setPen(QPen(QColor(120, 160, 215), 1.5));
    for (qreal y = 10; y <= 20; y += 3.5) p.drawLine(QPointF(19, y), QPointF(28, y));
    p.fillRect(QRectF(27, 3, 3, 7), QColor(240, 130, 40));
    return image;
}

// A round button face with a white glyph.
QImage DrawButton(bool close) {
    QImage image = Canvas(18, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QRectF(1, 1, 16, 16));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(6, 6), QPointF(12, 12));
        p.drawLine(QPointF(12, 6), QPointF(6, 12));
    } else {
        p.drawLine(QPointF(5.5, 9), QPointF(12.5, 9));
    }
    return image;
}

QImage DrawIcon() {
    QImage image = Canvas(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(88, 144, 219));
    g.setColorAt(1, QColor(42, 84, 143));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(16, 10, 32, 44), 4, 4);
    p.setPen(QPen(QColor(120, 160, 215), 3));
    for (int y = 22; y <= 46; y += 8) p.drawLine(20, y, 44, y);
    return image;
}

QImage DrawStandIn(std::string_view name, bool dark) {
    if (name == "caption") return DrawCaption(dark);
    if (name == "caption_left") return DrawCaptionEnd(12, true, dark);
    if (name == "caption_right") return DrawCaptionEnd(11, false, dark);
    if (name == "logo") return DrawLogo();
    if (name == "btn_hide") return DrawButton(false);
    if (name == "btn_close") return DrawButton(true);
    return DrawIcon();
}

QImage LoadFile(const std::string& stem, int ratio) {
    const std::string suffix = ratio > 1 ? "@2x.png" : ".png";
    QImage image(QString::fromUtf8(platform::NativePath(AppPath("skin/" + stem + suffix))));
    if (!image.isNull()) image.setDevicePixelRatio(ratio);
    return image;
}

// The first of the files that fit that loads: dark before light, twice the
// size before the plain one.
QImage Load(std::string_view name, bool dark, qreal pixelRatio) {
    std::vector<std::string> stems;
    if (dark) stems.push_back(std::string(name) + "-dark");
    stems.emplace_back(name);
    for (const std::string& stem : stems) {
        for (const int ratio : {pixelRatio > 1 ? 2 : 1, 1}) {
            const QImage image = LoadFile(stem, ratio);
            if (!image.isNull()) return image;
        }
    }
    return DrawStandIn(name, dark);
}

}  // namespace

QPixmap Picture(std::string_view name, bool dark, qreal pixelRatio) {
    return QPixmap::fromImage(Load(name, dark, pixelRatio));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* name : {"korvane-16", "korvane-32", "korvane"}) {
        const QImage image(
            QString::fromUtf8(platform::NativePath(AppPath(std::string("skin/") + name + ".png"))));
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    if (icon.isNull()) icon.addPixmap(QPixmap::fromImage(DrawIcon()));
    return icon;
}

QImage HardenAlpha(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = line[x];
            line[x] = qAlpha(c) >= 128 ? (c | 0xFF000000u) : 0u;
        }
    }
    return out;
}

QRegion OpaqueRegion(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = kKeyColour.rgb() & 0xFFFFFFu;
    QRegion region;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width();) {
            if ((line[x] & 0xFFFFFFu) == key) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < rgb.width() && (line[x] & 0xFFFFFFu) != key) ++x;
            region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

}  // namespace korvane::skin
