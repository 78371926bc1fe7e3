// A plain list of the contacts' names: the contact list of the container
// until the contact grid takes its place.
#pragma once

#include "mainwnd/contactview.h"

#include <QListView>
#include <memory>

class DataMan;
class SimpleContactModel;

class CSimpleContactList : public QListView, public ContactListView {
    Q_OBJECT
public:
    CSimpleContactList(DataMan& dataMan, QWidget* parent = nullptr);
    ~CSimpleContactList() override;

    QWidget* Widget() override { return this; }
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
    void SaveLayout() override { }
    void Repaint() override { viewport()->update(); }

private:
    std::vector<int> SelectedRows() const;

    DataMan& m_dataMan;
    std::unique_ptr<SimpleContactModel> m_model;
};
