#include "core/utilities.h"
#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "platform/ui/window.h"

#include <QRadioButton>
#include <QVBoxLayout>

CIEStartPage::CIEStartPage(CIESheet* sheet)
    : CIEPage(sheet, 120)
    , m_import(new QRadioButton(QStringLiteral("&Import operation"), this))
    , m_export(new QRadioButton(QStringLiteral("&Export operation"), this))
{
    Caption()->setText(QString::fromStdString(LoadResString(IDS_IE_TITLE)));
    SetDlgCtrlID(m_import, IDC_IE_IMPORT);
    SetDlgCtrlID(m_export, IDC_IE_EXPORT);
    Body()->addWidget(m_import);
    Body()->addWidget(m_export);
    Body()->addStretch(1);
}

void CIEStartPage::OnSetActive()
{
    ShowPicture();
    (Wizard().IsImport() ? m_import : m_export)->setChecked(true);
}

void CIEStartPage::OnKillActive()
{
    Wizard().SetDirection(m_import->isChecked() ? IED_IMPORT : IED_EXPORT);
}

QWidget* CIEStartPage::FirstControl() const
{
    return m_import->isChecked() ? m_import : m_export;
}
