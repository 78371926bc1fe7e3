#include "controls/flatbutton.h"
#include "controls/fontcolordialog.h"
#include "dialogdriver.h"
#include "editing/addressformatsdlg.h"
#include "editing/contactaddresspage.h"
#include "editing/contactadvancedpage.h"
#include "editing/contactgeneralpage.h"
#include "editing/contactpersonalpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/contactwrite.h"
#include "editing/datefield.h"
#include "editing/editingdialogs.h"
#include "editing/pagebar.h"
#include "editing/slotfields.h"
#include "editingtest.h"
#include "platform/fontconv.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"
#include "print/printman.h"
#include "support/keyboard.h"
#include "support/modal.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTest>
#include <cmath>

namespace {

class ContactPropsTest : public EditingTest {
protected:
    void TearDown() override
    {
        ContactServices() = {};
        EditingTest::TearDown();
    }
    // Presses OK as the user would and finishes the run.
    static int PressOk(CDialogContactProps& dialog)
    {
        dialog.OkButton()->click();
        return dialog.isVisible() ? -1 : dialog.Finish(dialog.result());
    }
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }
};

QString ActivePage(const CDialogContactProps& dialog)
{
    return QString::number(dialog.CommandOf(dialog.GetActivePage()));
}

}  // namespace

TEST_F(ContactPropsTest, NewContactFromADialedNumberIsStoredInTheCurrentBookAndSurvivesARestart)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew("555-0199", "new@example.org");
    ShowActive(dialog);
    CSlotFields* home = dialog.HomePage()->Slots();
    EXPECT_EQ(home->Edit(0)->text(), "555-0199");
    EXPECT_EQ(home->Button(0)->text(), "Home 1");
    EXPECT_EQ(home->Edit(4)->text(), "new@example.org");
    EXPECT_EQ(dialog.windowTitle(), "Properties");

    Type(dialog.GeneralPage()->FirstEdit(), "Nina");
    Type(dialog.GeneralPage()->LastEdit(), "Holm");
    EXPECT_EQ(dialog.windowTitle(), "Nina Holm properties");
    ASSERT_EQ(PressOk(dialog), IDOK);
    ASSERT_GE(dialog.m_nNewContactIndex, 0);

    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    const Contact& c = *stored[0];
    EXPECT_EQ(c.m_strName, "Nina Holm");
    EXPECT_EQ(c.m_phones, (ContactPhoneArray{{0x10000001, "555-0199"}}));
    EXPECT_EQ(c.m_emails, (ContactEmailArray{{0x20000001, "new@example.org"}}));
    EXPECT_EQ(c.m_books, IdArray{m_dataMan->GetCurrentBookId()});
    EXPECT_TRUE(c.m_addresses.empty()) << "empty pages add no addresses";
    EXPECT_TRUE(c.m_dtBirthday.IsNull());
    EXPECT_TRUE(c.m_dtAnniversary.IsNull());
    EXPECT_EQ(c.m_dtCreated, c.m_dtModified);
}

TEST_F(ContactPropsTest, DisplayNameCandidatesFollowTheNameParts)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    CContactGeneralPage* page = dialog.GeneralPage();
    Type(page->FirstEdit(), "Anna");
    Type(page->LastEdit(), "Berg");
    EXPECT_EQ(page->DisplayNameCandidates(), (QStringList{"Anna Berg", "Berg Anna", "Berg, Anna"}));
    page->DisplayNameCombo()->setCurrentIndex(2);
    emit page->DisplayNameCombo()->activated(2);
    EXPECT_EQ(dialog.windowTitle(), "Berg, Anna properties");
    // A later change of a name keeps the chosen form...
    Type(page->MiddleEdit(), "M");
    EXPECT_EQ(page->DisplayName(), "Berg, Anna M");
    // ...and typing in the title goes back to the first candidate.
    Type(page->TitleEdit(), "Dr.");
    EXPECT_EQ(page->DisplayName(), "Dr. Anna M Berg");
    EXPECT_EQ(dialog.windowTitle(), "Dr. Anna M Berg properties");

    // An edited contact's own display name comes first.
    Contact* contact = AddFullContact();
    CDialogContactProps edit(*m_dataMan, *m_userMan);
    edit.StartEdit(contact);
    EXPECT_EQ(edit.GeneralPage()->DisplayNameCombo()->itemText(0), "Dr. Anna Maria Berg");
    EXPECT_EQ(edit.GeneralPage()->DisplayName(), "Dr. Anna Maria Berg");
    EXPECT_EQ(edit.GeneralPage()->DisplayNameCombo()->itemText(1), "Dr. Anna Maria Berg PhD");
}

TEST_F(ContactPropsTest, NoNameKeepsTheDialogOpenOnItsPageButSwitchCloses)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_ADVANCED);
    EXPECT_EQ(PressOk(dialog), -1);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "You must specify a name for the new contact!");
    EXPECT_EQ(ActivePage(dialog), "32900");

    dialog.SwitchButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_TRUE(dialog.m_bSwitchMode);
    EXPECT_EQ(dialog.Finish(dialog.result()), IDOK);
    EXPECT_EQ(m_dataMan->GetContactCount(), 1) << "the caller opens the simple dialog on it";
}

TEST_F(ContactPropsTest, CancelLeavesNoTrace)
{
    Contact* contact = AddFullContact();
    Book* other = AddBook("Other");
    ContactServices().chooseBooks = [other](QWidget*, std::vector<Book*>& books) {
        books.push_back(other);
        return true;
    };
    const Contact before = *contact;
    const QByteArray file = DataFile();
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    Type(dialog.GeneralPage()->FirstEdit(), "Changed");
    dialog.GeneralPage()->OnAddBooks();
    dialog.HomePage()->Slots()->PickTypeFor(0, 7);
    QTest::keyClick(dialog.GeneralPage()->FirstEdit(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Finish(dialog.result()), IDCANCEL);
    EXPECT_TRUE(SameContactData(*contact, before));
    EXPECT_EQ(contact->m_books, before.m_books);
    EXPECT_FALSE(m_dataMan->IsContactInBook(contact, other));
    EXPECT_EQ(DataFile(), file);
}

TEST_F(ContactPropsTest, OkWithoutChangesWritesNothing)
{
    Contact* contact = AddFullContact();
    const Contact before = *contact;
    const QByteArray file = DataFile();
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    for (int command = CDialogContactProps::ID_PAGE_GENERAL; command <= CDialogContactProps::ID_PAGE_ADVANCED;
         ++command)
        dialog.OnShowPage(command);
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_TRUE(SameContactData(*contact, before));
    EXPECT_EQ(contact->m_dtModified, before.m_dtModified);
    EXPECT_EQ(DataFile(), file);
}

TEST_F(ContactPropsTest, OkChangesOnlyWhatTheUserChanged)
{
    Contact* contact = AddFullContact();
    const Contact before = *contact;
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    Type(dialog.HomePage()->CityEdit(), "Newtown");
    Type(dialog.BusinessPage()->WebEdit(), "");
    ASSERT_EQ(PressOk(dialog), IDOK);

    auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    const Contact& c = *stored[0];
    ContactAddressArray addresses = before.m_addresses;
    addresses[1].m_strCity = "Newtown";
    EXPECT_EQ(c.m_addresses, addresses) << "postal and second home address kept";
    EXPECT_EQ(c.m_web,
        (ContactWebArray{{0x20000001, "http://home.example"}, {15, "123456"}, {3, "http://third.example"}}));
    EXPECT_EQ(c.m_phones, before.m_phones) << "unshown phones kept";
    EXPECT_EQ(c.m_emails, before.m_emails);
    EXPECT_EQ(c.m_strChildren, before.m_strChildren);
    EXPECT_EQ(c.m_strNotes, before.m_strNotes);
    EXPECT_EQ(c.m_dtBirthday, before.m_dtBirthday);
    EXPECT_EQ(c.m_font, before.m_font);
    EXPECT_NE(c.m_dtModified, before.m_dtModified);
}

TEST_F(ContactPropsTest, BooksOfANewContactAreExactlyTheListedOnes)
{
    Book* first = AddBook("First");
    Book* second = AddBook("Second");
    ContactServices().chooseBooks = [&](QWidget*, std::vector<Book*>& books) {
        books = {first, second};
        return true;
    };
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    CContactGeneralPage* page = dialog.GeneralPage();
    EXPECT_EQ(page->BookList()->count(), 1);
    EXPECT_FALSE(page->RemoveBooksButton()->isEnabled());
    page->OnRemoveBooks();
    EXPECT_EQ(m_messages.shown.back().text, "Could not delete last book!");

    page->OnAddBooks();
    ASSERT_EQ(page->BookList()->count(), 2);
    page->BookList()->selectAll();
    EXPECT_TRUE(page->RemoveBooksButton()->isEnabled());
    page->OnRemoveBooks();
    EXPECT_EQ(m_messages.shown.back().text, "The contact must be present at least in one book !");
    EXPECT_EQ(page->BookList()->count(), 2);
    page->BookList()->clearSelection();
    page->BookList()->item(0)->setSelected(true);
    page->OnRemoveBooks();
    EXPECT_EQ(page->Books(), std::vector<Book*>{second});

    Type(page->LastEdit(), "Holm");
    ASSERT_EQ(PressOk(dialog), IDOK);
    const Contact* added = m_dataMan->GetContactAt(dialog.m_nNewContactIndex);
    EXPECT_EQ(added->m_books, IdArray{second->m_duID});
    EXPECT_FALSE(m_dataMan->IsContactInBook(added, m_dataMan->GetRootBook()));
    EXPECT_TRUE(m_dataMan->IsContactInBook(added, second));
}

TEST_F(ContactPropsTest, TypePicksMoveTheSlotAndKeepEveryNumber)
{
    Contact* contact = AddFullContact();
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    CSlotFields* fields = dialog.HomePage()->Slots();

    // The menu: the slot's table, values with text checked, the shown type bold.
    QMenu menu;
    SendMessage(dialog.HomePage(), WM_GETDROPMENU(), 1320, reinterpret_cast<qintptr>(&menu));
    ASSERT_EQ(menu.actions().size(), 10);
    EXPECT_EQ(menu.actions()[4]->text(), "Home Mobile");
    EXPECT_TRUE(menu.actions()[2]->isChecked()) << "Home 3 has a number, though no slot shows it";
    EXPECT_FALSE(menu.actions()[6]->isChecked());
    EXPECT_EQ(menu.defaultAction(), menu.actions()[0]);

    // Phone 1 picks "Home Mobile": it shows the mobile number; the home
    // number stays in the contact and comes back when picked again.
    menu.actions()[4]->trigger();
    SendMessage(dialog.HomePage(), WM_COMMAND, MAKEWPARAM(ID_DROPMENU_PHONE_TYPE, 0));
    EXPECT_EQ(fields->Button(0)->text(), "Home Mobile");
    EXPECT_EQ(fields->Edit(0)->text(), "555-0105");
    EXPECT_EQ(fields->Edit(2)->text(), "555-0105") << "phone 3 still shows the mobile";
    fields->PickTypeFor(0, 1);
    EXPECT_EQ(fields->Edit(0)->text(), "555-0101");

    // Phone 2 takes phone 1's type: both show the number, none is erased.
    fields->PickTypeFor(1, 1);
    EXPECT_EQ(fields->Edit(1)->text(), "555-0101");
    Type(fields->Edit(1), "555-9999");
    EXPECT_EQ(fields->Edit(0)->text(), "555-9999");
    // A type the contact lacks shows an empty field and leaves nothing behind.
    fields->PickTypeFor(3, 8);
    EXPECT_EQ(fields->Edit(3)->text(), "");
    ASSERT_EQ(PressOk(dialog), IDOK);

    const ContactPhoneArray& phones = contact->m_phones;
    EXPECT_EQ(phones.size(), MakeFullContact().m_phones.size());
    auto textOf = [&](u32 type) {
        for (const ContactValue& v : phones)
            if (v.Type() == type)
                return v.m_strText;
        return std::string("<none>");
    };
    EXPECT_EQ(textOf(1), "555-9999");
    EXPECT_EQ(textOf(2), "555-0102") << "phone 2's old number stays";
    EXPECT_EQ(textOf(8), "<none>");
}

TEST_F(ContactPropsTest, DefaultAddressIsOnOnePageAtMost)
{
    Contact* contact = AddFullContact();
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    EXPECT_TRUE(dialog.BusinessPage()->IsDefaultAddress());
    EXPECT_FALSE(dialog.HomePage()->IsDefaultAddress());
    dialog.HomePage()->DefaultCheck()->click();
    EXPECT_TRUE(dialog.HomePage()->IsDefaultAddress());
    EXPECT_FALSE(dialog.BusinessPage()->IsDefaultAddress());
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(contact->m_addresses[0].m_dwType, ADDR_BUSINESS);
    EXPECT_EQ(contact->m_addresses[1].m_dwType, ADDR_HOME | ADDR_DEFAULT);
    EXPECT_EQ(contact->m_addresses[3].m_dwType, ADDR_HOME) << "only the first home address is the page's";
}

TEST_F(ContactPropsTest, EachAddressPageShowsItsKindsDefaultElseFirstAndThePostalOneHasAPage)
{
    Contact* contact = AddFullContact();
    contact->m_addresses[0].m_dwType = ADDR_BUSINESS;
    contact->m_addresses[3].m_dwType = ADDR_HOME | ADDR_DEFAULT;
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(dialog), "32898");
    EXPECT_EQ(dialog.HomePage()->CityEdit()->text(), "Lakeside");
    Type(dialog.HomePage()->CityEdit(), "Newlake");

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(dialog), "32901");
    CContactPostalPage* postal = dialog.PostalPage();
    EXPECT_EQ(QApplication::focusWidget(), postal->StreetEdit());
    EXPECT_EQ(postal->StreetEdit()->toPlainText(), "PO Box 9");
    Type(postal->CityEdit(), "Mailville");
    postal->DefaultCheck()->setFocus();
    QTest::keyClick(postal->DefaultCheck(), Qt::Key_Space);
    EXPECT_FALSE(dialog.HomePage()->IsDefaultAddress());
    ASSERT_EQ(PressOk(dialog), IDOK);
    const auto& addresses = contact->m_addresses;
    ASSERT_EQ(addresses.size(), 4u);
    EXPECT_EQ(addresses[1].m_strCity, "Hometown");
    EXPECT_EQ(addresses[2].m_dwType, ADDR_POSTAL | ADDR_DEFAULT);
    EXPECT_EQ(addresses[2].m_strCity, "Mailville");
    EXPECT_EQ(addresses[3].m_dwType, ADDR_HOME);
    EXPECT_EQ(addresses[3].m_strCity, "Newlake");
}

TEST_F(ContactPropsTest, PersonalDatesAndChildren)
{
    auto fresh = std::make_unique<Contact>();
    fresh->m_strName = "Kid Parent";
    // Imported without a final line feed: the last child is kept.
    fresh->m_strChildren = "Ole\nLiv";
    int index = -1;
    ASSERT_EQ(m_dataMan->AddContact(std::move(fresh), m_dataMan->GetRootBook(), &index), 0u);
    Contact* contact = m_dataMan->GetContactAt(index);

    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    CContactPersonalPage* page = dialog.PersonalPage();
    EXPECT_EQ(page->Children(), (QStringList{"Ole", "Liv"}));
    EXPECT_FALSE(page->BirthdayField()->Check()->isChecked());
    page->BirthdayField()->Check()->click();
    page->BirthdayField()->Edit()->setDate(QDate(1990, 2, 3));
    page->OnAdd();
    QTest::keyClicks(QApplication::focusWidget(), "Eva");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(page->Children(), (QStringList{"Eva", "Ole", "Liv"}));
    // A new child cancelled is no child.
    page->OnAdd();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(page->Children().size(), 3);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(PressOk(dialog), IDOK);

    EXPECT_EQ(contact->m_strChildren, "Eva\nOle\nLiv\n");
    EXPECT_EQ(DateToQDateTime(contact->m_dtBirthday).date(), QDate(1990, 2, 3));
    EXPECT_TRUE(contact->m_dtAnniversary.IsNull()) << "a date the user never set stays null";
    EXPECT_EQ(
        CContactPersonalPage::SplitChildren(contact->m_strChildren), (QStringList{"Eva", "Ole", "Liv"}));

    // Clearing the date's check box takes the date away.
    CDialogContactProps again(*m_dataMan, *m_userMan);
    again.StartEdit(contact);
    ShowActive(again);
    again.PersonalPage()->BirthdayField()->Check()->click();
    ASSERT_EQ(PressOk(again), IDOK);
    EXPECT_TRUE(contact->m_dtBirthday.IsNull());
}

TEST_F(ContactPropsTest, AdvancedDefaultTakesTheListSettings)
{
    Contact* contact = AddFullContact();
    contact->m_dwDisplayFlags = CDF_PRINT;
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    dialog.AdvancedPage()->OnDefault();
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(contact->m_dwDisplayFlags,
        CDF_PRINT | CDF_DEFAULT_FONT | CDF_DEFAULT_TEXT_COLOR | CDF_DEFAULT_BK_COLOR);
    EXPECT_EQ(contact->m_crText, m_userMan->GetColor(UC_LIST_TEXT));
    EXPECT_EQ(contact->m_crBack, m_userMan->GetColor(UC_LIST_BACK));
    ASSERT_NE(m_userMan->GetFont(UFK_LIST), nullptr);
    EXPECT_EQ(contact->m_font, *m_userMan->GetFont(UFK_LIST));
}

TEST_F(ContactPropsTest, TheFontButtonOffersOnlyTheListsSize)
{
    Contact* contact = AddFullContact();
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_ADVANCED);
    const LOGFONT list = *m_userMan->GetFont(UFK_LIST);
    const QString points = QString::number(std::lround(std::abs(list.lfHeight) * 72.0 / ScreenLogicalDpi()));
    // The sizes the dialog lists: one, whatever face is chosen.
    const auto sizes = [](QFontDialog& d) {
        QApplication::processEvents();
        for (QListView* view : d.findChildren<QListView*>()) {
            const QStringList rows = qobject_cast<QStringListModel*>(view->model())
                ? qobject_cast<QStringListModel*>(view->model())->stringList()
                : QStringList();
            bool number = false;
            if (!rows.isEmpty() && (rows[0].toInt(&number), number))
                return rows;
        }
        return QStringList();
    };
    QString chosenFace;
    DialogDriver<CFontColorDialog> driver([&](CFontColorDialog& d) {
        EXPECT_EQ(sizes(d), QStringList{points});
        QListView* faces = d.findChildren<QListView*>().value(0);
        ASSERT_NE(faces, nullptr);
        const QModelIndex other = faces->model()->index(faces->model()->rowCount() - 1, 0);
        faces->setCurrentIndex(other);
        chosenFace = other.data().toString();
        EXPECT_EQ(sizes(d), QStringList{points});
        d.accept();
    });
    QTest::mouseClick(GetDlgItem(&dialog, 1302), Qt::LeftButton);
    ASSERT_TRUE(driver.Came());
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(contact->m_font.lfHeight, list.lfHeight);
    EXPECT_FALSE(contact->m_dwDisplayFlags & CDF_DEFAULT_FONT);
}

TEST_F(ContactPropsTest, GoIsForAWebAddressOnly)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    CContactAddressPage* page = dialog.HomePage();
    EXPECT_FALSE(page->GoButton()->isEnabled());
    page->WebEdit()->setText("http://");
    EXPECT_FALSE(page->GoButton()->isEnabled());
    page->WebEdit()->setText("http://example.org");
    EXPECT_TRUE(page->GoButton()->isEnabled());
}

TEST_F(ContactPropsTest, PageKeysAndTabRingOnTheContactPages)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    auto focusId = [] { return GetDlgCtrlID(QApplication::focusWidget()); };
    EXPECT_EQ(focusId(), 1067) << "the dialog opens in the first name";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(dialog), "32900");
    EXPECT_EQ(focusId(), 1302);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.PageBar());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.CancelButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focusId(), 1302);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(dialog), "32896");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(dialog), "32897");
    EXPECT_EQ(focusId(), 1304);
    // Tab walks the Business page from the company to "Go", then the buttons.
    QWidget* go = GetDlgItem(dialog.BusinessPage(), 1305);
    go->setEnabled(true);
    go->setFocus();
    QTest::keyClick(go, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.SwitchButton());
}

TEST_F(ContactPropsTest, AnAccessKeyOfNoEnabledControlTypesNothing)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    auto* first = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(first, nullptr);
    QTest::keyClicks(first, QStringLiteral("Zed"));
    // "Remove books" is disabled with no book listed; no control has Q.
    QTest::keyClick(first, Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(first, Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(first, Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(first->text(), QStringLiteral("Zed"));
    EXPECT_EQ(QApplication::focusWidget(), first);
    // Letters without Alt still type.
    QTest::keyClicks(first, QStringLiteral("y"));
    EXPECT_EQ(first->text(), QStringLiteral("Zedy"));
}

TEST_F(ContactPropsTest, TabGoesThroughTheGeneralPageRowByRow)
{
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    const QStringList reading = DescribeControls(ReadingOrder(dialog.GeneralPage()));
    ASSERT_GE(reading.size(), 10);
    EXPECT_EQ(DescribeControls(TabOrder(dialog.GeneralPage())).join(u'\n').toStdString(),
        reading.join(u'\n').toStdString());
}

TEST_F(ContactPropsTest, PictureIsChosenShownAndCleared)
{
    const QString path = m_dir->filePath(QStringLiteral("face.png"));
    QImage face(8, 6, QImage::Format_RGB32);
    face.fill(Qt::red);
    ASSERT_TRUE(face.save(path));
    ContactServices().choosePicture = [&](QWidget*, std::string& file, int& type) {
        EXPECT_TRUE(file.empty());
        file = path.toStdString();
        type = 4;
        return true;
    };
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    CContactGeneralPage* page = dialog.GeneralPage();
    EXPECT_TRUE(page->SelectImageButton()->isEnabled());
    page->OnSelectImage();
    EXPECT_EQ(page->PicturePath(), path.toStdString());
    Contact stored;
    page->StoreInto(stored);
    EXPECT_EQ(stored.m_picture.m_strText, path.toStdString());
    EXPECT_EQ(stored.m_nPictureType, 4);
    page->OnClearImage();
    page->StoreInto(stored);
    EXPECT_EQ(stored.m_picture.m_strText, "");
    EXPECT_EQ(stored.m_nPictureType, -1);

    // F1 on a control of the page's table shows its help.
    page->FirstEdit()->setFocus();
    QTest::keyClick(page->FirstEdit(), Qt::Key_F1);
    ASSERT_EQ(m_messages.popups.size(), 1u);
    EXPECT_EQ(m_messages.popups[0].second.front(), (std::pair<u32, u32>{1067, 1116}));
}

namespace {

// The settings' formats for the run of one test, as the application has
// them: the chooser of the contact pages opens the list on them.
class AppSettingsFor {
public:
    explicit AppSettingsFor(UserMan& userMan) { SetAppUserMan(&userMan); }
    ~AppSettingsFor() { SetAppUserMan(nullptr); }
    AppSettingsFor(const AppSettingsFor&) = delete;
    AppSettingsFor& operator=(const AppSettingsFor&) = delete;
};

class LocaleFor {
public:
    explicit LocaleFor(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleFor() { QLocale::setDefault(m_saved); }
    LocaleFor(const LocaleFor&) = delete;
    LocaleFor& operator=(const LocaleFor&) = delete;

private:
    QLocale m_saved;
};

std::vector<u32> FormatsOf(const Contact& contact)
{
    std::vector<u32> formats;
    for (const ContactAddress& address : contact.m_addresses)
        formats.push_back(address.m_dwFormat);
    return formats;
}

std::string DateOf(const DateValue& value)
{
    return value.IsValid() ? DateToQDateTime(value).date().toString(Qt::ISODate).toStdString() : "none";
}

// Types a date into the edit as the user does: tabbed into, from its first
// section on, each section typed whole moving on to the next.
void TypeDate(QDateEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

}  // namespace

TEST_F(ContactPropsTest, DeletingAnAddressFormatKeepsEveryReferenceOnItsFormat)
{
    // Built in 0-2, then Short 3, Letter 4 and Badge 5.
    for (const char* name : {"Short", "Letter", "Badge"}) {
        AddressFormat format;
        format.SetName(name);
        format.SetFormat("[Name]");
        m_userMan->m_addressFormats.Add(format);
    }
    Contact ann;
    ann.m_strName = "Ann";
    ann.m_addresses = {
        {ADDR_HOME, "1 Home Rd", {}, {}, {}, {}, 5, 0}, {ADDR_BUSINESS, "2 Work St", {}, {}, {}, {}, 4, 0}};
    Contact bob;
    bob.m_strName = "Bob";
    bob.m_addresses = {{ADDR_HOME, "3 Lane", {}, {}, {}, {}, 4, 0},
        {ADDR_POSTAL, "PO Box 4", {}, {}, {}, {}, 5, 0}, {ADDR_POSTAL, "PO Box 5", {}, {}, {}, {}, 1, 0}};
    int index = -1;
    ASSERT_EQ(m_dataMan->AddContact(std::make_unique<Contact>(ann), m_dataMan->GetRootBook(), &index), 0u);
    Contact* stored = m_dataMan->GetContactAt(index);
    ASSERT_EQ(m_dataMan->AddContact(std::make_unique<Contact>(bob), m_dataMan->GetRootBook()), 0u);
    PrintMan print(nullptr, &m_userMan->m_addressFormats);
    print.m_EnvelopeAddressFormat = 5;
    print.m_LabelFields = 4;
    AppSettingsFor settings(*m_userMan);
    InstallContactServices(*m_dataMan);
    KeepAddressFormatReferences(*m_userMan, *m_dataMan, &print);

    // On Ann's Home page the user opens the list, deletes "Letter" and
    // chooses "Badge", now one place up.
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(stored);
    ShowActive(dialog);
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_HOME);
    bool listShown = false;
    OnModal<CDialogAddressFormats>([&listShown](CDialogAddressFormats* list) {
        listShown = true;
        list->List()->setCurrentRow(4);
        ASSERT_EQ(list->List()->currentItem()->text(), "Letter");
        static_cast<QPushButton*>(GetDlgItem(list, CDialogAddressFormats::kDeleteId))->click();
        list->List()->setCurrentRow(4);
        ASSERT_EQ(list->List()->currentItem()->text(), "Badge");
        static_cast<QPushButton*>(GetDlgItem(list, IDOK))->click();
    });
    static_cast<QPushButton*>(GetDlgItem(dialog.HomePage(), 1644))->click();
    ASSERT_TRUE(listShown);
    EXPECT_EQ(dialog.HomePage()->FormatIndex(), 4);
    EXPECT_EQ(dialog.BusinessPage()->FormatIndex(), 1) << "Letter is gone: the business default";

    // Saved at once: Bob's home address lost its format and takes the home
    // default; his first postal address stays on Badge.
    const auto bobFormats = [](const std::vector<std::unique_ptr<Contact>>& contacts) {
        for (const auto& contact : contacts)
            if (contact->m_strName == "Bob")
                return FormatsOf(*contact);
        return std::vector<u32>{};
    };
    EXPECT_EQ(bobFormats(StoredContacts()), (std::vector<u32>{2, 4, 1}));
    PrintMan reread(nullptr, &m_userMan->m_addressFormats);
    reread.Load();
    EXPECT_EQ(reread.m_EnvelopeAddressFormat, 4u);
    EXPECT_EQ(reread.m_LabelFields, 0u);

    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(FormatsOf(*stored), (std::vector<u32>{4, 1}));
    for (const auto& contact : StoredContacts()) {
        if (contact->m_strName == "Ann") {
            EXPECT_EQ(FormatsOf(*contact), (std::vector<u32>{4, 1}));
        }
    }
    EXPECT_EQ(m_userMan->m_addressFormats[4].Name(), "Badge");
}

TEST(DateField, EveryLocalesShortFormatShowsAndReadsFourDigitYears)
{
    EXPECT_EQ(FourDigitYearFormat("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(FourDigitYearFormat("dd.MM.yyyy"), "dd.MM.yyyy");
    EXPECT_EQ(FourDigitYearFormat("y-MM-dd"), "yyyy-MM-dd");
    EXPECT_EQ(FourDigitYearFormat("d 'yy' yy"), "d 'yy' yyyy");
    const QDate date(1960, 2, 3);
    for (const QLocale& locale :
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString format = FourDigitYearFormat(locale.dateFormat(QLocale::ShortFormat));
        const QString text = locale.toString(date, format);
        QLocale digits = locale;
        digits.setNumberOptions(QLocale::OmitGroupSeparator);
        EXPECT_TRUE(text.contains(digits.toString(1960)))
            << locale.name().toStdString() << " " << format.toStdString() << " " << text.toStdString();
        // Qt reads back digits of its own planes only.
        if (locale.zeroDigit().size() == 1) {
            EXPECT_EQ(locale.toDate(text, format), date) << locale.name().toStdString();
        }
    }
}

TEST_F(ContactPropsTest, DatesShowAndTakeFourDigitYearsUnderAnAmericanLocale)
{
    const LocaleFor american(QLocale(QLocale::English, QLocale::UnitedStates));
    auto fresh = std::make_unique<Contact>();
    fresh->m_strName = "Ray Holm";
    fresh->m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1955, 7, 4), QTime(0, 0)));
    int index = -1;
    ASSERT_EQ(m_dataMan->AddContact(std::move(fresh), m_dataMan->GetRootBook(), &index), 0u);
    Contact* contact = m_dataMan->GetContactAt(index);

    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
    CContactPersonalPage* page = dialog.PersonalPage();
    EXPECT_EQ(page->BirthdayField()->Edit()->text().toStdString(), "7/4/1955");
    EXPECT_GE(page->BirthdayField()->Edit()->width(), page->BirthdayField()->Edit()->sizeHint().width());
    TypeDate(page->BirthdayField()->Edit(), "12241948");
    page->AnniversaryField()->Check()->click();
    TypeDate(page->AnniversaryField()->Edit(), "11301960");
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(DateOf(contact->m_dtBirthday), "1948-12-24");
    EXPECT_EQ(DateOf(contact->m_dtAnniversary), "1960-11-30");
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(DateOf(stored[0]->m_dtBirthday), "1948-12-24");
    EXPECT_EQ(DateOf(stored[0]->m_dtAnniversary), "1960-11-30");
}

TEST_F(ContactPropsTest, PastedTextKeepsWhatFollowsANul)
{
    const QString pasted = QStringLiteral("first line") + QChar(0) + QStringLiteral(" and the rest");
    const auto paste = [&pasted](QWidget* edit) {
        QApplication::clipboard()->setText(pasted);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    };
    // A new contact, and then an edit of it.
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    Type(dialog.GeneralPage()->FirstEdit(), "Nils");
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
    paste(dialog.PersonalPage()->NotesEdit());
    ASSERT_EQ(PressOk(dialog), IDOK);
    Contact* contact = m_dataMan->FindContact(dialog.m_nNewContactId);
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(contact->m_strNotes, "first line and the rest");

    CDialogContactProps again(*m_dataMan, *m_userMan);
    again.StartEdit(contact);
    ShowActive(again);
    paste(again.GeneralPage()->LastEdit());
    again.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
    paste(again.PersonalPage()->NotesEdit());
    ASSERT_EQ(PressOk(again), IDOK);
    EXPECT_EQ(contact->m_strLastName, "first line and the rest");
    EXPECT_EQ(contact->m_strNotes, "first line and the restfirst line and the rest");
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->m_strNotes, contact->m_strNotes);
    EXPECT_EQ(stored[0]->m_strLastName, contact->m_strLastName);
}
