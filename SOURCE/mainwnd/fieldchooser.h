// Choosing fields: the modeless "Field chooser" tool window, whose list of
// fields not shown in the grid is dragged onto the grid's header, and the
// modal "Choose fields" dialog of the fields quick find searches.
#pragma once

#include "controls/framedialog.h"
#include "platform/wintypes.h"

#include <QDialog>
#include <QListWidget>
#include <QPointer>

class CDragWnd;
class CFlatButton;
class CGradientCaption;
class CRGridCtrl;
class QComboBox;
class UserMan;

class CFieldListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1005;

    CFieldListBox(CRGridCtrl* grid, QWidget* parent);
    ~CFieldListBox() override;

    // Lists the catalogue's fields of the groups in the mask that the grid
    // does not show; -1 keeps the mask last used.
    void Fill(int mask);
    u32 Mask() const { return m_mask; }
    // The listed column ids, in list order.
    std::vector<int> Columns() const;

    // The steps of a drag, by screen points.
    bool BeginDrag(QPoint globalPos);
    void Dragging(QPoint globalPos);
    void CancelDrag();
    void Dropped(QPoint globalPos);
    bool IsDragging() const { return m_nDragIndex >= 0; }
    int InsertPosition() const { return m_nInsertPos; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void EndDrag();

    QPointer<CRGridCtrl> m_grid;
    u32 m_mask = 1;
    int m_nDragColumn = -1;
    int m_nDragIndex = -1;
    int m_nInsertPos = -1;
    bool m_bMoved = false;
    QPointer<CDragWnd> m_dragWnd;
};

class CFieldChooserDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 141;
    static constexpr int kCaptionId = 1349;
    static constexpr int kGroupComboId = 1517;
    static constexpr int kRestoreId = 1518;

    explicit CFieldChooserDlg(CRGridCtrl* grid);
    ~CFieldChooserDlg() override;

    CFieldListBox* List() const { return m_list; }
    QComboBox* Groups() const { return m_groups; }
    CFlatButton* RestoreButton() const { return m_restore; }

private:
    void OnGroupChanged(int index);
    void OnRestoreDefaults();

    QPointer<CRGridCtrl> m_grid;
    CGradientCaption* m_caption;
    QComboBox* m_groups;
    CFieldListBox* m_list;
    CFlatButton* m_restore;
};

class CDialogChooseFields : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 149;
    static constexpr int kListId = 1549;

    explicit CDialogChooseFields(UserMan& userMan, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    UserMan& m_userMan;
    QListWidget* m_list;
};
