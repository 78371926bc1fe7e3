#include "editing/dialogpreferences.h"

#include "editing/timezonespage.h"
#include "mainwnd/commands.h"
#include "mainwnd/mainframe.h"
#include "platform/msgbox.h"

#include <QLayout>

CDialogPreferences::CDialogPreferences(PrefContext& context, QWidget* parent)
    : CDialogPageHost(kTemplateId, parent)
    , m_general(new CPrefGeneralPage(context))
    , m_contList(new CPrefContListPage(context))
    , m_bookTree(new CPrefBookTreePage(context))
    , m_dialing(new CPrefDialingPage(context))
    , m_alphabets(new CPrefAlphabetsPage(context))
    , m_timeZones(new CTimeZonesPage(context))
{
    setWindowTitle(tr("Preferences"));
    AddPage(m_general, 32917, tr("General"), 1130, 1135);
    AddPage(m_contList, 32918, tr("Contacts"), 1137, 1363);
    AddPage(m_bookTree, 32919, tr("Booktree"), 1108, 1108);
    AddPage(m_dialing, 32920, tr("Dialing"), 1140, 1147);
    AddPage(m_alphabets, 32921, tr("Alphabets"), 1155, 1160);
    AddPage(m_timeZones, 32922, tr("Time zones"), 1148, 1154);
    // The dialog is as large as its largest page needs: it grows while a
    // page shows more and shrinks back when that goes again.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

bool CDialogPreferences::OnInitDialog()
{
    OnShowPage(m_nStartPage >= kGeneralPage && m_nStartPage <= kTimeZonesPage ? m_nStartPage : kGeneralPage);
    return true;
}

void CDialogPreferences::OnOK()
{
    if (PageBarTakesEnter() || LetActivePageFinish())
        return;
    m_general->Store();
    m_contList->Store();
    m_bookTree->Store();
    m_dialing->Store();
    EndDialog(IDOK);
}

PrefContext MakePrefContext(CMainFrame& frame, UserMan& userMan, DataMan& dataMan, TapiMan& tapiMan)
{
    PrefContext context{userMan, dataMan, tapiMan, {}, {}, {}};
    context.customizeToolbar = [&frame] { frame.OnCommand(ID_TOOLBAR_CUSTOMIZE); };
    context.setStatusTimeZone = [&frame](int index) { frame.SetStatusTimeZone(index); };
    return context;
}

bool RunPreferences(PrefContext& context, QWidget* parent, int startPage)
{
    CDialogPreferences dialog(context, parent);
    dialog.SetStartPage(startPage);
    return dialog.DoModal() == IDOK;
}
