// The contact grid as the container speaks to it: contacts, not rows.
// Only this file's code sees the grid's own header.
#pragma once

#include "mainwnd/contactview.h"
#include "platform/wintypes.h"

#include <QByteArray>
#include <QPoint>
#include <QtGlobal>

class CRGridCtrl;
class DataMan;
class UserMan;

class CGridContactView : public ContactListView {
public:
    // Makes the grid as a child of the parent.
    CGridContactView(DataMan& dataMan, UserMan& userMan, QWidget* parent);

    CRGridCtrl* Ctrl() const { return m_grid; }
    QWidget* Viewport() const;
    void SetCallInProgress(std::function<bool()> query);
    // Whether a WM_NOTIFY's head says that the selection changed.
    static bool IsSelectionNotice(qintptr lParam);
    // The header's menu: asked for at a screen point; its commands act on
    // the column under it.
    std::function<void(QPoint globalPos)> onHeaderMenu;
    bool HeaderCommand(u32 id);
    // The selected rows as other programs take them from the clipboard: per
    // row the shown cells in header order, trimmed, each non-empty one
    // followed by a tab; every row ends with CR LF.
    QByteArray SelectedRowsText() const;
    // Rows for many contacts at once, past the filter, shown once at the end.
    void AddContacts(std::span<Contact* const> contacts);
    bool HeaderMenuColumn() const;
    void ShowFieldChooser();
    // Where a menu opened from the keyboard appears, on the screen.
    QPoint KeyboardMenuPoint() const;

    QWidget* Widget() override;
    int RowCount() const override;
    int SelectedCount() const override;
    std::vector<Contact*> SelectedContacts() const override;
    std::vector<Contact*> ShownContacts() const override;
    Contact* FirstSelectedContact() const override;
    void Refill() override;
    void Clear() override;
    void AddContact(Contact* contact, bool skipFilter) override;
    void RemoveContacts(std::span<Contact* const> contacts) override;
    Contact* ContactAfterRemoving(std::span<Contact* const> contacts) const override;
    void ContactChanged(Contact* contact) override;
    bool SelectContact(Contact* contact) override;
    void SelectContacts(std::span<Contact* const> contacts) override;
    void SelectAllRows() override;
    void SelectEverySecond() override;
    void SaveLayout() override;
    void ApplySettings() override;
    void Repaint() override;

private:
    void Notify();

    CRGridCtrl* m_grid;
};
