// Context help of the editing dialogs, the Preferences pages and the main
// window's field choosers, with the topics file that ships with the program.
#define QTEST_QPA_MOUSE_HANDLING
#include "controls/contexthelp.h"
#include "core/errorreport.h"
#include "editing/addressformatdlg.h"
#include "editing/addressformatsdlg.h"
#include "editing/bookchooser.h"
#include "editing/bookprops.h"
#include "editing/contactaddresspage.h"
#include "editing/contactadvancedpage.h"
#include "editing/contactgeneralpage.h"
#include "editing/contactpersonalpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/dialogpreferences.h"
#include "editing/quickpropsdlg.h"
#include "editing/timezonespage.h"
#include "editingtest.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/fieldchooser.h"
#include "mainwnd/rgridctrl.h"
#include "support/contexthelpcheck.h"
#include "support/pictures.h"
#include "telephony/tapiman.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <optional>

// The desktop's browser: records the pages it is asked to open.
class PageRecorder : public QObject {
    Q_OBJECT
public:
    PageRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~PageRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    Q_INVOKABLE void Open(const QUrl& url) { opened << url.toLocalFile(); }
    QStringList opened;
};

namespace {

class ContextHelpTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        m_help.emplace();
    }
    void TearDown() override
    {
        m_help.reset();
        EditingTest::TearDown();
    }
    std::optional<ShippedHelp> m_help;
};

TEST_F(ContextHelpTest, ContactDialogsPairEveryControlWithATopic)
{
    CDialogContactProps props(*m_dataMan, *m_userMan);
    props.StartNew({}, {});
    ExpectSoundHelp(props.GeneralPage(), 12);
    ExpectSoundHelp(props.PersonalPage(), 8);
    ExpectSoundHelp(props.AdvancedPage(), 4);
    ExpectSoundHelp(props.BusinessPage(), 21);
    ExpectSoundHelp(props.HomePage(), 22);
    ExpectSoundHelp(props.PostalPage(), 7);

    CDialogQuickProps quick(*m_dataMan, *m_userMan);
    ExpectSoundHelp(&quick, 20);

    CDialogBookChooser chooser(*m_dataMan);
    ExpectSoundHelp(&chooser, 5);
    CDialogBookProps bookProps;
    ExpectSoundHelp(&bookProps, 2);
    CDialogAddressFormat format;
    ExpectSoundHelp(&format, 6);
    CDialogAddressFormats formats(nullptr, m_userMan.get());
    ExpectSoundHelp(&formats, 4);
}

TEST_F(ContextHelpTest, PreferencesAndFieldChoosersPairEveryControlWithATopic)
{
    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    CDialogPreferences prefs(context);
    ExpectSoundHelp(prefs.General(), 15);
    ExpectSoundHelp(prefs.ContList(), 12);
    ExpectSoundHelp(prefs.BookTree(), 6);
    ExpectSoundHelp(prefs.Dialing(), 6);
    ExpectSoundHelp(prefs.Alphabets(), 6);
    ExpectSoundHelp(prefs.TimeZones(), 8);

    CRGridCtrl grid(*m_dataMan, *m_userMan);
    auto* chooser = new CFieldChooserDlg(&grid);
    ExpectSoundHelp(chooser, 3);
    delete chooser;
    CDialogChooseFields fields(*m_userMan);
    ExpectSoundHelp(&fields, 1);
    CContactInfoPane pane(*m_userMan);
    ExpectSoundHelp(&pane, 1);
}

TEST_F(ContextHelpTest, RightClickAndHelpKeyShowTheControlsTopic)
{
    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    CDialogPreferences prefs(context);
    ShowActive(prefs);
    QWidget* onTop = GetDlgItem(prefs.General(), 1105);
    ASSERT_NE(onTop, nullptr);
    EXPECT_EQ(RightClickHelp(onTop), TopicText(1002));
    EXPECT_EQ(HelpKeyHelp(onTop), TopicText(1002));
    // A control the table leaves out has no balloon; the help key opens the
    // help pages instead of doing nothing.
    PageRecorder pages;
    QWidget* sunken = GetDlgItem(prefs.General(), 1107);
    ASSERT_NE(sunken, nullptr);
    EXPECT_EQ(RightClickHelp(sunken), QString());
    EXPECT_TRUE(pages.opened.isEmpty());
    EXPECT_EQ(HelpKeyHelp(sunken), QString());
    ASSERT_EQ(pages.opened.size(), 1);
    EXPECT_TRUE(pages.opened[0].endsWith(u"/help/tolva_welcome.htm")) << pages.opened[0].toStdString();
    prefs.reject();

    // A page inside its host answers with the page's own table: the list
    // answers through the viewport the click lands on.
    CDialogContactProps props(*m_dataMan, *m_userMan);
    props.StartNew({}, {});
    ShowActive(props);
    QWidget* books = GetDlgItem(props.GeneralPage(), 1010);
    ASSERT_NE(books, nullptr);
    EXPECT_EQ(RightClickHelp(books), TopicText(1123));
    QWidget* first = GetDlgItem(props.GeneralPage(), 1067);
    EXPECT_EQ(HelpKeyHelp(first), TopicText(1116));
    props.reject();
}

TEST_F(ContextHelpTest, TheHelpKeyWithoutATopicGoesOnToTheHelpPages)
{
    PageRecorder pages;
    // "Choose fields" opens with the focus on OK, which has no topic: its
    // first F1 opens the help pages.
    CDialogChooseFields fields(*m_userMan);
    ShowActive(fields);
    QPushButton* ok = fields.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_F1);
    EXPECT_EQ(TakeBalloonText(), QString());
    ASSERT_EQ(pages.opened.size(), 1);
    EXPECT_TRUE(pages.opened[0].endsWith(u"/help/tolva_welcome.htm")) << pages.opened[0].toStdString();
    // The list, which has a topic, explains itself and opens no page.
    const u32 list = ContextHelpPairs(&fields)->front().first;
    EXPECT_EQ(
        HelpKeyHelp(GetDlgItem(&fields, int(list))), TopicText(ContextHelpPairs(&fields)->front().second));
    EXPECT_EQ(pages.opened.size(), 1);
    fields.reject();
}

TEST_F(ContextHelpTest, ARightClickOnAListsItemExplainsTheListAndKeepsTheChoice)
{
    for (const char* name : {"Oslo", "Lima"}) {
        auto zone = std::make_unique<TimeZoneEntry>();
        zone->m_strName = name;
        m_dataMan->Add(std::move(zone));
    }
    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    CDialogPreferences prefs(context);
    prefs.SetStartPage(CDialogPreferences::kTimeZonesPage);
    ShowActive(prefs);
    QTreeWidget* list = prefs.TimeZones()->List();
    ASSERT_GE(list->topLevelItemCount(), 2);
    list->setCurrentItem(list->topLevelItem(0));
    QTreeWidgetItem* other = list->topLevelItem(1);
    const QPoint at = list->visualItemRect(other).center();
    // The help comes with the button going down, as a context menu would.
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(TakeBalloonText(), TopicText(1043));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(0)});
    // The left button still chooses.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->currentItem(), other);
    prefs.reject();
}

TEST_F(ContextHelpTest, HelpTextsDescribeTheControlsAsTheyAre)
{
    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    CDialogPreferences prefs(context);
    // The locations are a plain list: nothing in it is ticked. The clock's
    // location is chosen from the clock's own menu in the status bar.
    QTreeWidget* list = prefs.TimeZones()->List();
    ASSERT_GT(list->topLevelItemCount(), 0);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        EXPECT_FALSE(list->topLevelItem(i)->data(0, Qt::CheckStateRole).isValid());
    const QString locations = TopicText(1043);
    EXPECT_FALSE(locations.contains(u"tick", Qt::CaseInsensitive)) << locations.toStdString();
    EXPECT_TRUE(locations.contains(u"clock with the right mouse button")) << locations.toStdString();

    // No page of Preferences chooses what the information pane shows: its
    // help does not send the user there.
    const QString pane = TopicText(1214);
    EXPECT_FALSE(pane.contains(u"Preferences")) << pane.toStdString();
    EXPECT_TRUE(pane.contains(u"\"Contact Info\" in the View menu")) << pane.toStdString();
}

TEST_F(ContextHelpTest, ShiftF1ThenAClickExplainsTheControlClicked)
{
    CDialogBookChooser chooser(*m_dataMan);
    chooser.m_nMode = CDialogBookChooser::kModeContactBooks;
    ShowActive(chooser);
    QWidget* checkAll = GetDlgItem(&chooser, 1504);
    ASSERT_NE(checkAll, nullptr);
    ASSERT_TRUE(checkAll->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
    QTest::mouseClick(checkAll, Qt::LeftButton);
    EXPECT_EQ(TakeBalloonText(), TopicText(1077));
    chooser.reject();
}

TEST_F(ContextHelpTest, ADamagedTopicsFileShowsNothingAndIsLoggedOnce)
{
    QTemporaryDir shared;
    QDir().mkpath(shared.filePath(QStringLiteral("help/popup")));
    QFile topics(shared.filePath(QStringLiteral("help/popup/topics.txt")));
    ASSERT_TRUE(topics.open(QIODevice::WriteOnly));
    topics.write(".topic 1002\nKept on top.\n.topic 1002\nTwice.\n");
    topics.close();
    ProgramFolder::SetSharedPathForTesting(shared.path());

    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    CDialogPreferences prefs(context);
    ShowActive(prefs);
    QWidget* onTop = GetDlgItem(prefs.General(), 1105);
    EXPECT_EQ(RightClickHelp(onTop), QString());
    EXPECT_EQ(HelpKeyHelp(onTop), QString());
    const QByteArray log = Contents(kErrorLogName);
    EXPECT_EQ(log.count("Context help is not available"), 1) << log.constData();
    EXPECT_TRUE(log.contains("line 3")) << log.constData();
    prefs.reject();
}

TEST_F(ContextHelpTest, TheBalloonShowsItsWholeTextBesideTheControl)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    TapiMan tapi;
    PrefContext context{*m_userMan, *m_dataMan, tapi, {}, {}, {}};
    for (const auto& [name, palette] : {std::pair{QStringLiteral("light"), LightPalette()},
             std::pair{QStringLiteral("dark"), DarkPalette()}}) {
        ScopedPalette scoped(palette);
        CDialogPreferences prefs(context);
        ShowActive(prefs);
        QWidget* load = GetDlgItem(prefs.General(), 1109);
        ASSERT_NE(load, nullptr);
        load->setFocus();
        QTest::keyClick(load, Qt::Key_F1);
        CHelpBalloon* balloon = CHelpBalloon::Current();
        ASSERT_TRUE(balloon && balloon->isVisible());
        EXPECT_EQ(balloon->text(), TopicText(1155));

        // Every word of the text is inside the balloon, on lines no wider
        // than it, and the balloon starts just below the control.
        const QRect room = balloon->contentsRect().adjusted(
            balloon->margin(), balloon->margin(), -balloon->margin(), -balloon->margin());
        const QRect needed = balloon->fontMetrics().boundingRect(room, Qt::TextWordWrap, balloon->text());
        EXPECT_TRUE(room.contains(needed)) << name.toStdString();
        const QRect control(load->mapToGlobal(QPoint(0, 0)), load->size());
        EXPECT_LE(std::abs(balloon->geometry().top() - control.bottom()), load->fontMetrics().height());
        EXPECT_TRUE(balloon->geometry().intersects(QRect(control.left(), 0, control.width(), 100000)));
        const QColor text = balloon->palette().color(QPalette::ToolTipText);
        const QColor back = balloon->palette().color(QPalette::ToolTipBase);
        EXPECT_GT(std::abs(text.lightness() - back.lightness()), 100);

        // The dialog with the balloon over it, for a look.
        const QImage dialog = Grab(&prefs);
        const QRect frame = prefs.frameGeometry();
        const QRect all = frame.united(balloon->geometry());
        QImage sheet(all.size(), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        painter.drawImage(prefs.geometry().topLeft() - all.topLeft(), dialog);
        painter.drawImage(balloon->geometry().topLeft() - all.topLeft(), balloon->grab().toImage());
        painter.end();
        SavePicture(sheet, QStringLiteral("contexthelp-balloon-") + name);
        ShippedHelp::CloseBalloon();
        prefs.reject();
    }
}

}  // namespace

#include "test_contexthelp.moc"
