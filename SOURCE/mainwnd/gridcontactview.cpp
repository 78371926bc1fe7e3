#include "mainwnd/gridcontactview.h"

#include "core/dataman.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/wndmessage.h"

namespace {

// The grid of the container: whatever a drop brings into the store is saved
// at once, as every other change is.
class ContainerGrid : public CRGridCtrl {
public:
    ContainerGrid(DataMan& dataMan, UserMan& userMan, QWidget* parent)
        : CRGridCtrl(dataMan, userMan, parent)
        , m_dataMan(dataMan)
    {
    }
    u32 DropFiles(const QMimeData* data) override { return Saved(CRGridCtrl::DropFiles(data)); }
    u32 DropContacts(const QMimeData* data) override { return Saved(CRGridCtrl::DropContacts(data)); }

private:
    u32 Saved(u32 result)
    {
        m_dataMan.Save(DFK_DATA);
        return result;
    }

    DataMan& m_dataMan;
};

}  // namespace

CGridContactView::CGridContactView(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : m_grid(new ContainerGrid(dataMan, userMan, parent))
{
    m_grid->setObjectName(QStringLiteral("ContactList"));
    QObject::connect(m_grid, &CRGridCtrl::headerMenuRequested, m_grid, [this](int, QPoint at) {
        if (onHeaderMenu)
            onHeaderMenu(at);
    });
}

QWidget* CGridContactView::Viewport() const
{
    return m_grid->viewport();
}

void CGridContactView::SetCallInProgress(std::function<bool()> query)
{
    m_grid->SetCallInProgress(std::move(query));
}

bool CGridContactView::IsSelectionNotice(qintptr lParam)
{
    const auto* head = reinterpret_cast<const NMHDR*>(lParam);
    return head && head->code == GN_SELCHANGED;
}

bool CGridContactView::HeaderCommand(u32 id)
{
    return m_grid->OnHeaderCommand(id);
}

bool CGridContactView::HeaderMenuColumn() const
{
    return m_grid->GetMenuItem() >= 0;
}

void CGridContactView::ShowFieldChooser()
{
    m_grid->ShowFieldChooser();
}

QPoint CGridContactView::KeyboardMenuPoint() const
{
    const int row = m_grid->GetNextSelectedRow(-1);
    const QPoint corner = row >= 0 ? m_grid->GetCellRect(row, -1).topLeft() + QPoint(7, 7) : QPoint(1, 1);
    return m_grid->viewport()->mapToGlobal(corner);
}

QWidget* CGridContactView::Widget()
{
    return m_grid;
}

int CGridContactView::RowCount() const
{
    return m_grid->GetRowCount();
}

int CGridContactView::SelectedCount() const
{
    return m_grid->GetSelectedCount();
}

std::vector<Contact*> CGridContactView::SelectedContacts() const
{
    return m_grid->SelectedContacts();
}

std::vector<Contact*> CGridContactView::ShownContacts() const
{
    std::vector<Contact*> contacts;
    contacts.reserve(size_t(m_grid->GetRowCount()));
    for (int row = 0; row < m_grid->GetRowCount(); ++row)
        contacts.push_back(m_grid->GetRowContact(row));
    return contacts;
}

Contact* CGridContactView::FirstSelectedContact() const
{
    return m_grid->GetRowContact(m_grid->GetNextSelectedRow(-1));
}

void CGridContactView::Refill()
{
    m_grid->Refill(false, true);
    Notify();
}

void CGridContactView::Clear()
{
    m_grid->DeleteAllRows();
    Notify();
}

void CGridContactView::AddContact(Contact* contact, bool skipFilter)
{
    if (contact)
        m_grid->AddContactRow(contact, skipFilter, true);
}

void CGridContactView::RemoveContacts(std::span<Contact* const> contacts)
{
    std::vector<u32> ids;
    ids.reserve(contacts.size());
    for (const Contact* contact : contacts)
        ids.push_back(contact->m_duID);
    m_grid->ContactsRemoved(ids);
    Notify();
}

void CGridContactView::ContactChanged(Contact* contact)
{
    if (contact)
        m_grid->ContactChanged(contact->m_duID);
}

bool CGridContactView::SelectContact(Contact* contact)
{
    Contact* const one[] = {contact};
    SelectContacts(one);
    return contact && m_grid->FindContactRow(contact->m_duID) >= 0;
}

void CGridContactView::SelectContacts(std::span<Contact* const> contacts)
{
    for (int row = m_grid->GetNextSelectedRow(-1); row >= 0; row = m_grid->GetNextSelectedRow(row))
        m_grid->SetRowState(row, 0);
    int first = -1;
    for (const Contact* contact : contacts) {
        const int row = contact ? m_grid->FindContactRow(contact->m_duID) : -1;
        if (row < 0)
            continue;
        if (first < 0 || row < first)
            first = row;
        m_grid->SetRowState(row, GRS_SELECTED);
    }
    if (first >= 0) {
        m_grid->SetRowState(first, GRS_SELECTED | GRS_FOCUS);
        m_grid->EnsureVisible(first);
    }
    Notify();
}

void CGridContactView::SelectAllRows()
{
    m_grid->SelectAll();
}

void CGridContactView::SelectEverySecond()
{
    const int first = m_grid->GetNextSelectedRow(-1);
    if (first < 0)
        return;
    for (int row = first; row >= 0; row = m_grid->GetNextSelectedRow(row))
        m_grid->SetRowState(row, 0);
    for (int row = first; row < m_grid->GetRowCount(); row += 2)
        m_grid->SetRowState(row, row == first ? GRS_SELECTED | GRS_FOCUS : GRS_SELECTED);
    Notify();
}

void CGridContactView::SaveLayout()
{
    m_grid->SaveLayout();
}

void CGridContactView::Repaint()
{
    m_grid->viewport()->update();
}

void CGridContactView::Notify()
{
    if (onSelectionChanged)
        onSelectionChanged();
}
