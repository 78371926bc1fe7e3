#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CIETypePage::CIETypePage(CIESheet* sheet)
    : CIEPage(sheet, 121)
    , m_list(new QListWidget(this))
{
    SetDlgCtrlID(m_list, IDC_IE_FORMATS);
    Caption()->setBuddy(m_list);
    Body()->addWidget(m_list, 1);
    connect(m_list, &QListWidget::currentRowChanged, this, &CIETypePage::OnSelect);
    connect(m_list, &QListWidget::itemDoubleClicked, sheet, &CIESheet::PressNext);
}

void CIETypePage::OnSetActive()
{
    IEWizard& wizard = Wizard();
    Caption()->setText(wizard.IsImport() ? QStringLiteral("Select &source to import from:")
                                         : QStringLiteral("Select export &destination:"));
    const QSignalBlocker block(m_list);
    m_list->clear();
    int selected = 0;
    for (const IEFormatRow& row : wizard.FormatRows()) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.text), m_list);
        item->setData(Qt::UserRole, row.format);
        if (row.format == wizard.m_nFormat)
            selected = m_list->count() - 1;
    }
    m_list->setCurrentRow(selected);
    wizard.SelectFormat(m_list->currentItem()->data(Qt::UserRole).toInt());
    ShowPicture();
}

void CIETypePage::OnSelect()
{
    // A change that leaves no row selected takes the first one.
    if (!m_list->currentItem() && m_list->count() > 0)
        m_list->setCurrentRow(0);
    if (QListWidgetItem* item = m_list->currentItem())
        Wizard().SelectFormat(item->data(Qt::UserRole).toInt());
    ShowPicture();
    Sheet()->UpdateButtons();
}

QWidget* CIETypePage::FirstControl() const
{
    return m_list;
}
