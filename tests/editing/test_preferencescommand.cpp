#include "controls/flatbutton.h"
#include "core/userman.h"
#include "editing/dialogpreferences.h"
#include "editing/editingdialogs.h"
#include "editing/timezonespage.h"
#include "editingtest.h"
#include "mainwnd/commands.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/ui/window.h"
#include "support/modal.h"
#include "telephony/tapiman.h"

#include <QCheckBox>

TEST_F(EditingTest, TimeZonesCommandOpensPreferencesThereAndOkReachesTheWindow)
{
    TapiMan tapiMan;
    CMainFrame frame(*m_userMan, *m_dataMan, tapiMan);
    CEditingDialogs dialogs(*m_dataMan, *m_userMan);
    frame.GetContainer()->SetEditingHooks(&dialogs);
    m_userMan->m_dwMainFlags &= ~MWF_CONTACT_COUNT;
    bool shown = false;
    OnModal<CDialogPreferences>([&shown](CDialogPreferences* dialog) {
        shown = dialog->GetActivePage() == dialog->TimeZones();
        qobject_cast<QCheckBox*>(GetDlgItem(dialog->General(), 1374))->setChecked(true);
        dialog->OkButton()->click();
    });
    frame.GetContainer()->OnCmdMsg(ID_ADJUST_TIMEZONES);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(m_userMan->m_dwMainFlags & MWF_CONTACT_COUNT);
    EXPECT_EQ(0u, m_userMan->m_dwDialogOpen);
}
