// The editing area's dialogs as the main window reaches them: the
// application installs one of these in the contacts container.
#pragma once

#include "mainwnd/editinghooks.h"

class DataMan;
class UserMan;

class CEditingDialogs : public CEditingHooks {
public:
    CEditingDialogs(DataMan& dataMan, UserMan& userMan);

    int NewContact(QWidget* parent, bool simple, const std::string& phone, const std::string& mail,
        bool& switchMode) override;
    bool EditContact(QWidget* parent, Contact& contact, bool simple, int& page, bool& switchMode) override;
    bool Preferences(QWidget* parent, int startPage) override;
    bool ChooseBooks(QWidget* parent, int mode, std::vector<Book*>& books, std::string& name) override;
    bool BookProperties(QWidget* parent, Book& book, bool readOnly) override;

private:
    DataMan& m_dataMan;
    UserMan& m_userMan;
};
