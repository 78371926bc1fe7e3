#include "support/pictures.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QToolButton>
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

namespace {

// The text as drawn: a mnemonic's "&" takes no room.
QString ShownText(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(1)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

bool InsideScrollArea(const QWidget* widget, const QWidget* window)
{
    for (const QWidget* w = widget->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget()))
            if (area->viewport() == w)
                return true;
    }
    return false;
}

QString Describe(const QWidget* widget, const QString& text)
{
    return QStringLiteral("%1 \"%2\" (%3)")
        .arg(QLatin1String(widget->metaObject()->className()), text,
            widget->objectName().isEmpty() ? QStringLiteral("unnamed") : widget->objectName());
}

// The width a button's text needs beside what the style puts before it.
int NeededWidth(const QAbstractButton* button, const QString& text)
{
    const int textWidth = button->fontMetrics().horizontalAdvance(text);
    const QStyle* style = button->style();
    if (qobject_cast<const QCheckBox*>(button))
        return textWidth + style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
    if (qobject_cast<const QRadioButton*>(button))
        return textWidth + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width();
    if (const auto* tool = qobject_cast<const QToolButton*>(button)) {
        switch (tool->toolButtonStyle()) {
        case Qt::ToolButtonIconOnly:
            return 0;
        case Qt::ToolButtonTextOnly:
            return textWidth;
        case Qt::ToolButtonTextUnderIcon:
            return std::max(textWidth, icon);
        default:
            break;
        }
    }
    return textWidth + (icon ? icon + 4 : 0);
}

}  // namespace

QStringList LayoutFaults(const QWidget* window)
{
    QStringList faults;
    const QRect bounds = window->rect();
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->isWindow() || InsideScrollArea(widget, window))
            continue;
        const QRect at(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (!bounds.contains(at))
            faults << Describe(widget, QStringLiteral("outside the window"));
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            const QString text = ShownText(label->text());
            if (text.isEmpty() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(text))
                continue;
            const QRect room = label->contentsRect();
            // Lines broken by hand each need the room across, and all of
            // them the room down.
            const QSize lines
                = label->fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 20), 0, text).size();
            const bool fits = label->wordWrap()
                ? label->heightForWidth(label->width()) <= label->height()
                : lines.width() <= room.width() && (!text.contains(u'\n') || lines.height() <= room.height());
            if (!fits)
                faults << Describe(label, text);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            const QString text = ShownText(button->text());
            if (text.isEmpty())
                continue;
            for (const QString& line : text.split(u'\n'))
                if (NeededWidth(button, line) > button->width())
                    faults << Describe(button, line);
        }
    }
    return faults;
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
