// The one drop target of the book tree and the contact grid: it decides the
// effect of a drag from the window, the kind of thing dragged, the formats
// offered and the Ctrl key, hands the drop to the window, and scrolls the
// tree while the cursor rests near its edge.
#pragma once

#include "platform/wintypes.h"

#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <vector>

class CBookTreeCtrl;
class CRGridCtrl;
class Contact;
class QWidget;

constexpr u32 DROPEFFECT_NONE = 0;
constexpr u32 DROPEFFECT_COPY = 1;
constexpr u32 DROPEFFECT_MOVE = 2;
constexpr u32 DROPEFFECT_SCROLL = 0x80000000;

constexpr int DROPMODE_TREE = 1;
constexpr int DROPMODE_GRID = 2;

// What the effect of a drag depends on.
struct DropQuery {
    int mode = 0;
    int sourceKind = 0;
    bool offersBook = false;
    bool offersContacts = false;
    bool ctrl = false;
    // Tree mode: the tree's classification of the point.
    int hover = 0;
    // Grid mode: the grid takes the offered files.
    bool gridAccepts = false;
};
u32 DropEffectOf(const DropQuery& query);

// The data of a contacts drag out of this program's grid: the payload for
// any target, and the ids of the contacts dragged, which only a target in
// this program sees.
class CContactDragData : public QMimeData {
    Q_OBJECT
public:
    explicit CContactDragData(const std::vector<Contact*>& contacts);
    const std::vector<u32>& ContactIds() const { return m_ids; }

private:
    std::vector<u32> m_ids;
};

class CTreeDropTarget : public QObject {
    Q_OBJECT
public:
    static constexpr int kScrollDelayMs = 250;
    static constexpr int kScrollInset = 11;

    // Serves the tree, or the grid; installs itself on the window's viewport,
    // which owns it.
    explicit CTreeDropTarget(CBookTreeCtrl* tree);
    explicit CTreeDropTarget(CRGridCtrl* grid);

    int Mode() const { return m_mode; }
    u32 OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, QPoint point);
    u32 OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, QPoint point);
    u32 OnDropEx(const QMimeData* data, u32 effect, QPoint point);
    void OnDragLeave();
    // The scroll direction of a point: low byte 0 left, 1 right, high byte
    // 0 above, 1 below, 0xFF for neither; 0xFFFF outside the border band.
    u32 ScrollDirection(QPoint point) const;
    // One step of the auto-scroll; false when the tree cannot scroll that way.
    bool ScrollStep(u32 direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTreeDropTarget(int mode, QWidget* viewport);
    void OnScrollTimer();
    void StopScroll();

    int m_mode;
    QWidget* m_viewport;
    CBookTreeCtrl* m_tree = nullptr;
    CRGridCtrl* m_grid = nullptr;
    u32 m_scrollDirection = 0xFFFF;
    QTimer m_scrollTimer;
};
