// The tool bar of the print preview: print, page by page, one or two pages,
// zoom, page setup and close, each a button with its text.
#pragma once

#include "platform/wintypes.h"

#include <QWidget>

class QAction;
class QToolBar;

constexpr u32 AFX_IDW_PREVIEW_BAR = 0xE802;
constexpr u32 AFX_IDW_TOOLBAR = 0xE800;

class CPreviewBar : public QWidget {
    Q_OBJECT
public:
    explicit CPreviewBar(QWidget* parent = nullptr);

    // The button of a command; null for one the bar does not have.
    QAction* Action(u32 id) const;
    // The one-or-two-pages button shows what it switches to.
    void SetNumPageImage(int pagesShown);
    int BarHeight() const;

signals:
    void command(u32 id);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QToolBar* m_toolBar;
    int m_nPagesShown = 0;
};
