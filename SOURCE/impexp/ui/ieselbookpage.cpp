#include "core/dataman.h"
#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QTreeWidget>
#include <QVBoxLayout>

CIESelBookPage::CIESelBookPage(CIESheet* sheet)
    : CIEPage(sheet, 124)
    , m_tree(new QTreeWidget(this))
    , m_check(new QCheckBox(this))
{
    SetDlgCtrlID(m_tree, IDC_IE_BOOKS);
    SetDlgCtrlID(m_check, IDC_IE_DUPLICATES);
    m_tree->setHeaderHidden(true);
    Caption()->setBuddy(m_tree);
    Body()->addWidget(m_tree, 1);
    Body()->addWidget(m_check);
}

void CIESelBookPage::AddItems(QTreeWidgetItem* parent, const std::vector<BookTreeItem>& items)
{
    for (const BookTreeItem& item : items) {
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        node->setText(0, QString::fromStdString(item.name));
        node->setData(0, Qt::UserRole, item.book->m_duID);
        AddItems(node, item.children);
    }
}

void CIESelBookPage::OnSetActive()
{
    IEWizard& wizard = Wizard();
    DataMan& dm = Sheet()->Data();
    Caption()->setText(wizard.IsImport() ? QStringLiteral("Select a book to import to")
                                         : QStringLiteral("Select a book to export from"));
    m_check->setText(
        wizard.IsImport() ? QStringLiteral("Allow duplicates") : QStringLiteral("Include subbooks"));
    m_check->setChecked(wizard.m_state.m_nDuplicatesFlag == 0);
    ShowPicture();
    m_tree->clear();
    std::vector<BookTreeItem> items;
    if (const Book* root = dm.GetRootBook())
        dm.FillBookTree(items, root->m_duID, false);
    AddItems(nullptr, items);
    const Book* chosen = wizard.m_state.m_pTargetBook ? wizard.m_state.m_pTargetBook : dm.GetCurrentBook();
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (chosen && (*it)->data(0, Qt::UserRole).toUInt() == chosen->m_duID) {
            m_tree->setCurrentItem(*it);
            for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
                up->setExpanded(true);
            (*it)->setExpanded(true);
            m_tree->scrollToItem(*it);
            break;
        }
    }
    if (m_tree->topLevelItemCount() > 0)
        m_tree->topLevelItem(0)->setExpanded(true);
}

void CIESelBookPage::OnKillActive()
{
    IEWizard& wizard = Wizard();
    if (const QTreeWidgetItem* item = m_tree->currentItem())
        wizard.m_state.m_pTargetBook = Sheet()->Data().FindBook(item->data(0, Qt::UserRole).toUInt());
    wizard.m_state.m_nDuplicatesFlag = m_check->isChecked() ? 0 : 1;
}

QWidget* CIESelBookPage::FirstControl() const
{
    return m_tree;
}
