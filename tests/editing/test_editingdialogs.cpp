#include "controls/flatbutton.h"
#include "editing/contactgeneralpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/editingdialogs.h"
#include "editing/quickpropsdlg.h"
#include "editingtest.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "telephony/tapiman.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace {

// Answers the modal dialogs of a run in turn: each new one gets the next step.
class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<void(QWidget*)>> steps)
        : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last)
                return;
            m_last = modal;
            if (m_next < m_steps.size()) {
                m_steps[m_next++](modal);
                return;
            }
            // A dialog the script did not expect would wait for ever.
            ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className();
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        });
        m_timer.start(5);
    }
    size_t Done() const { return m_next; }

private:
    std::vector<std::function<void(QWidget*)>> m_steps;
    QTimer m_timer;
    // Cleared when the dialog goes: the next may take the same address.
    QPointer<QWidget> m_last;
    size_t m_next = 0;
};

class EditingDialogsTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        m_tapiMan = std::make_unique<TapiMan>();
        m_frame = std::make_unique<CMainFrame>(*m_userMan, *m_dataMan, *m_tapiMan);
        m_dialogs = std::make_unique<CEditingDialogs>(*m_dataMan, *m_userMan);
        m_frame->GetContainer()->SetEditingHooks(m_dialogs.get());
    }
    void TearDown() override
    {
        ContactServices() = {};
        m_frame.reset();
        EditingTest::TearDown();
    }

    std::unique_ptr<TapiMan> m_tapiMan;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CEditingDialogs> m_dialogs;
};

}  // namespace

TEST_F(EditingDialogsTest, SwitchOnANewContactThenCancelLeavesNothing)
{
    const QByteArray file = DataFile();
    ModalScript script({[](QWidget* w) { qobject_cast<CDialogContactProps*>(w)->SwitchButton()->click(); },
        [](QWidget* w) { qobject_cast<CDialogQuickProps*>(w)->reject(); }});
    m_frame->GetContainer()->NewContact({}, {});
    EXPECT_EQ(script.Done(), 2u);
    EXPECT_EQ(m_dataMan->GetContactCount(), 0);
    size_t position = 0;
    EXPECT_EQ(m_dataMan->GetRootBook()->GetNextContact(*m_dataMan, position), nullptr);
    EXPECT_TRUE(StoredContacts().empty());
}

TEST_F(EditingDialogsTest, SwitchCarriesTheEditsAndOkInTheOtherDialogKeepsThem)
{
    ModalScript script({[](QWidget* w) {
                            auto* dialog = qobject_cast<CDialogQuickProps*>(w);
                            dialog->LastEdit()->setText("Holm");
                            emit dialog->LastEdit()->textEdited("Holm");
                            dialog->SwitchButton()->click();
                        },
        [](QWidget* w) { qobject_cast<CDialogContactProps*>(w)->OkButton()->click(); }});
    m_userMan->m_dwListFlags |= CLF_SIMPLE_DIALOG;
    m_frame->GetContainer()->NewContact("555-0100", {});
    EXPECT_EQ(script.Done(), 2u);
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->m_strName, "Holm");
    EXPECT_EQ(stored[0]->m_phones, (ContactPhoneArray{{0x10000001, "555-0100"}}));
}

TEST_F(EditingDialogsTest, CancelAfterASwitchPutsTheBooksBack)
{
    Contact* contact = AddFullContact();
    Book* other = AddBook("Other");
    ContactServices().chooseBooks = [other](QWidget*, std::vector<Book*>& books) {
        books = {other};
        return true;
    };
    ModalScript script({[](QWidget* w) {
                            auto* dialog = qobject_cast<CDialogContactProps*>(w);
                            dialog->GeneralPage()->OnAddBooks();
                            dialog->SwitchButton()->click();
                        },
        [](QWidget* w) { qobject_cast<CDialogQuickProps*>(w)->reject(); }});
    EXPECT_FALSE(m_frame->GetContainer()->EditContact(*contact, -1));
    EXPECT_EQ(script.Done(), 2u);
    EXPECT_EQ(contact->m_books, IdArray{m_dataMan->GetRootBook()->m_duID});
    EXPECT_TRUE(m_dataMan->IsContactInBook(contact, m_dataMan->GetRootBook()));
    EXPECT_FALSE(m_dataMan->IsContactInBook(contact, other));
}
