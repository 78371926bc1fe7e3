#include "mainwnd/simplecontactlist.h"

#include "core/dataman.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <algorithm>
#include <unordered_set>

class SimpleContactModel : public QAbstractListModel {
public:
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows.size()))
            return {};
        return QString::fromStdString(rows[size_t(index.row())]->m_strName);
    }
    void Append(Contact* contact)
    {
        const int row = int(rows.size());
        beginInsertRows({}, row, row);
        rows.push_back(contact);
        endInsertRows();
    }
    void Reset(std::vector<Contact*> contacts)
    {
        beginResetModel();
        rows = std::move(contacts);
        endResetModel();
    }

    std::vector<Contact*> rows;
};

CSimpleContactList::CSimpleContactList(DataMan& dataMan, QWidget* parent)
    : QListView(parent)
    , m_dataMan(dataMan)
    , m_model(std::make_unique<SimpleContactModel>())
{
    setModel(m_model.get());
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (onSelectionChanged)
            onSelectionChanged();
    });
    connect(this, &QListView::activated, this, [this] {
        if (onRowActivated)
            onRowActivated();
    });
}

CSimpleContactList::~CSimpleContactList()
{
    setModel(nullptr);
}

int CSimpleContactList::RowCount() const
{
    return int(m_model->rows.size());
}

std::vector<int> CSimpleContactList::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CSimpleContactList::SelectedCount() const
{
    return int(selectionModel()->selectedRows().size());
}

std::vector<Contact*> CSimpleContactList::SelectedContacts() const
{
    std::vector<Contact*> contacts;
    for (int row : SelectedRows())
        contacts.push_back(m_model->rows[size_t(row)]);
    return contacts;
}

std::vector<Contact*> CSimpleContactList::ShownContacts() const
{
    return m_model->rows;
}

Contact* CSimpleContactList::FirstSelectedContact() const
{
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? nullptr : m_model->rows[size_t(rows.front())];
}

void CSimpleContactList::Refill()
{
    std::vector<Contact*> contacts;
    if (const Book* book = m_dataMan.GetCurrentBook()) {
        size_t position = 0;
        while (Contact* contact = book->GetNextContact(m_dataMan, position)) {
            if (m_dataMan.IsContactShown(contact))
                contacts.push_back(contact);
        }
    }
    m_model->Reset(std::move(contacts));
}

void CSimpleContactList::Clear()
{
    m_model->Reset({});
}

void CSimpleContactList::AddContact(Contact* contact, bool skipFilter)
{
    if (!contact || (!skipFilter && !m_dataMan.IsContactShown(contact)))
        return;
    m_model->Append(contact);
}

void CSimpleContactList::RemoveContacts(std::span<Contact* const> contacts)
{
    const std::unordered_set<const Contact*> gone(contacts.begin(), contacts.end());
    std::vector<Contact*> rows = m_model->rows;
    std::erase_if(rows, [&](const Contact* c) { return gone.count(c) != 0; });
    m_model->Reset(std::move(rows));
}

void CSimpleContactList::ContactChanged(Contact* contact)
{
    const auto it = std::find(m_model->rows.begin(), m_model->rows.end(), contact);
    if (it == m_model->rows.end())
        return;
    const QModelIndex index = m_model->index(int(it - m_model->rows.begin()));
    emit m_model->dataChanged(index, index);
}

bool CSimpleContactList::SelectContact(Contact* contact)
{
    const auto it = std::find(m_model->rows.begin(), m_model->rows.end(), contact);
    if (it == m_model->rows.end())
        return false;
    const QModelIndex index = m_model->index(int(it - m_model->rows.begin()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    return true;
}

void CSimpleContactList::SelectAllRows()
{
    selectAll();
}

void CSimpleContactList::SelectEverySecond()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    QItemSelection selection;
    for (int row = rows.front(); row < RowCount(); row += 2)
        selection.select(m_model->index(row), m_model->index(row));
    selectionModel()->setCurrentIndex(m_model->index(rows.front()), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CSimpleContactList::SelectContacts(std::span<Contact* const> contacts)
{
    const std::unordered_set<const Contact*> wanted(contacts.begin(), contacts.end());
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row < RowCount(); ++row) {
        if (!wanted.count(m_model->rows[size_t(row)]))
            continue;
        selection.select(m_model->index(row), m_model->index(row));
        if (first < 0)
            first = row;
    }
    if (first >= 0)
        selectionModel()->setCurrentIndex(m_model->index(first), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}
