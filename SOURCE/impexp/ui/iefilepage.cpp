#include "core/utilities.h"
#include "impexp/ui/iefilechooser.h"
#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "platform/ui/window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CIEFilePage::CIEFilePage(CIESheet* sheet)
    : CIEPage(sheet, 123)
    , m_path(new QLineEdit(this))
    , m_browse(new QPushButton(QStringLiteral("Bro&wse..."), this))
    , m_default(new QPushButton(QStringLiteral("&Use default address book"), this))
{
    SetDlgCtrlID(m_path, IDC_IE_PATH);
    SetDlgCtrlID(m_browse, IDC_IE_BROWSE);
    SetDlgCtrlID(m_default, IDC_IE_DEFAULT_BOOK);
    for (QPushButton* button : {m_browse, m_default})
        button->setAutoDefault(false);
    Caption()->setBuddy(m_path);
    auto* row = new QHBoxLayout;
    row->addWidget(m_path, 1);
    row->addWidget(m_browse);
    Body()->addLayout(row);
    Body()->addWidget(m_default, 0, Qt::AlignLeft);
    Body()->addStretch(1);
    connect(m_browse, &QPushButton::clicked, this, &CIEFilePage::OnBrowse);
    connect(m_default, &QPushButton::clicked, this, &CIEFilePage::OnDefaultBook);
}

void CIEFilePage::OnSetActive()
{
    const IEWizard& wizard = Wizard();
    Caption()->setText(
        wizard.IsImport() ? QStringLiteral("&File to import:") : QStringLiteral("&Save exported file as:"));
    m_path->setText(QString::fromStdString(wizard.Path()));
    m_default->setVisible(wizard.ShowsDefaultAddressBook());
    ShowPicture();
}

void CIEFilePage::OnKillActive()
{
    Wizard().Path() = m_path->text().toStdString();
}

QWidget* CIEFilePage::FirstControl() const
{
    return m_path;
}

void CIEFilePage::OnBrowse()
{
    const IEWizard& wizard = Wizard();
    const IEFileFilter filter = IEWizard::FileFilter(wizard.m_nFormat);
    QString chosen;
    const auto result = CurrentFileChooser().Choose(this, wizard.IsImport(), m_path->text(),
        QString::fromUtf8(filter.filter), QString::fromUtf8(filter.defaultExtension), chosen);
    if (result == IEFileChooser::kChosen)
        m_path->setText(chosen);
    else if (result == IEFileChooser::kFailed)
        MsgStop(IDS_IE_FILE_DIALOG_FAILED, this);
    m_path->setFocus();
}

void CIEFilePage::OnDefaultBook()
{
    m_path->clear();
    Sheet()->PressFinish();
}
