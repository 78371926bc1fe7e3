// What widget tests share: pictures saved for review, the two desktop
// palettes, and pixel checks.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPalette>
#include <QString>
#include <QStringList>

class QWidget;

// Shows the widget, lets it settle, and takes its picture.
QImage Grab(QWidget* widget);
// Saves the picture as <name>.png in $TOLVA_PICTURE_DIR, else in the build
// folder's pictures folder.
void SavePicture(const QImage& picture, const QString& name);
// Whether a real font is there, so text in pictures means something.
bool FontsAvailable();

// What a person looking at the window would find wrong, one line each: a
// label or button whose text is wider than its rectangle, a widget that
// lies outside the window. Widgets scrolled inside a scroll area are the
// area's to show. Empty when all is well.
QStringList LayoutFaults(const QWidget* window);

// The pictures side by side, for one file a reviewer can look at.
QImage Montage(const QList<QImage>& pictures);

QPalette LightPalette();
QPalette DarkPalette();

// Makes a palette the application's (and so every widget's) for a scope.
class ScopedPalette {
public:
    explicit ScopedPalette(const QPalette& palette);
    ~ScopedPalette();
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;

private:
    QPalette m_previous;
};

inline QRgb Pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}
inline QRgb Rgb(const QColor& colour)
{
    return colour.rgb() & 0xFFFFFF;
}
