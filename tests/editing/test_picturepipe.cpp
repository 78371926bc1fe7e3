#include "editing/contactpropsdlg.h"
#include "editing/editingdialogs.h"
#include "editingtest.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "support/fifowatch.h"
#include "support/modal.h"
#include "telephony/tapiman.h"

#include <QAction>

// A picture path that a data file or an earlier choice left pointing at a
// pipe: opening the contact's dialog must not wait for a writer.
TEST_F(EditingTest, PictureNamingAPipeDoesNotFreezeTheContactDialog)
{
    const QString fifo = m_dir->filePath(QStringLiteral("face.png"));
    FifoWatch watch(fifo);
    ASSERT_TRUE(watch.Made());
    Contact* contact = AddFullContact();
    contact->m_picture.m_strText = fifo.toStdString();
    contact->m_nPictureType = 4;
    m_dataMan->SetAlphabetFilter(kFilterAll);

    TapiMan tapiMan;
    CMainFrame frame(*m_userMan, *m_dataMan, tapiMan);
    CEditingDialogs dialogs(*m_dataMan, *m_userMan);
    frame.GetContainer()->SetEditingHooks(&dialogs);
    frame.GetContainer()->RefreshGrid();
    Contact* selected[] = {contact};
    frame.GetContainer()->Grid().SelectContacts(selected);
    frame.UpdateAllCommands();
    QAction* properties = frame.findChild<QAction*>(CommandObjectName(ID_CONTACT_PROPERTIES));
    ASSERT_TRUE(properties && properties->isEnabled());

    bool opened = false;
    OnModal<CDialogContactProps>([&opened](CDialogContactProps* dialog) {
        opened = true;
        dialog->reject();
    });
    properties->trigger();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(watch.Blocked());
    // The path stays as it was: the dialog was cancelled.
    EXPECT_EQ(contact->m_picture.m_strText, fifo.toStdString());
}
