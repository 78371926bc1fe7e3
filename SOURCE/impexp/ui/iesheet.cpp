#include "impexp/ui/iesheet.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/utilities.h"
#include "impexp/ui/iepages.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The sheet draws itself; the flat look leaves it and its children alone.
constexpr u32 kOwnLook = 0x80000000;

CFlatButton* MakeButton(const char* text, int id, QWidget* parent)
{
    auto* button = new CFlatButton(QString::fromUtf8(text), parent);
    SetDlgCtrlID(button, id);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CIESheet::CIESheet(IEWizard& wizard, DataMan& dataMan, QWidget* parent)
    : QDialog(parent)
    , m_wizard(wizard)
    , m_dm(dataMan)
    , m_stack(new QStackedWidget(this))
{
    SetWindowUserData(this, kOwnLook);
    setWindowTitle(QString::fromStdString(m_wizard.Title()));
    m_pages = {new CIEStartPage(this), new CIETypePage(this), new CIESelBookPage(this), new CIEFilePage(this),
        new CIEFieldsPage(this)};
    for (CIEPage* page : m_pages)
        m_stack->addWidget(page);
    EnableContextHelp(m_pages[0], {{IDC_IE_IMPORT, 1220}, {IDC_IE_EXPORT, 1221}});
    EnableContextHelp(m_pages[1], {{IDC_IE_FORMATS, 1222}});
    EnableContextHelp(m_pages[2], {{IDC_IE_BOOKS, 1223}, {IDC_IE_DUPLICATES, 1224}});
    EnableContextHelp(m_pages[3], {{IDC_IE_PATH, 1225}, {IDC_IE_BROWSE, 1226}, {IDC_IE_DEFAULT_BOOK, 1227}});
    EnableContextHelp(m_pages[4],
        {{IDC_IE_MAPPING, 1228}, {IDC_IE_FIRST_LINE, 1229}, {IDC_IE_DATE_FORMAT, 1230}, {IDC_IE_CHANGE, 1231},
            {IDC_IE_SEPARATOR, 1232}});

    m_back = MakeButton("< &Back", ID_WIZBACK, this);
    m_next = MakeButton("&Next >", ID_WIZNEXT, this);
    m_finish = MakeButton("Finish", ID_WIZFINISH, this);
    m_cancel = MakeButton("Cancel", IDCANCEL, this);
    connect(m_back, &QPushButton::clicked, this, &CIESheet::PressBack);
    connect(m_next, &QPushButton::clicked, this, &CIESheet::PressNext);
    connect(m_finish, &QPushButton::clicked, this, &CIESheet::PressFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    SetDlgCtrlID(divider, IDC_IE_DIVIDER);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addSpacing(DialogUnitsToPixelsX(this, 6));
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    const int margin = DialogUnitsToPixelsX(this, 4);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(m_stack, 1);
    layout->addWidget(divider);
    layout->addLayout(buttons);
    // Room for the longest page: the mapping list with its two columns.
    m_stack->setMinimumSize(DialogUnitsToPixelsX(this, 300), DialogUnitsToPixelsY(this, 170));
    ShowActivePage();
}

int CIESheet::DoModal()
{
    return exec() == QDialog::Accepted ? ID_WIZFINISH : IDCANCEL;
}

void CIESheet::ShowActivePage()
{
    CIEPage* page = ActivePage();
    m_stack->setCurrentWidget(page);
    page->OnSetActive();
    UpdateButtons();
    if (QWidget* first = page->FirstControl())
        first->setFocus(Qt::TabFocusReason);
}

void CIESheet::UpdateButtons()
{
    setWindowTitle(QString::fromStdString(m_wizard.Title()));
    m_back->setVisible(m_wizard.CanGoBack());
    m_next->setVisible(m_wizard.ShowsNext());
    m_next->setEnabled(m_wizard.CanGoNext());
    m_finish->setVisible(m_wizard.ShowsFinish());
    // Only Back is of use when the mapping list could not be read.
    const bool noSample
        = m_wizard.Page() == IEP_FIELDS && m_wizard.IsImport() && !m_wizard.m_fields.m_bSampleRead;
    m_finish->setEnabled(!noSample);
    CFlatButton* preferred = m_wizard.ShowsNext() ? m_next : m_finish;
    m_next->setDefault(preferred == m_next);
    m_finish->setDefault(preferred == m_finish);
}

void CIESheet::PressBack()
{
    ActivePage()->OnKillActive();
    m_wizard.Back();
    ShowActivePage();
}

void CIESheet::PressNext()
{
    ActivePage()->OnKillActive();
    if (m_wizard.Next(this))
        ShowActivePage();
    else
        UpdateButtons();
}

void CIESheet::PressFinish()
{
    auto* fields = static_cast<CIEFieldsPage*>(Page(IEP_FIELDS));
    if (m_wizard.Page() == IEP_FIELDS && fields->ListHasFocus() && m_wizard.IsImport()) {
        fields->ChangeMapping();
        return;
    }
    ActivePage()->OnKillActive();
    if (m_wizard.Finish(this))
        accept();
    else if (m_wizard.Page() == IEP_FIELDS)
        fields->FillList();
}

void CIESheet::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || event->modifiers() & ~Qt::KeypadModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter on a button presses it; anywhere else it is the default button.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && isAncestorOf(button))
        button->click();
    else if (m_wizard.ShowsNext() && m_next->isEnabled())
        PressNext();
    else if (m_wizard.ShowsFinish() && m_finish->isEnabled())
        PressFinish();
}

void CIESheet::paintEvent(QPaintEvent*)
{
    // The shadow colour around the page, the face colour inside it.
    QPainter p(this);
    p.fillRect(rect(), GetSysColor(COLOR_3DSHADOW, this));
    p.fillRect(QRect(m_stack->pos(), m_stack->size()), GetSysColor(COLOR_3DFACE, this));
}

IEOutcome RunImportExportCommand(DataMan& dataMan, QWidget* parent)
{
    IEWizard wizard;
    CIESheet sheet(wizard, dataMan, parent);
    if (sheet.DoModal() != ID_WIZFINISH) {
        IEOutcome cancelled;
        cancelled.import = wizard.IsImport();
        return cancelled;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    IEOutcome outcome = RunImportExport(wizard, dataMan, parent);
    if (outcome.changed && dataMan.Save(DFK_DATA) != 0)
        outcome.detail += "\n\nThe data file could not be saved.";
    QGuiApplication::restoreOverrideCursor();
    ReportOutcome(outcome, parent);
    return outcome;
}
