// What the contacts container asks of the contact list. The list speaks
// contacts, never row numbers: the container, the frame and printing ask it
// for the selected and shown contacts.
#pragma once

#include <functional>
#include <span>
#include <vector>

class Contact;
class QWidget;

class ContactListView {
public:
    virtual ~ContactListView() = default;

    virtual QWidget* Widget() = 0;
    virtual int RowCount() const = 0;
    virtual int SelectedCount() const = 0;
    // In row order.
    virtual std::vector<Contact*> SelectedContacts() const = 0;
    virtual std::vector<Contact*> ShownContacts() const = 0;
    // The contact of the first selected row, or null.
    virtual Contact* FirstSelectedContact() const = 0;

    // Fills the list with the current book's contacts that pass the filter.
    virtual void Refill() = 0;
    virtual void Clear() = 0;
    // The filter may refuse the contact unless skipFilter is set.
    virtual void AddContact(Contact* contact, bool skipFilter) = 0;
    virtual void RemoveContacts(std::span<Contact* const> contacts) = 0;
    // The contact whose row takes the place of the first of these once they
    // are gone: the next row not among them, else the closest one above;
    // null when no row would be left.
    virtual Contact* ContactAfterRemoving(std::span<Contact* const> contacts) const = 0;
    virtual void ContactChanged(Contact* contact) = 0;
    // Selects, focuses and shows the contact's row alone; false when it has none.
    virtual bool SelectContact(Contact* contact) = 0;
    // Selects these contacts' rows alone; the first gets the focus.
    virtual void SelectContacts(std::span<Contact* const> contacts) = 0;
    virtual void SelectAllRows() = 0;
    // Clears the selection and selects the first selected row and every
    // second row after it.
    virtual void SelectEverySecond() = 0;
    // Keeps the column layout in the current book.
    virtual void SaveLayout() = 0;
    // Takes up the fonts and colours the preferences hold now.
    virtual void ApplySettings() = 0;
    virtual void Repaint() = 0;

    // Set by the container: the selection changed; a row was activated.
    std::function<void()> onSelectionChanged;
    std::function<void()> onRowActivated;
};
