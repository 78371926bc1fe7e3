#include "print/ui/printicons.h"

#include "print/printman.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

// Pictures are drawn on a grid of 16 x 16 units, scaled to the size asked.
using Drawing = std::function<void(QPainter&)>;

const QColor kInk(40, 48, 64);
const QColor kPaper(255, 255, 255);
const QColor kAccent(38, 110, 200);
const QColor kWarm(214, 120, 40);

class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(Drawing drawing)
        : m_drawing(std::move(drawing))
    {
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        m_drawing(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(m_drawing); }

private:
    Drawing m_drawing;
};

QPen Ink(double width = 1.0)
{
    QPen pen(kInk, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A sheet with a folded corner.
void Sheet(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    const double fold = r.width() / 3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Ink());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void TextLines(QPainter& p, double left, double right, double top, int count, double step = 2.0)
{
    p.setPen(QPen(kAccent, 1.0));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
}

void Arrow(QPainter& p, bool right)
{
    QPainterPath path;
    const double tip = right ? 15.0 : 1.0, back = right ? 10.0 : 6.0;
    path.moveTo(tip, 11.5);
    path.lineTo(back, 8.0);
    path.lineTo(back, 15.0);
    path.closeSubpath();
    p.setPen(Ink());
    p.setBrush(kAccent);
    p.drawPath(path);
}

void Magnifier(QPainter& p, bool plus)
{
    p.setPen(Ink(1.2));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(6.5, 6.5), 5.0, 5.0);
    // A mid-grey handle reads on light and dark bars alike.
    p.setPen(QPen(QColor(120, 126, 138), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 10.2), QPointF(14.5, 14.5));
    p.setPen(QPen(kAccent, 1.6));
    p.drawLine(QPointF(4.0, 6.5), QPointF(9.0, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4.0), QPointF(6.5, 9.0));
}

Drawing PreviewDrawing(PreviewPicture picture)
{
    switch (picture) {
    case PP_PRINT:
        return [](QPainter& p) {
            Sheet(p, QRectF(4.5, 0.5, 7, 6));
            p.setPen(Ink());
            p.setBrush(QColor(200, 206, 216));
            p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 10.5, 7, 5));
            p.setBrush(kWarm);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(12.5, 8.5), 0.9, 0.9);
        };
    case PP_PREVIOUS:
    case PP_NEXT: {
        const bool next = picture == PP_NEXT;
        return [next](QPainter& p) {
            Sheet(p, next ? QRectF(1.5, 0.5, 9, 12) : QRectF(5.5, 0.5, 9, 12));
            TextLines(p, next ? 3.0 : 7.0, next ? 8.0 : 12.0, 5.0, 3);
            Arrow(p, next);
        };
    }
    case PP_ONE_PAGE:
        return [](QPainter& p) {
            Sheet(p, QRectF(3.5, 1.5, 9, 13));
            TextLines(p, 5.0, 11.0, 6.0, 4);
        };
    case PP_TWO_PAGES:
        return [](QPainter& p) {
            Sheet(p, QRectF(0.5, 2.5, 7, 11));
            Sheet(p, QRectF(8.5, 2.5, 7, 11));
            TextLines(p, 2.0, 6.0, 6.5, 3);
            TextLines(p, 10.0, 14.0, 6.5, 3);
        };
    case PP_ZOOM_IN:
    case PP_ZOOM_OUT: {
        const bool in = picture == PP_ZOOM_IN;
        return [in](QPainter& p) { Magnifier(p, in); };
    }
    case PP_PAGE_SETUP:
        return [](QPainter& p) {
            Sheet(p, QRectF(2.5, 0.5, 11, 15));
            // The margins as a dashed frame inside the sheet.
            QPen dashed(kAccent, 1.0, Qt::DashLine);
            p.setPen(dashed);
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(4.5, 5.5, 7, 8));
        };
    case PP_CLOSE:
    default:
        return [](QPainter& p) {
            p.setPen(Ink());
            p.setBrush(kPaper);
            p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
            p.setPen(QPen(QColor(196, 48, 48), 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(5, 5), QPointF(11, 11));
            p.drawLine(QPointF(11, 5), QPointF(5, 11));
        };
    }
}

Drawing StyleDrawing(u32 style)
{
    switch (style) {
    case PM_REPORT:
        return [](QPainter& p) {
            Sheet(p, QRectF(2.5, 0.5, 11, 15));
            p.setPen(QPen(kAccent, 1.0));
            for (double y : {4.5, 7.5, 10.5, 13.5})
                p.drawLine(QPointF(3.5, y), QPointF(12.5, y));
            p.drawLine(QPointF(7.5, 4.5), QPointF(7.5, 13.5));
        };
    case PM_ENVELOPE:
        return [](QPainter& p) {
            p.setPen(Ink());
            p.setBrush(kPaper);
            p.drawRect(QRectF(0.5, 3.5, 15, 10));
            p.drawLine(QPointF(0.5, 3.5), QPointF(8, 9));
            p.drawLine(QPointF(15.5, 3.5), QPointF(8, 9));
            p.setBrush(kWarm);
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(12, 5, 2.5, 2.5));
        };
    case PM_LABELS:
        return [](QPainter& p) {
            Sheet(p, QRectF(2.5, 0.5, 11, 15));
            p.setPen(QPen(kAccent, 0.8));
            p.setBrush(QColor(220, 232, 248));
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 2; ++c)
                    p.drawRoundedRect(QRectF(3.8 + c * 4.6, 5 + r * 3.4, 3.8, 2.6), 0.8, 0.8);
        };
    case PM_MEMO:
    default:
        return [](QPainter& p) {
            Sheet(p, QRectF(2.5, 0.5, 11, 15));
            p.setPen(QPen(kInk, 1.4));
            p.drawLine(QPointF(4, 4), QPointF(8, 4));
            TextLines(p, 4.0, 12.0, 7.0, 4);
        };
    }
}

}  // namespace

QIcon PreviewIcon(PreviewPicture picture)
{
    return QIcon(new DrawnIconEngine(PreviewDrawing(picture)));
}

QIcon PrintStyleIcon(u32 style)
{
    return QIcon(new DrawnIconEngine(StyleDrawing(style)));
}
