#include "editing/contactgeneralpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/editingdialogs.h"
#include "editing/imageviewwnd.h"
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
// pipe: opening the contact's dialog must not wait for a writer, and the
// picture pane says why it is empty.
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

    QString shown;
    OnModal<CDialogContactProps>([&shown](CDialogContactProps* dialog) {
        if (auto* view = dialog->GeneralPage()->findChild<CImageViewWnd*>()) {
            shown = view->GetMessage();
            // The words fit the pane.
            const QRect inside = view->contentsRect();
            EXPECT_TRUE(inside.contains(
                view->fontMetrics().boundingRect(inside, Qt::AlignCenter | Qt::TextWordWrap, shown)));
        }
        dialog->reject();
    });
    properties->trigger();
    EXPECT_EQ(
        shown, u"This picture cannot be shown: it is not an ordinary file but a folder, a pipe or a device.");
    EXPECT_FALSE(watch.Blocked());
    // The path stays as it was: the dialog was cancelled.
    EXPECT_EQ(contact->m_picture.m_strText, fifo.toStdString());

    // A picture file that has gone away says so too.
    contact->m_picture.m_strText = m_dir->filePath(QStringLiteral("gone.png")).toStdString();
    OnModal<CDialogContactProps>([&shown](CDialogContactProps* dialog) {
        shown = dialog->GeneralPage()->findChild<CImageViewWnd*>()->GetMessage();
        dialog->reject();
    });
    properties->trigger();
    EXPECT_EQ(shown, u"This picture cannot be shown: the file does not exist.");
}
