#include "support/pictures.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

QImage Grab(QWidget* widget)
{
    if (!widget->isVisible()) {
        widget->show();
        (void)QTest::qWaitForWindowExposed(widget->window());
    }
    QApplication::processEvents();
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void SavePicture(const QImage& picture, const QString& name)
{
    QString dir = qEnvironmentVariable("TOLVA_PICTURE_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(TOLVA_PICTURE_DIR);
    QDir().mkpath(dir);
    picture.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QImage Montage(const QList<QImage>& pictures)
{
    int width = 4;
    int height = 0;
    for (const QImage& picture : pictures) {
        width += picture.width() + 4;
        height = std::max(height, picture.height());
    }
    QImage sheet(width, height + 8, QImage::Format_RGB32);
    sheet.fill(Qt::magenta);
    QPainter p(&sheet);
    int x = 4;
    for (const QImage& picture : pictures) {
        p.drawImage(x, 4, picture);
        x += picture.width() + 4;
    }
    return sheet;
}

bool FontsAvailable()
{
    return !QFontInfo(QApplication::font()).family().isEmpty();
}

QPalette LightPalette()
{
    QPalette p(QColor(0xF0, 0xF0, 0xF0), QColor(0xF0, 0xF0, 0xF0));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    p.setColor(QPalette::Dark, QColor(0xA0, 0xA0, 0xA0));
    p.setColor(QPalette::Shadow, QColor(0x69, 0x69, 0x69));
    p.setColor(QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

QPalette DarkPalette()
{
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    p.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    p.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
    p.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    p.setColor(QPalette::Light, QColor(0x6A, 0x6A, 0x6A));
    p.setColor(QPalette::Midlight, QColor(0x4E, 0x4E, 0x4E));
    p.setColor(QPalette::Dark, QColor(0x20, 0x20, 0x20));
    p.setColor(QPalette::Shadow, QColor(0x0A, 0x0A, 0x0A));
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return p;
}

ScopedPalette::ScopedPalette(const QPalette& palette)
    : m_previous(QApplication::palette())
{
    QApplication::setPalette(palette);
}

ScopedPalette::~ScopedPalette()
{
    QApplication::setPalette(m_previous);
}
