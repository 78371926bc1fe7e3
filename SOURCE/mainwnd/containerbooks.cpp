// The container's side of the book pane: its pop-up under the banner, the
// Book tree command, and the wiring of drag and drop between the grid and
// the book tree.
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/popupwnd.h"
#include "mainwnd/rgridctrl.h"
#include "mainwnd/treedroptarget.h"

void CContainerWnd::WireDragAndDrop()
{
    CRGridCtrl* grid = m_grid->Ctrl();
    grid->SetDragDataMaker([](const std::vector<Contact*>& contacts) -> QMimeData* {
        return contacts.empty() ? nullptr : new CContactDragData(contacts);
    });
    new CTreeDropTarget(grid);

    CBookTreeCtrl* tree = m_bookPane->Tree();
    // Found in every book, a contact moved by a drop leaves all of them for
    // the target and is still found there: its row stays.
    const auto searchedEverywhere = [this] { return m_bFindMode && m_bFindAllBooks; };
    tree->movedFrom = [this, searchedEverywhere](const Contact& contact) {
        std::vector<Book*> books;
        if (searchedEverywhere()) {
            for (u32 id : contact.m_books) {
                if (Book* book = m_dataMan.FindBook(id))
                    books.push_back(book);
            }
        } else if (Book* current = m_dataMan.GetCurrentBook()) {
            books.push_back(current);
        }
        return books;
    };
    tree->contactsLeft = [this, searchedEverywhere](const std::vector<Contact*>& contacts) {
        if (searchedEverywhere()) {
            for (Contact* contact : contacts)
                m_grid->ContactChanged(contact);
            return;
        }
        m_grid->RemoveContacts(contacts);
        if (m_infoPane)
            m_infoPane->FillHtml(nullptr);
        m_pInfoContact = nullptr;
        UpdateCount();
    };
    tree->deleteContacts = [this](const std::vector<Contact*>& contacts) { DeleteContacts(contacts); };
    tree->contactsAdded = [this] { RefreshGrid(); };
}

void CContainerWnd::OpenBookPopup()
{
    if (m_bookPane->DockState() == BOOKPANE_DOCKED)
        return;
    // Under the banner, as wide as the docked pane would be, down to the
    // container's bottom. The pop-up's border comes on top of the pane's
    // width, so docking it again keeps the width the user set.
    const int maxWidth = std::max(CDockWnd::kMinWidth, width() - 95);
    const int paneWidth = std::clamp(int(m_userMan.m_nTreeDimX), CDockWnd::kMinWidth, maxWidth);
    const QPoint topLeft = mapToGlobal(QPoint(0, 30));
    CPopupWnd* popup = m_bookPane->OpenPopup(
        QRect(topLeft, QSize(paneWidth + 2 * CPopupWnd::kBorder, std::max(1, height() - 30))));
    // The book button stays held down while its pop-up is open.
    if (popup) {
        m_banner->HoldBookButton();
        connect(popup, &QObject::destroyed, m_banner, &CBookBanner::ReleaseBookButton);
    }
}

void CContainerWnd::OnViewBookTree()
{
    // A closed pane first drops down, and its caption button docks it.
    if (m_bookPane->DockState() == BOOKPANE_CLOSED)
        OpenBookPopup();
    m_bookPane->OnCaptionButton();
}
