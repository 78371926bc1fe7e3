// The contact grid as the container speaks to it: contacts, not rows.
#pragma once

#include "mainwnd/contactview.h"

class CRGridCtrl;

class CGridContactView : public ContactListView {
public:
    explicit CGridContactView(CRGridCtrl* grid);

    CRGridCtrl* Ctrl() const { return m_grid; }

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
    void ContactChanged(Contact* contact) override;
    bool SelectContact(Contact* contact) override;
    void SelectContacts(std::span<Contact* const> contacts) override;
    void SelectAllRows() override;
    void SelectEverySecond() override;
    void SaveLayout() override;
    void Repaint() override;

private:
    void Notify();

    CRGridCtrl* m_grid;
};
