// A report list with a flat header: every header item gets a thin frame,
// sunken while it is pressed.
#pragma once

#include "platform/wintypes.h"

#include <QHeaderView>
#include <QTreeWidget>

class CColorListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CColorListHeader(QWidget* parent = nullptr);
    int PressedSection() const { return m_pressed; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_pressed = -1;
};

class CColorListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // Flag bit 0: rows are not erased before they are repainted.
    static constexpr u32 kKeepRows = 0x1;

    explicit CColorListCtrl(QWidget* parent = nullptr);

    void SetFlags(u32 flags) { m_dwFlags = flags; }
    u32 GetFlags() const { return m_dwFlags; }

private:
    u32 m_dwFlags = 0;
};
