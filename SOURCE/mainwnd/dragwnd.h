// The floating windows of a column drag: CDragWnd, a copy of the header
// item that follows the cursor, and CDropWnd, the two arrows that mark
// where the item would land.
#pragma once

#include "mainwnd/flatheader.h"

#include <QPointer>
#include <QWidget>

class CDragWnd : public QWidget {
    Q_OBJECT
public:
    CDragWnd();

    // A rectangle in screen coordinates; the item is drawn by the header.
    bool Create(const QRect& rect, CFlatHeaderCtrl* header, int item, const HeaderItem& description);
    // Centres the window on a screen point, shown without activation.
    void CentreOn(QPoint globalPos);
    const HeaderItem& Item() const { return m_item; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<CFlatHeaderCtrl> m_header;
    int m_nItem = -1;
    HeaderItem m_item;
};

class CDropWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 12;
    static constexpr int kExtraHeight = 20;

    explicit CDropWnd(COLORREF colour);

    // Shapes the arrows around a header of that height.
    bool Create(int headerHeight);
    // Puts the arrows' centre line on x and their middle on y (screen).
    void MoveTo(int x, int y);
    int WindowHeight() const { return m_nHeight; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    int m_nHeight = 0;
};
