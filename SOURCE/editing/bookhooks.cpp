#include "editing/bookhooks.h"

#include "core/dataman.h"
#include "editing/bookchooser.h"
#include "editing/bookprops.h"

#include <QString>

bool CBookHooks::ChooseBooks(QWidget* parent, int mode, std::vector<Book*>& books, std::string& name)
{
    CDialogBookChooser dialog(m_dataMan, parent);
    dialog.m_nMode = mode;
    dialog.m_strName = name;
    if (mode == CDialogBookChooser::kModeContactBooks)
        dialog.m_books = books;
    if (dialog.DoModal() != IDOK)
        return false;
    switch (mode) {
    case CDialogBookChooser::kModeContactBooks:
        books = dialog.m_books;
        break;
    case CDialogBookChooser::kModeRename:
        name = dialog.m_strName;
        break;
    case CDialogBookChooser::kModeNewBook:
        name = dialog.m_strName;
        books = {dialog.m_pChosenBook};
        break;
    default:
        books = {dialog.m_pChosenBook};
        break;
    }
    return true;
}

bool CBookHooks::BookProperties(QWidget* parent, Book& book, bool readOnly)
{
    u32 contacts = 0;
    u32 subBooks = 0;
    book.CountMembers(m_dataMan, contacts, subBooks);
    CDialogBookProps dialog(parent);
    dialog.m_strTitle = book.m_strName;
    dialog.m_strName = book.m_strName;
    dialog.m_strDescription = book.m_strDescription;
    const auto count = [](u32 n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    dialog.m_strInfo = QStringLiteral("This book contains %1 and %2")
                           .arg(count(subBooks, "book", "books"), count(contacts, "contact", "contacts"))
                           .toStdString();
    dialog.m_nIcon = int(book.m_dwImage);
    dialog.m_bReadOnlyName = readOnly;
    if (dialog.DoModal() != IDOK)
        return false;
    const bool renamed = !readOnly && dialog.m_strName != book.m_strName;
    const bool described = dialog.m_strDescription != book.m_strDescription;
    if (!renamed && !described)
        return false;
    if (renamed)
        book.m_strName = dialog.m_strName;
    book.m_strDescription = dialog.m_strDescription;
    book.SetModified();
    // Saved here as well as by the caller: the description of a built-in
    // book changes too, and the caller saves only books it may rename.
    m_dataMan.Save(DFK_DATA);
    return true;
}
