// What the contact commands do to the store, and the sound behaviour where
// a plain reading of the design would lose data or mislead.
#define QTEST_QPA_MOUSE_HANDLING
#include "core/filelimit.h"
#include "core/utilities.h"
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/rgridctrl.h"
#include "mainwnd/vcardfiles.h"
#include "platform/profile.h"
#include "support/mailstandin.h"
#include "telephony/mailsession.h"

#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <sys/stat.h>

namespace {

using Names = std::vector<std::string>;

std::string Name(const Contact* contact)
{
    return contact ? contact->m_strName : std::string("<none>");
}

}  // namespace

// Mail links are recorded, never opened: with no "xdg-email", they go to
// the desktop's handler.
class LinkRecorder : public QObject {
    Q_OBJECT
public:
    LinkRecorder()
    {
        SetMailProgramForTesting(&m_none);
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "Open");
    }
    ~LinkRecorder() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        SetMailProgramForTesting(nullptr);
    }
    Q_INVOKABLE void Open(const QUrl& url)
    {
        opened << url.toString(QUrl::FullyDecoded);
        encoded << url.toString(QUrl::FullyEncoded);
    }
    QStringList opened;
    QStringList encoded;

private:
    const QString m_none;
};

TEST_F(FrameTest, DeleteMovesToDeletedItemsThenForGoodAndSavesEachTime)
{
    m_userMan->m_dwListFlags |= CLF_CONFIRM_DELETE;
    Frame();
    Select({0});
    Trigger(ID_CONTACT_DELETE);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Are you sure you want to delete \"Anna Berg\" ?");
    EXPECT_EQ(Grid().RowCount(), 2);
    EXPECT_EQ(StoredNames("Deleted Items"), Names{"Anna Berg"});
    EXPECT_EQ(StoredNames("Contacts"), (Names{"Bruno Cole", "Carla Dean"}));

    // The user says no: nothing happens.
    m_messages.reply = IDCANCEL;
    Select({0, 1});
    Trigger(ID_CONTACT_DELETE);
    EXPECT_EQ(m_messages.shown.back().text, "Are you sure you want to delete the 2 selected contacts?");
    EXPECT_EQ(Grid().RowCount(), 2);
    // Deleting for good says so.
    m_userMan->m_dwListFlags |= CLF_DELETE_FOR_GOOD;
    Trigger(ID_CONTACT_DELETE);
    EXPECT_EQ(
        m_messages.shown.back().text, "Are you sure you want to permanently delete the 2 selected contacts?");
    EXPECT_EQ(Grid().RowCount(), 2);
    m_userMan->m_dwListFlags &= ~CLF_DELETE_FOR_GOOD;

    // In "Deleted Items" a delete is for good.
    m_messages.reply = IDOK;
    m_dataMan->SetCurrentBook(m_dataMan->GetDeletedItemsBook());
    Container().RefreshForBook();
    Select({0});
    Trigger(ID_CONTACT_DELETE);
    EXPECT_EQ(m_messages.shown.back().text, "Are you sure you want to permanently delete \"Anna Berg\" ?");
    EXPECT_EQ(m_dataMan->GetContactCount(), 2);
    EXPECT_TRUE(StoredNames("Deleted Items").empty());
}

TEST_F(FrameTest, EmptyingDeletedItemsWhileShownLetsTheGridGoFirst)
{
    Frame();
    Select({0, 1});
    Trigger(ID_CONTACT_DELETE);
    m_dataMan->SetCurrentBook(m_dataMan->GetDeletedItemsBook());
    Container().RefreshForBook();
    ASSERT_EQ(Grid().RowCount(), 2);
    Select({0});
    Trigger(ID_EMPTY_DELETED);
    // The records are gone and no row points at them (the sanitizers watch).
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_EQ(Grid().FirstSelectedContact(), nullptr);
    QApplication::processEvents();
    Grid().Widget()->repaint();
    EXPECT_EQ(m_dataMan->GetContactCount(), 1);
    EXPECT_TRUE(StoredNames("Deleted Items").empty());
    EXPECT_FALSE(Enabled(ID_EMPTY_DELETED));
}

TEST_F(FrameTest, BookMembershipAndColoursAreSaved)
{
    auto book = std::make_unique<Book>();
    book->m_strName = "Friends";
    Book* friends = m_dataMan->AddBook(std::move(book), m_dataMan->GetRootBook());
    Frame();
    Container().SetEditingHooks(&m_editing);
    m_editing.chosen = {friends};
    Select({0});
    Trigger(ID_CONTACT_ADDTOBOOK);
    EXPECT_EQ(StoredNames("Friends"), Names{"Anna Berg"});
    EXPECT_EQ(Grid().RowCount(), 3);

    // Restoring from "Deleted Items" is a move to a book.
    Select({1});
    Trigger(ID_CONTACT_DELETE);
    m_dataMan->SetCurrentBook(m_dataMan->GetDeletedItemsBook());
    Container().RefreshForBook();
    Select({0});
    Trigger(ID_CONTACT_MOVETOBOOK);
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_EQ(StoredNames("Friends"), (Names{"Anna Berg", "Bruno Cole"}));
    EXPECT_TRUE(StoredNames("Deleted Items").empty());

    m_dataMan->SetCurrentBook(friends);
    Container().RefreshForBook();
    Select({0});
    const QByteArray before = Contents("tolva.rdf");
    Trigger(ID_COLOR_DEFAULT);
    EXPECT_NE(Contents("tolva.rdf"), before);
    Trigger(ID_CONTACT_REMOVEFROMBOOK);
    EXPECT_EQ(StoredNames("Friends"), Names{"Bruno Cole"});
}

TEST_F(FrameTest, ContactsDroppedOnTheGridAreSaved)
{
    Frame();
    const QString path = m_dir->filePath(QStringLiteral("hana.vcf"));
    QFile card(path);
    ASSERT_TRUE(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Gray;Hana\r\nFN:Hana Gray\r\nEND:VCARD\r\n");
    card.close();
    QMimeData drop;
    drop.setUrls({QUrl::fromLocalFile(path)});
    auto* grid = dynamic_cast<CRGridCtrl*>(Grid().Widget());
    ASSERT_NE(grid, nullptr);
    grid->DropFiles(&drop);
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(StoredNames("Contacts"), (Names{"Anna Berg", "Bruno Cole", "Carla Dean", "Hana Gray"}));
}

TEST_F(FrameTest, LettersFilterAndAnotherAlphabetStartsFromAll)
{
    auto greek = std::make_unique<Alphabet>();
    greek->m_strName = "Greek";
    greek->m_strLetters = "ΑΒΓΔ";
    m_dataMan->Add(std::move(greek));
    // Longer than the commands allow: its letters stop before "All".
    auto longOne = std::make_unique<Alphabet>();
    longOne->m_strName = "Long";
    longOne->m_strLetters = std::string(60, 'X');
    m_dataMan->Add(std::move(longOne));
    Frame();
    QToolButton* b = Container().AlphabetBar()->Button(kFilterFirstLetter + 1);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterFirstLetter + 1);
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Name(Grid().ShownContacts()[0]), "Anna Berg");

    // "Alphabet" cycles 0, 1, 2, 0; each change shows every contact.
    for (int expected : {1, 2, 0}) {
        Trigger(ID_ALPHABET_NEXT);
        EXPECT_EQ(m_dataMan->GetCurrentAlphabetIndex(), expected);
        EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterAll);
        EXPECT_EQ(Grid().RowCount(), 3);
        if (expected == 2) {
            EXPECT_EQ(Container().AlphabetBar()->ButtonCount(), 52);
            EXPECT_NE(Container().AlphabetBar()->Button(kFilterLastLetter), nullptr);
        }
    }
}

TEST_F(FrameTest, ClosingInFindModeKeepsTheLetterInForce)
{
    Frame();
    m_dataMan->SetAlphabetFilter(kFilterFirstLetter + 2);
    Container().RefreshForBook();
    Trigger(ID_FIND_CONTACT);
    Container().Find(QStringLiteral("ann"), false, m_userMan->m_dwFindFlags);
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Name(Grid().ShownContacts()[0]), "Anna Berg");
    Container().Find(QString(), false, m_userMan->m_dwFindFlags);
    EXPECT_EQ(m_messages.shown.back().text.substr(0, 28), "You cannot search if the fie");
    Frame().SaveStateAndClose();
    m_dataMan->Close();
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt("DataMan", "CurrentChar", 0), int(kFilterFirstLetter + 2));
}

TEST_F(FrameTest, MailToSeveralSkipsTheAddresslessAndPicksCountListedAddresses)
{
    LinkRecorder links;
    m_dataMan->GetContactAt(0)->m_emails = {{1, "anna@example.org"}};
    m_dataMan->GetContactAt(2)->m_emails = {{1, ""}, {2, "carla@example.org"}, {3, "c2@example.org"}};
    Frame();
    Select({0, 1, 2});
    Trigger(ID_CONTACT_SENDMAIL);
    ASSERT_EQ(links.opened.size(), 1);
    EXPECT_EQ(links.encoded[0], u"mailto:anna@example.org,c2@example.org");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), links.encoded[0]);

    // The drop-down lists the non-empty addresses; the second pick is the
    // second listed one.
    Select({2});
    CToolbarButton* button = Frame().Toolbar()->ButtonOf(ID_CONTACT_SENDMAIL);
    ASSERT_NE(button, nullptr);
    auto menu = button->dropMenu(button);
    ASSERT_EQ(menu->actions().size(), 2);
    menu->actions()[1]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(links.opened.back(), u"mailto:c2@example.org");

    // A pick from a list made for another contact does nothing.
    menu = button->dropMenu(button);
    Select({0});
    menu->actions()[1]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(links.opened.size(), 2);

    // Without a focused contact no list opens.
    SelectNone();
    EXPECT_EQ(button->dropMenu(button), nullptr);
}

// An address is the contact's text: nothing in it may read as a header
// (an attachment for the mail program) or as a further recipient.
TEST_F(FrameTest, MailAddressesReachTheMailProgramEscaped)
{
    LinkRecorder links;
    const std::string evil = "x@evil.example?attach=/etc/passwd";
    m_dataMan->GetContactAt(0)->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, evil}};
    m_dataMan->GetContactAt(1)->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "b,c&d=e#f%g@example.org"}};
    m_userMan->m_dwListFlags |= CLF_CELL_ACTIONS;
    Frame();
    const QString escapedEvil = QStringLiteral("x@evil.example%3Fattach%3D%2Fetc%2Fpasswd");
    const QString escapedOther = QStringLiteral("b%2Cc%26d%3De%23f%25g@example.org");

    // Contact > Send Mail, to two.
    Select({0, 1});
    Trigger(ID_CONTACT_SENDMAIL);
    ASSERT_EQ(links.encoded.size(), 1);
    EXPECT_EQ(links.encoded[0], QStringLiteral("mailto:") + escapedEvil + u',' + escapedOther);
    const QUrl sent(links.encoded[0]);
    EXPECT_FALSE(sent.hasQuery());
    EXPECT_FALSE(sent.hasFragment());

    // The tool bar's drop-down pick of an address.
    Select({0});
    CToolbarButton* button = Frame().Toolbar()->ButtonOf(ID_CONTACT_SENDMAIL);
    ASSERT_NE(button, nullptr);
    auto menu = button->dropMenu(button);
    ASSERT_EQ(menu->actions().size(), 1);
    menu->actions()[0]->trigger();
    QApplication::processEvents();
    ASSERT_EQ(links.encoded.size(), 2);
    EXPECT_EQ(links.encoded[1], QStringLiteral("mailto:") + escapedEvil);

    // A double click on the e-mail cell.
    auto* grid = dynamic_cast<CRGridCtrl*>(Grid().Widget());
    ASSERT_NE(grid, nullptr);
    constexpr int kHomeEmailColumn = 3;
    if (!grid->IsColumnShown(kHomeEmailColumn))
        grid->InsertColumn(kHomeEmailColumn, 1);
    QApplication::processEvents();
    const int row = grid->FindContactRow(m_dataMan->GetContactAt(0)->m_duID);
    const QPoint cell = grid->GetCellRect(row, kHomeEmailColumn).center() - grid->viewport()->pos();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QApplication::processEvents();
    ASSERT_EQ(links.encoded.size(), 3);
    EXPECT_EQ(links.encoded[2], QStringLiteral("mailto:") + escapedEvil);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), links.encoded[2]);
}

// The pick menus show a contact's addresses and numbers, and the names of
// alphabets and places, as the texts they are: an "&" in them is no key of
// the item, so Alt and a letter in the menu picks nothing.
TEST_F(FrameTest, PickMenusShowTheUsersTextsAsTheyAre)
{
    LinkRecorder links;
    const std::string second = "second@evil.example&attach=/etc/passwd";
    m_dataMan->GetContactAt(0)->m_emails = {{1, "first@example.org"}, {2, second}};
    m_dataMan->GetContactAt(0)->m_phones = {{1, "555&0100\t9"}};
    AddAlphabet("AB");
    m_dataMan->GetAt<Alphabet>(m_dataMan->GetCount(DMK_ALPHABET) - 1)->m_strName = "Latin & more";
    auto zone = std::make_unique<TimeZoneEntry>();
    zone->m_strName = "Rock & Roll";
    m_dataMan->Add(std::move(zone));
    Frame();
    Select({0});
    const auto shown = [](const QMenu& menu) {
        QStringList texts;
        for (const QAction* item : menu.actions()) {
            if (item->isSeparator())
                continue;
            EXPECT_TRUE(QKeySequence::mnemonic(item->text()).isEmpty()) << item->text().toStdString();
            texts << QString(item->text()).replace(QStringLiteral("&&"), QStringLiteral("&"));
        }
        return texts;
    };

    CToolbarButton* mail = Frame().Toolbar()->ButtonOf(ID_CONTACT_SENDMAIL);
    auto menu = mail->dropMenu(mail);
    EXPECT_EQ(shown(*menu), (QStringList{"first@example.org", QString::fromStdString(second)}));
    menu->popup(mail->mapToGlobal(QPoint(0, mail->height())));
    QTest::keyClick(menu.get(), Qt::Key_A, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(links.opened.isEmpty()) << links.opened.join(u' ').toStdString();
    menu->close();

    CToolbarButton* dial = Frame().Toolbar()->ButtonOf(ID_CONTACT_DIAL);
    EXPECT_EQ(shown(*dial->dropMenu(dial)), QStringList{"555&0100 9\tHome 1"});
    CToolbarButton* alphabet = Frame().Toolbar()->ButtonOf(ID_ALPHABET_NEXT);
    EXPECT_TRUE(shown(*alphabet->dropMenu(alphabet)).contains(u"Latin & more"));

    // The clock's menu of places, from its context menu.
    auto* clock = Frame().findChild<QLabel*>(QStringLiteral("pane%1").arg(ID_INDICATOR_CLOCK));
    ASSERT_NE(clock, nullptr);
    QStringList places;
    QTimer::singleShot(0, [&places, &shown] {
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr);
        places = shown(*open);
        open->close();
    });
    emit clock->customContextMenuRequested(QPoint(1, 1));
    EXPECT_TRUE(places.contains(u"Rock & Roll")) << places.join(u'|').toStdString();
}

TEST_F(FrameTest, PhoneListShowsNumbersWithTheirCaptions)
{
    m_dataMan->GetContactAt(0)->m_phones = {{1, "555 1"}, {5, ""}, {15, "555 2"}};
    Frame();
    Select({0});
    CToolbarButton* button = Frame().Toolbar()->ButtonOf(ID_CONTACT_DIAL);
    auto menu = button->dropMenu(button);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), u"555 1\tHome 1");
    EXPECT_EQ(menu->actions()[1]->text(), u"555 2\tBiz. Mobile");
    // Without telephony a pick says so instead of dialling.
    menu->actions()[1]->trigger();
    QApplication::processEvents();
    ASSERT_FALSE(m_messages.shown.empty());
    EXPECT_EQ(m_messages.shown.back().type & MB_ICONMASK, MB_ICONHAND);
}

TEST_F(FrameTest, ImportResultsNeverFollowAFailureWithSuccess)
{
    Frame();
    Container().AfterImportExport({1, true, RC_MISSING, 2, 5});
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Error in import/export operation");
    Container().AfterImportExport({3, true, 0, 0, 0});
    EXPECT_EQ(m_messages.shown.back().text, "Error in import/export operation");
    Container().AfterImportExport({1, true, 0, 1, 2});
    EXPECT_EQ(m_messages.shown.back().text, "Successfully imported 1 book(s) and 2 contact(s).");
    Container().AfterImportExport({1, false, 0, 0, 0});
    EXPECT_EQ(m_messages.shown.size(), 3u);
}

TEST_F(FrameTest, SplittersKeepThePanesAtLeast100Wide)
{
    m_userMan->m_dwMainFlags |= MWF_INFOPANE;
    m_userMan->m_dwInfoDockState = INFO_DOCK_RIGHT;
    m_userMan->m_nInfoRight = 300;
    Frame().resize(640, 480);
    QApplication::processEvents();
    QWidget* tree = Container().BookPane();
    const QPoint edge(tree->geometry().right() + 2, tree->geometry().center().y());
    QTest::mousePress(&Container(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(&Container(), edge - QPoint(400, 0));
    QTest::mouseRelease(&Container(), Qt::LeftButton, {}, edge - QPoint(400, 0));
    EXPECT_EQ(m_userMan->m_nTreeDimX, 100);
    // Too small a window for both bounds: the lower one holds.
    QTest::mousePress(&Container(), Qt::LeftButton, {}, QPoint(104, edge.y()));
    QTest::mouseRelease(&Container(), Qt::LeftButton, {}, QPoint(504, edge.y()));
    EXPECT_EQ(m_userMan->m_nTreeDimX, 100);
    EXPECT_GE(Grid().Widget()->width(), 0);
}

TEST_F(FrameTest, InformationPaneFollowsTheSelectionAfterAPause)
{
    Frame();
    Trigger(ID_VIEW_CONTACTINFO);
    ASSERT_NE(Container().InfoPane(), nullptr);
    EXPECT_TRUE(Command(ID_VIEW_CONTACTINFO)->isChecked());
    Select({1});
    QTRY_COMPARE(Container().InfoPane()->Shown(), Grid().FirstSelectedContact());
    Trigger(ID_VIEW_CONTACTINFO);
    EXPECT_EQ(Container().InfoPane(), nullptr);
}

TEST(VCardFilesTest, FileNamesAreSafe)
{
    Contact contact;
    contact.m_strName = "../../etc/pass:wd";
    EXPECT_EQ(VCardFileName(contact), u"_.._etc_pass_wd.vcf");
    contact.m_strName.clear();
    contact.m_strFirstName = "Ann";
    contact.m_strLastName = "Lee";
    EXPECT_EQ(VCardFileName(contact), u"Ann Lee.vcf");
    contact.m_strFirstName.clear();
    contact.m_strLastName.clear();
    EXPECT_EQ(VCardFileName(contact), u"contact.vcf");
}

// The mail program reads the attachment when the user sends the message;
// "xdg-email" returns long before that.
TEST_F(FrameTest, ForwardedCardStaysForTheMailProgram)
{
    const MailProgramStandIn mailer(QFileInfo(ProgramPath(QStringLiteral("x"))).path());
    Container().SetFileMailer([](const QString& path, const QString& name) {
        return MailFileAttachment(path.toStdString(), name.toStdString());
    });
    Select({0});
    Trigger(ID_VCARD_FORWARD);
    const QStringList arguments = mailer.Arguments();
    const qsizetype attach = arguments.indexOf(QStringLiteral("--attach"));
    ASSERT_GE(attach, 0) << arguments.join(u' ').toStdString();
    const QString card = arguments.value(attach + 1);
    EXPECT_TRUE(card.endsWith(u"/Anna Berg.vcf"));
    // The stand-in has returned; the card is still there to be read.
    QFile file(card);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\nFN:Anna Berg\r\n"));
    for (const QString& folder : {QFileInfo(card).path(), ForwardFolder()})
        EXPECT_FALSE(QFileInfo(folder).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup));
    // The card itself is as private as its folders, whatever the umask.
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(card).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(m_messages.shown.empty());

    // Without a mail program the user is told, and no card is left behind.
    const QString none;
    SetMailProgramForTesting(&none);
    Trigger(ID_VCARD_FORWARD);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("could not be handed to a mail program"), std::string::npos);
    EXPECT_EQ(m_messages.shown[0].type & MB_ICONMASK, MB_ICONHAND);
    const auto folders
        = [] { return QDir(ForwardFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    EXPECT_EQ(folders(), 1);

    // A start cleans what earlier runs forwarded once it is an hour old.
    CleanForwardedCards(QDateTime::currentDateTime());
    EXPECT_TRUE(QFile::exists(card));
    CleanForwardedCards(QDateTime::currentDateTime().addSecs(2 * 3600));
    EXPECT_FALSE(QFile::exists(card));
    EXPECT_EQ(folders(), 0);
}

// A card saved where the user chose is private when new, and a save that
// fails is told, not passed over.
TEST_F(FrameTest, CardSavedAsAFileIsPrivateAndAFailedSaveIsShown)
{
    const auto answerWith = [](const QString& path, bool& answered) {
        QTimer::singleShot(0, [path, &answered] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->selectFile(path);
            // The Save button, as the user presses it.
            QTest::keyClick(dialog, Qt::Key_Return);
            answered = true;
        });
    };
    const QString card = m_dir->filePath(QStringLiteral("Anna.vcf"));
    bool answered = false;
    Select({0});
    answerWith(card, answered);
    Trigger(ID_VCARD_EXPORT);
    ASSERT_TRUE(answered);
    QFile file(card);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\nFN:Anna Berg\r\n"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(card).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(m_messages.shown.empty());

    const QString full = m_dir->filePath(QStringLiteral("Full.vcf"));
    answered = false;
    {
        FileSizeLimit noRoom(0);
        answerWith(full, answered);
        Trigger(ID_VCARD_EXPORT);
    }
    ASSERT_TRUE(answered);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::string& text = m_messages.shown[0].text;
    EXPECT_NE(text.find(full.toStdString()), std::string::npos) << text;
    EXPECT_NE(text.find("There is not enough space on the disk."), std::string::npos) << text;
    EXPECT_FALSE(QFile::exists(full));
}

#include "test_container.moc"
