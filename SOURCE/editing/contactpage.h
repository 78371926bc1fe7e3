// What the five pages of the contact properties dialog share: the host and
// its contact, the caption strip, context help, the drop-down menus of the
// type buttons, and a grid for the page's controls. A page shows the
// contact when the host starts a run (Load) and gives its fields back when
// the host stores (Store); the host writes them into the contact.
#pragma once

#include "controls/dialogpage.h"
#include "controls/menubutton.h"
#include "platform/msgbox.h"

class CDialogContactProps;
class Contact;
class QGridLayout;
class QLabel;
class QMenu;

class CContactPage : public CDialogPage, public CDropMenuOwner {
    Q_OBJECT
public:
    CContactPage(CDialogContactProps* host, int captionId, const char* caption, HelpPairs help);

    // Shows the host's contact; nothing when the host has none.
    void Load();
    // Takes the fields back (result back to none).
    virtual void Store() { m_nResult = kResultNone; }

    CDialogContactProps* Host() const { return m_pHost; }

protected:
    virtual void LoadFrom(Contact& contact) = 0;
    // A type button asks for its menu; false when it is not this page's.
    virtual bool FillDropMenu(int buttonId, QMenu* menu);
    // The item at the position of the last menu was picked.
    virtual void OnTypePicked(int position);

    QGridLayout* Grid() const { return m_grid; }
    // A label with a mnemonic for the control, at the grid position.
    QLabel* AddLabel(const QString& text, QWidget* buddy, int row, int column, Qt::Alignment align = {});

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDialogContactProps* m_pHost;
    QGridLayout* m_grid;
};
