// The contact, book and preference dialogs, as the main window reaches
// them. They live in an area built on top of this one; the application
// installs an implementation. Until it does, the commands that need a
// dialog stay disabled.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <vector>

class Book;
class Contact;
class QWidget;

// Modes of the book chooser.
constexpr int BOOKCHOOSER_ADD = 1;
constexpr int BOOKCHOOSER_MOVE = 2;
constexpr int BOOKCHOOSER_COPY = 3;
constexpr int BOOKCHOOSER_NEW = 4;
constexpr int BOOKCHOOSER_RENAME = 5;

class CEditingHooks {
public:
    virtual ~CEditingHooks() = default;

    // The new-contact dialog, simple or full, with preset texts. Returns the
    // index at which DataMan appended the new contact, or -1 when the user
    // cancelled. switchMode: the user asked for the other kind of dialog.
    virtual int NewContact(
        QWidget* parent, bool simple, const std::string& phone, const std::string& mail, bool& switchMode)
        = 0;
    // Edits the contact in place; true on OK. page: the full dialog's start
    // page (-1 its first) in, the page shown last out.
    virtual bool EditContact(QWidget* parent, Contact& contact, bool simple, int& page, bool& switchMode) = 0;
    // The Preferences dialog at a start page (-1 the first); true on OK.
    virtual bool Preferences(QWidget* parent, int startPage) = 0;
    // The book chooser. Modes add, move and copy fill the chosen books; new
    // and rename take and give the name and, for new, the parent book.
    virtual bool ChooseBooks(QWidget* parent, int mode, std::vector<Book*>& books, std::string& name) = 0;
    // Book properties; true when the user changed them.
    virtual bool BookProperties(QWidget* parent, Book& book, bool readOnly) = 0;
};
