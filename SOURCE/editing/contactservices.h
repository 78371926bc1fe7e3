// The dialogs that the contact pages open but that live beside them: the
// book chooser for a contact's books, the address-format list and the
// picture file dialog. The program sets them once; a page whose dialog is
// not set leaves its button disabled.
#pragma once

#include <functional>
#include <string>
#include <vector>

class Book;
class QWidget;

struct ContactDialogServices {
    // The book chooser preset with the contact's books; true on OK with the
    // books ticked.
    std::function<bool(QWidget* parent, std::vector<Book*>& books)> chooseBooks;
    // The address-format list at the given format; true on OK with the
    // chosen one.
    std::function<bool(QWidget* parent, int& format)> chooseAddressFormat;
    // The picture file dialog preset with the current picture (path empty
    // for none); true on OK with the chosen file and its image type.
    std::function<bool(QWidget* parent, std::string& path, int& type)> choosePicture;
};

ContactDialogServices& ContactServices();
