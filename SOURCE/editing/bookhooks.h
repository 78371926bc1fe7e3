// The book dialogs as the main window's book commands run them: the chooser
// for new, rename, move and copy and for adding contacts to books, and the
// book properties.
#pragma once

#include <string>
#include <vector>

class Book;
class DataMan;
class QWidget;

class CBookHooks {
public:
    explicit CBookHooks(DataMan& dataMan)
        : m_dataMan(dataMan)
    {
    }

    // Mode 1 gives the ticked books; modes 2 and 3 the chosen book; mode 4
    // the name and the parent book; mode 5 takes and gives the name.
    bool ChooseBooks(QWidget* parent, int mode, std::vector<Book*>& books, std::string& name);
    // Stores and saves what the user changed; true when something did.
    bool BookProperties(QWidget* parent, Book& book, bool readOnly);

private:
    DataMan& m_dataMan;
};
