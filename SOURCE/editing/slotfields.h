// The phone and e-mail fields of a contact page or dialog: each a type
// button that drops down the slot's type menu and an edit showing the
// value the slot holds. The fields write into the contact as the user
// types; a type pick moves the slot to another value (contactslots.h).
#pragma once

#include "editing/contactslots.h"

#include <QObject>
#include <vector>

class CMenuButton;
class QLineEdit;
class QMenu;

class CSlotFields : public QObject {
    Q_OBJECT
public:
    explicit CSlotFields(QObject* parent = nullptr);

    // Makes the button and the edit of a slot (children of parent), with
    // the slot's type as the button's caption.
    void Add(QWidget* parent, const ContactSlot& slot, int buttonId, int editId);
    CMenuButton* Button(int index) const { return m_fields[size_t(index)].button; }
    QLineEdit* Edit(int index) const { return m_fields[size_t(index)].edit; }
    const ContactSlot& Slot(int index) const { return m_fields[size_t(index)].slot; }
    int Count() const { return int(m_fields.size()); }

    // Shows the contact's values; the fields then write into it.
    void Load(Contact* contact);
    // Fills the menu of the button that asks; false for a button not here.
    bool FillMenu(int buttonId, QMenu* menu);
    // The item picked from the last menu filled becomes its field's type.
    void PickType();
    // Picks a type for a field directly (what a menu pick does).
    void PickTypeFor(int index, u32 type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        ContactSlot slot;
        CMenuButton* button;
        QLineEdit* edit;
    };
    void OnEdited(int index, const QString& text);
    void ShowCaption(Field& field);

    std::vector<Field> m_fields;
    Contact* m_contact = nullptr;
    int m_menuField = -1;
    int m_menuPick = -1;
};
