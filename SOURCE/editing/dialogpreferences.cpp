#include "editing/dialogpreferences.h"

#include "controls/contexthelp.h"
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
    AddPage(m_contList, 32918, tr("Contacts"), 1103, 1143);
    AddPage(m_bookTree, 32919, tr("Booktree"), 1108, 1108);
    AddPage(m_dialing, 32920, tr("Dialing"), 1140, 1147);
    AddPage(m_alphabets, 32921, tr("Alphabets"), 1155, 1160);
    AddPage(m_timeZones, 32922, tr("Time zones"), 1148, 1154);
    // The dialog is as large as its largest page needs: it grows while a
    // page shows more and shrinks back when that goes again.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    EnableContextHelp(m_general,
        {{1130, 1000}, {1136, 1001}, {1105, 1002}, {1369, 1005}, {1367, 1003}, {1368, 1004}, {1370, 1006},
            {1135, 1007}, {1138, 1008}, {1372, 1009}, {1373, 1010}, {1374, 1011}, {1109, 1155}, {1110, 1156},
            {1111, 1157}});
    EnableContextHelp(m_contList,
        {{1103, 1012}, {1134, 1013}, {1137, 1014}, {1139, 1015}, {1132, 1016}, {1131, 1017}, {1142, 1018},
            {1143, 1019}, {1363, 1020}, {1538, 1021}, {1104, 1190}, {1539, 1191}});
    EnableContextHelp(
        m_bookTree, {{1108, 1022}, {1502, 1023}, {1503, 1024}, {1161, 1025}, {1501, 1026}, {1163, 1027}});
    EnableContextHelp(
        m_dialing, {{1146, 1028}, {1140, 1029}, {1341, 1030}, {1340, 1031}, {1144, 1032}, {1145, 1033}});
    EnableContextHelp(
        m_alphabets, {{1155, 1034}, {1158, 1035}, {1159, 1036}, {1160, 1037}, {1156, 1038}, {1157, 1039}});
    EnableContextHelp(m_timeZones,
        {{1152, 1040}, {1153, 1041}, {1154, 1042}, {1148, 1043}, {1348, 1044}, {1347, 1045}, {1150, 1046},
            {1151, 1047}});
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
