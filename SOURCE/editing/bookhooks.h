// The book dialogs as the main window's book commands run them: the chooser
// for new, rename, move and copy and for adding contacts to books, and the
// book properties. The contact dialogs and Preferences come from a class
// derived from this one; here they answer as cancelled.
#pragma once

#include "mainwnd/editinghooks.h"

class DataMan;

class CBookHooks : public CEditingHooks {
public:
    explicit CBookHooks(DataMan& dataMan)
        : m_dataMan(dataMan)
    {
    }

    int NewContact(QWidget*, bool, const std::string&, const std::string&, bool&) override { return -1; }
    bool EditContact(QWidget*, Contact&, bool, int&, bool&) override { return false; }
    bool Preferences(QWidget*, int) override { return false; }

    // Mode 1 gives the ticked books; modes 2 and 3 the chosen book; mode 4
    // the name and the parent book; mode 5 takes and gives the name.
    bool ChooseBooks(QWidget* parent, int mode, std::vector<Book*>& books, std::string& name) override;
    // Stores and saves what the user changed; true when something did.
    bool BookProperties(QWidget* parent, Book& book, bool readOnly) override;

protected:
    DataMan& m_dataMan;
};
