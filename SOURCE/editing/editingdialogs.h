// The editing area's dialogs as the main window reaches them: the contact
// dialogs and Preferences here, the book dialogs from the base. The
// application installs one of these in the contacts container.
#pragma once

#include "editing/bookhooks.h"

class DataMan;
class UserMan;

class CEditingDialogs : public CBookHooks {
public:
    CEditingDialogs(DataMan& dataMan, UserMan& userMan);

    int NewContact(QWidget* parent, bool simple, const std::string& phone, const std::string& mail,
        bool& switchMode) override;
    bool EditContact(QWidget* parent, Contact& contact, bool simple, int& page, bool& switchMode) override;
    bool Preferences(QWidget* parent, int startPage) override;

private:
    UserMan& m_userMan;
};

// Gives the contact pages the dialogs that live beside them: the book
// chooser, the address-format list and the picture file dialog.
void InstallContactServices(DataMan& dataMan);
