// The pop-up window of the book pane: a tool window that drops down under
// the banner's book button and holds the pane until it is closed or docked.
// Only its right border sizes it.
#pragma once

#include <QPointer>
#include <QWidget>

class CDockWnd;

class CPopupWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 4;

    // Takes the pane from its parent and shows it at the rectangle of the
    // screen; the owner is the banner.
    CPopupWnd(QWidget* owner, CDockWnd* pane, const QRect& screenRect);
    ~CPopupWnd() override;

    // Gives the pane back to its previous parent, closed or to be laid out
    // there again, and goes.
    void ReturnPane(bool close);
    bool OnRightBorder(QPoint pos) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int MaxWidth() const;

    QPointer<QWidget> m_prevParent;
    QPointer<CDockWnd> m_pane;
    bool m_bSizing = false;
    int m_nSizeOffset = 0;
};
