#include "mainwnd/gridcontactview.h"

#include "core/dataman.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/wndmessage.h"

#include <unordered_set>

CGridContactView::CGridContactView(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : m_grid(new CRGridCtrl(dataMan, userMan, parent))
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

QByteArray CGridContactView::SelectedRowsText() const
{
    const std::vector<int> columns = m_grid->GetShownColumns();
    QByteArray text;
    for (int row = m_grid->GetNextSelectedRow(-1); row >= 0; row = m_grid->GetNextSelectedRow(row)) {
        for (int column : columns) {
            const QByteArray cell = m_grid->GetCellText(row, column).trimmed().toUtf8();
            if (!cell.isEmpty())
                text += cell + '\t';
        }
        text += "\r\n";
    }
    return text;
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

void CGridContactView::AddContacts(std::span<Contact* const> contacts)
{
    for (size_t i = 0; i < contacts.size(); ++i)
        m_grid->AddContactRow(contacts[i], true, i + 1 == contacts.size());
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

Contact* CGridContactView::ContactAfterRemoving(std::span<Contact* const> contacts) const
{
    std::unordered_set<u32> going;
    int first = -1;
    for (const Contact* contact : contacts) {
        going.insert(contact->m_duID);
        const int row = m_grid->FindContactRow(contact->m_duID);
        if (row >= 0 && (first < 0 || row < first))
            first = row;
    }
    if (first < 0)
        return nullptr;
    const auto stays = [&](int row) {
        Contact* contact = m_grid->GetRowContact(row);
        return contact && !going.count(contact->m_duID) ? contact : nullptr;
    };
    for (int row = first + 1; row < m_grid->GetRowCount(); ++row) {
        if (Contact* contact = stays(row))
            return contact;
    }
    for (int row = first - 1; row >= 0; --row) {
        if (Contact* contact = stays(row))
            return contact;
    }
    return nullptr;
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

void CGridContactView::ApplySettings()
{
    m_grid->ApplySettings(true, true);
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
