#include "controls/flatbutton.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/records.h"
#include "core/userman.h"
#include "editing/dialogpreferences.h"
#include "editing/pagebar.h"
#include "editing/timezonespage.h"
#include "editingtest.h"
#include "platform/autostart.h"
#include "platform/fontconv.h"
#include "platform/modemprovider.h"
#include "platform/profile.h"
#include "platform/ui/window.h"
#include "support/keyboard.h"
#include "support/pictures.h"
#include "support/testenv.h"
#include "support/tooltip.h"
#include "telephony/fakemodem.h"
#include "telephony/tapiman.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

template <class T = QWidget> T* Item(const QWidget* page, int id)
{
    auto* widget = qobject_cast<T*>(GetDlgItem(page, id));
    EXPECT_NE(nullptr, widget) << id;
    return widget;
}

bool Checked(const QWidget* page, int id)
{
    return Item<QAbstractButton>(page, id)->isChecked();
}

std::unique_ptr<Alphabet> MakeAlphabet(const char* name, const char* letters, u32 flags = 0)
{
    auto alphabet = std::make_unique<Alphabet>();
    alphabet->m_strName = name;
    alphabet->m_strLetters = letters;
    alphabet->m_dwFlags = flags;
    return alphabet;
}

class PreferencesTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_user.Init(1);
        m_saved = PrefChoosers();
        PrefChoosers().font = [this](QWidget*, LOGFONT& font, COLORREF& colour) {
            font = m_chosenFont;
            colour = m_chosenColour;
            return true;
        };
        PrefChoosers().colour = [this](QWidget*, COLORREF& colour) {
            colour = m_chosenColour;
            return true;
        };
        m_context.programPath = QStringLiteral("/opt/tolva/bin/tolva");
        m_context.setStatusTimeZone = [this](int index) { m_statusCalls.push_back(index); };
    }
    void TearDown() override
    {
        PrefChoosers() = m_saved;
        TolvaTest::TearDown();
    }
    // The stored values as another run reads them: a fresh settings object.
    std::unique_ptr<UserMan> Reloaded()
    {
        m_user.Save();
        Profile::Reopen();
        auto user = std::make_unique<UserMan>();
        user->Init(1);
        return user;
    }
    int AddZone(const char* name, const char* id, u32 flags = 0)
    {
        auto entry = std::make_unique<TimeZoneEntry>();
        EXPECT_TRUE(FillZoneRecord(id, 2026, *entry));
        entry->m_strName = name;
        entry->m_dwFlags = flags;
        return m_data.Add(std::move(entry));
    }

    UserMan m_user;
    CDataFile m_file;
    DataMan m_data{m_file, &m_user};
    TapiMan m_tapi;
    PrefContext m_context{m_user, m_data, m_tapi, {}, {}, {}};
    PrefChooser m_saved;
    LOGFONT m_chosenFont = LogFontFromQFont(QFont(QStringLiteral("DejaVu Serif"), 13));
    COLORREF m_chosenColour = RGB(10, 20, 30);
    std::vector<int> m_statusCalls;
};

}  // namespace

TEST_F(PreferencesTest, GeneralPageStoresFlagsFontAndAutostart)
{
    m_user.m_dwMainFlags = MWF_MAXIMIZE_ON_START | MWF_CLOCK_DATE | MWF_INFOPANE;
    m_user.m_dwRebarFlags = 0x1;
    CPrefGeneralPage page(m_context);
    EXPECT_TRUE(Checked(&page, 1130));
    EXPECT_FALSE(Checked(&page, 1110));
    EXPECT_TRUE(Checked(&page, 1373));
    EXPECT_FALSE(Checked(&page, 1107));
    // Words are set apart by one blank.
    for (const QAbstractButton* button : page.findChildren<QAbstractButton*>())
        EXPECT_FALSE(button->text().contains(QStringLiteral("  "))) << button->text().toStdString();

    // Starting maximized and starting in the tray exclude each other.
    Item<QCheckBox>(&page, 1110)->setChecked(true);
    EXPECT_FALSE(Checked(&page, 1130));
    Item<QCheckBox>(&page, 1130)->setChecked(true);
    EXPECT_FALSE(Checked(&page, 1110));

    Item<QCheckBox>(&page, 1109)->setChecked(true);
    Item<QCheckBox>(&page, 1374)->setChecked(true);
    Item<QRadioButton>(&page, 1372)->setChecked(true);
    Item<QCheckBox>(&page, 1107)->setChecked(true);
    page.OnAlphabetFont();
    EXPECT_TRUE(page.m_bAlphabetFontChanged);
    page.Store();
    // Bits outside the page's (the information pane's) are kept.
    EXPECT_EQ(MWF_MAXIMIZE_ON_START | MWF_START_WITH_SYSTEM | MWF_CONTACT_COUNT | MWF_INFOPANE,
        m_user.m_dwMainFlags);
    EXPECT_EQ(0u, m_user.m_dwRebarFlags & 0x1);
    EXPECT_TRUE(Autostart::IsEnabled());

    const auto stored = Reloaded();
    EXPECT_EQ(m_user.m_dwMainFlags, stored->m_dwMainFlags);
    EXPECT_EQ(m_user.m_dwRebarFlags, stored->m_dwRebarFlags);
    EXPECT_EQ(m_chosenColour, stored->m_crAlphabetText);
    ASSERT_NE(nullptr, stored->GetFont(UFK_ALPHABET));
    EXPECT_EQ(m_chosenFont.lfHeight, stored->GetFont(UFK_ALPHABET)->lfHeight);

    CPrefGeneralPage again(m_context);
    Item<QCheckBox>(&again, 1109)->setChecked(false);
    again.Store();
    EXPECT_FALSE(Autostart::IsEnabled());
}

TEST_F(PreferencesTest, AutostartBoxShowsTheEntryAndOnlyTheUsersTickWritesIt)
{
    // A first run's flags claim desktop start, but no entry exists: the box
    // says so, and an OK for another reason makes none.
    ASSERT_TRUE(m_user.m_dwMainFlags & MWF_START_WITH_SYSTEM);
    ASSERT_FALSE(Autostart::IsEnabled());
    {
        CDialogPreferences dialog(m_context);
        dialog.show();
        EXPECT_FALSE(Checked(dialog.General(), 1109));
        Item<QCheckBox>(dialog.General(), 1374)->setChecked(false);
        dialog.OkButton()->click();
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(Autostart::IsEnabled());
    EXPECT_FALSE(m_user.m_dwMainFlags & MWF_START_WITH_SYSTEM);

    // An entry the user made earlier is shown ticked whatever the flag says,
    // and an OK that leaves the box alone keeps it.
    ASSERT_TRUE(Autostart::Enable(m_context.programPath));
    {
        CDialogPreferences dialog(m_context);
        dialog.show();
        EXPECT_TRUE(Checked(dialog.General(), 1109));
        dialog.OkButton()->click();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(Autostart::IsEnabled());
    EXPECT_TRUE(m_user.m_dwMainFlags & MWF_START_WITH_SYSTEM);
}

TEST_F(PreferencesTest, ContactListPageStoresGridSortFilterAndLooks)
{
    m_user.m_dwListFlags = 0x9;  // confirm, grid lines
    m_user.m_gridPen.lopnStyle = 2;
    m_user.m_dwNameColumnFlags = 2;
    m_user.m_dwFilterFlags = 0;
    CPrefContListPage page(m_context);
    EXPECT_EQ(2, Item<QComboBox>(&page, 1363)->currentIndex());
    EXPECT_EQ(QStringLiteral("Display name"), Item<QComboBox>(&page, 1539)->currentText());
    EXPECT_EQ(QStringLiteral("by First name"), Item<QComboBox>(&page, 1538)->currentText());
    EXPECT_EQ(QStringLiteral("by Company"), Item<QComboBox>(&page, 1538)->itemText(2));

    Item<QComboBox>(&page, 1363)->setCurrentIndex(5);  // no grid lines
    Item<QComboBox>(&page, 1539)->setCurrentIndex(1);
    Item<QComboBox>(&page, 1538)->setCurrentIndex(2);
    Item<QRadioButton>(&page, 1139)->setChecked(true);
    Item<QCheckBox>(&page, 1104)->setChecked(true);
    page.OnChooseColour(true);
    page.OnChooseFont(true);
    page.Store();
    EXPECT_EQ(0x1u | 0x4 | 0x20, m_user.m_dwListFlags);
    EXPECT_EQ(5u, m_user.m_gridPen.lopnStyle);

    const auto stored = Reloaded();
    EXPECT_EQ(0x25u, stored->m_dwListFlags);
    EXPECT_EQ(5u, stored->m_gridPen.lopnStyle);
    EXPECT_EQ(1u, stored->m_dwNameColumnFlags);
    EXPECT_EQ(2u, stored->m_dwFilterFlags);
    EXPECT_EQ(m_chosenColour, stored->m_crListBack);
    EXPECT_EQ(m_chosenColour, stored->m_crHeaderText);
}

TEST_F(PreferencesTest, BookTreePageStoresStartBookAndLooks)
{
    m_user.m_dwTreeFlags = 1;
    m_user.m_dwTreeState = 2;
    CPrefBookTreePage page(m_context);
    EXPECT_TRUE(Checked(&page, 1108));
    EXPECT_TRUE(Checked(&page, 1503));
    EXPECT_FALSE(page.m_bChanged);
    Item<QCheckBox>(&page, 1108)->setChecked(false);
    Item<QRadioButton>(&page, 1502)->setChecked(true);
    page.OnChooseBackground();
    EXPECT_TRUE(page.m_bChanged);
    page.Store();

    const auto stored = Reloaded();
    EXPECT_EQ(0u, stored->m_dwTreeFlags & 1);
    EXPECT_EQ(1u, stored->m_dwTreeState);
    EXPECT_EQ(m_chosenColour, stored->m_crTreeBack);
}

TEST_F(PreferencesTest, DialingPageWithoutDevicesStoresOptions)
{
    m_tapi.Options() = {true, true, 5};
    CPrefDialingPage page(m_context);
    auto* devices = Item<QComboBox>(&page, 1140);
    ASSERT_EQ(1, devices->count());
    EXPECT_EQ(QStringLiteral("No available telephony devices"), devices->itemText(0));
    EXPECT_EQ(CPrefDialingPage::kNoDevices, devices->itemData(0).toInt());
    EXPECT_FALSE(Item<QPushButton>(&page, 1340)->isEnabled());
    page.OnModemSettings();  // nothing to configure, nothing happens

    Item<QSpinBox>(&page, 1146)->setValue(250);  // the range ends at 100
    Item<QCheckBox>(&page, 1144)->setChecked(false);
    page.Store();
    EXPECT_EQ(100u, m_tapi.Options().redialInterval);
    EXPECT_FALSE(m_tapi.Options().autoRedial);
    EXPECT_TRUE(m_tapi.Options().logCalls);
    EXPECT_EQ(kNoTapiDevice, m_tapi.GetCurDevice());
}

TEST_F(PreferencesTest, ConnectUsingListsSerialPortsByNameAndLooksOnlyAtThePickedOne)
{
    // Two USB serial adapters as /dev shows them; neither chosen yet.
    FakeModem modem;
    FakeModem other;
    const QString dev = m_dir->filePath(QStringLiteral("dev"));
    ASSERT_TRUE(QDir(dev).mkpath(QStringLiteral("serial/by-id")));
    const std::pair<QString, std::string> links[]
        = {{QStringLiteral("ttyUSB0"), other.Path()}, {QStringLiteral("ttyUSB1"), modem.Path()},
            {QStringLiteral("serial/by-id/usb-Other_Adapter_1-if00"), "../../ttyUSB0"},
            {QStringLiteral("serial/by-id/usb-Vexa_Voice_Modem_2-if00"), "../../ttyUSB1"}};
    for (const auto& [name, target] : links)
        ASSERT_TRUE(QFile::link(QString::fromStdString(target), dev + u'/' + name));
    SetModemDeviceFolderForTesting(dev.toStdString());
    m_tapi.Init();

    CPrefDialingPage page(m_context);
    auto* devices = Item<QComboBox>(&page, 1140);
    ASSERT_EQ(devices->count(), 2);
    EXPECT_EQ(devices->itemText(0), QStringLiteral("Other Adapter 1 on ttyUSB0"));
    EXPECT_EQ(devices->itemText(1), QStringLiteral("Vexa Voice Modem 2 on ttyUSB1"));
    // Neither is selected until the user picks one.
    EXPECT_EQ(devices->currentIndex(), -1);
    // Picked: the modem is asked its name, which the list then shows.
    devices->setFocus();
    QTest::keyClick(devices, Qt::Key_End);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return devices->itemText(1) == QStringLiteral("Tolva Test Voice Modem on ttyUSB1"); }, 5000))
        << devices->itemText(1).toStdString();
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"AT", "ATI"}));
    EXPECT_TRUE(other.Commands().empty());
    EXPECT_TRUE(Item<QPushButton>(&page, 1340)->isEnabled());
    page.Store();
    EXPECT_EQ(m_tapi.GetCurDevice(), 1);
    // The names the ports now have, whole in the dialog's list.
    if (FontsAvailable()) {
        for (const bool dark : {false, true}) {
            ScopedPalette palette(dark ? DarkPalette() : LightPalette());
            CDialogPreferences dialog(m_context);
            dialog.show();
            dialog.OnShowPage(CDialogPreferences::kGeneralPage + 3);  // Dialing
            auto* list = Item<QComboBox>(dialog.Dialing(), 1140);
            EXPECT_EQ(list->currentText(), QStringLiteral("Tolva Test Voice Modem on ttyUSB1"));
            EXPECT_GE(list->width(), list->sizeHint().width());
            SavePicture(Grab(&dialog), QStringLiteral("prefs-dialing-ports-%1").arg(dark ? "dark" : "light"));
            const QStringList faults = LayoutFaults(&dialog);
            EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        }
    }
    m_tapi.Shutdown();
    EXPECT_TRUE(other.Commands().empty());
}

TEST_F(PreferencesTest, DialingChoicesSurviveARestart)
{
    {
        CDialogPreferences dialog(m_context);
        dialog.show();
        dialog.OnShowPage(CDialogPreferences::kGeneralPage + 3);  // Dialing
        Item<QSpinBox>(dialog.Dialing(), 1146)->setValue(17);
        Item<QCheckBox>(dialog.Dialing(), 1144)->setChecked(false);
        Item<QCheckBox>(dialog.Dialing(), 1145)->setChecked(false);
        dialog.OkButton()->click();
        QCoreApplication::processEvents();
    }
    // The next run reads them back from the settings file.
    Profile::Reopen();
    TapiMan next;
    next.LoadSettings();
    EXPECT_EQ(17u, next.Options().redialInterval);
    EXPECT_FALSE(next.Options().autoRedial);
    EXPECT_FALSE(next.Options().logCalls);

    // An interval the page could never have written gives the first run's.
    Profile::WriteInt("TapiMan", "RedialInterval", 5000);
    Profile::Reopen();
    TapiMan damaged;
    damaged.LoadSettings();
    EXPECT_EQ(5u, damaged.Options().redialInterval);
    EXPECT_FALSE(damaged.Options().autoRedial);
}

TEST_F(PreferencesTest, AlphabetsPageLimitsAndDeletes)
{
    m_data.Add(MakeAlphabet("Latin", "ABC", ALPHABET_CURRENT));
    auto page = std::make_unique<CPrefAlphabetsPage>(m_context);
    auto* list = Item<QTreeWidget>(page.get(), 1155);
    auto* name = Item<QLineEdit>(page.get(), 1156);
    auto* letters = Item<QLineEdit>(page.get(), 1157);
    auto* add = Item<QPushButton>(page.get(), 1158);

    // The last alphabet stays.
    list->setCurrentItem(list->topLevelItem(0));
    page->OnDelete();
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_EQ("Can't delete last alphabet in list.", m_messages.shown.back().text);

    EXPECT_FALSE(add->isEnabled());
    for (int i = 0; i < 4; ++i) {
        name->setText(QStringLiteral("A%1").arg(i));
        letters->setText(QStringLiteral("XYZ"));
        EXPECT_TRUE(add->isEnabled());
        page->OnAdd();
        EXPECT_TRUE(name->text().isEmpty());
    }
    EXPECT_EQ(5, m_data.GetCount(DMK_ALPHABET));
    name->setText(QStringLiteral("Sixth"));
    letters->setText(QStringLiteral("Q"));
    page->OnAdd();
    EXPECT_EQ("Maximum number of alphabets is 5.", m_messages.shown.back().text);
    EXPECT_EQ(5, m_data.GetCount(DMK_ALPHABET));
    name->clear();
    letters->clear();

    // Editing the current alphabet marks it changed.
    list->setCurrentItem(list->topLevelItem(0));
    page->OnEdit();
    letters->setText(QStringLiteral("ABCD"));
    page->OnEdit();
    EXPECT_EQ("ABCD", m_data.GetAt<Alphabet>(0)->m_strLetters);
    EXPECT_TRUE(page->m_bCurrentAlphabetChanged);

    // Declining to delete the current alphabet keeps it.
    m_messages.reply = IDNO;
    list->setCurrentItem(list->topLevelItem(0));
    page->OnDelete();
    EXPECT_EQ("Do you really want to delete current alphabet ?", m_messages.shown.back().text);
    EXPECT_EQ(5, m_data.GetCount(DMK_ALPHABET));
    m_messages.reply = IDYES;
    page->OnDelete();
    EXPECT_EQ(4, m_data.GetCount(DMK_ALPHABET));
    EXPECT_EQ("A0", m_data.GetAt<Alphabet>(0)->m_strName);
    EXPECT_TRUE(m_data.GetAt<Alphabet>(0)->m_dwFlags & ALPHABET_CURRENT);
    EXPECT_EQ(4, list->topLevelItemCount());

    list->setColumnWidth(0, 77);
    page.reset();
    Profile::Reopen();
    CPrefAlphabetsPage again(m_context);
    EXPECT_EQ(77, Item<QTreeWidget>(&again, 1155)->columnWidth(0));
}

TEST_F(PreferencesTest, TimeZonesPageAddsEditsAndDeletesLocations)
{
    AddZone("Home", "Europe/Berlin", TZ_UNDEFINED);
    CTimeZonesPage page(m_context);
    QTreeWidget* list = page.List();
    ASSERT_EQ(1, list->topLevelItemCount());
    EXPECT_FALSE(list->topLevelItem(0)->text(1).isEmpty());
    EXPECT_EQ(QStringLiteral("Time Zone: (UTC+01:00) Europe/Berlin"), Item<QLabel>(&page, 1149)->text());
    EXPECT_TRUE(Item<QLabel>(&page, 1150)->text().startsWith(QStringLiteral("DST start: Last ")));

    // The last location stays.
    page.OnDelete();
    EXPECT_EQ("Can't delete last time zone", m_messages.shown.back().text);

    page.OnNew();
    EXPECT_FALSE(page.InViewMode());
    EXPECT_FALSE(list->isEnabled());
    auto* apply = Item<QPushButton>(&page, 1152);
    EXPECT_EQ(QStringLiteral("&Apply"), apply->text());
    EXPECT_FALSE(apply->isEnabled());  // no name yet
    page.Picker()->setCurrentIndex(page.Picker()->findText(QStringLiteral("(UTC+10:00) Australia/Sydney")));
    // Blanks are no name; those around a name are not kept.
    QTest::keyClicks(page.CustomName(), QStringLiteral("  "));
    EXPECT_FALSE(apply->isEnabled());
    QTest::keyClicks(page.CustomName(), QStringLiteral("Sydney office "));
    EXPECT_TRUE(apply->isEnabled());
    apply->click();
    EXPECT_TRUE(page.InViewMode());
    ASSERT_EQ(2, m_data.GetCount(DMK_TIME_ZONE));
    const TimeZoneEntry* added = m_data.GetAt<TimeZoneEntry>(1);
    EXPECT_EQ("Sydney office", added->m_strName);
    EXPECT_EQ(QStringLiteral("Sydney office"), list->topLevelItem(1)->text(0));
    EXPECT_EQ("Australia/Sydney", added->m_strText3);
    EXPECT_EQ(-600, added->m_lBias);
    EXPECT_EQ(0u, added->m_dwFlags);

    // "Edit DST" says where the rules come from and offers nothing to fetch.
    page.OnNew();
    Item<QPushButton>(&page, 1154)->click();
    ASSERT_FALSE(m_messages.shown.empty());
    EXPECT_EQ(m_messages.shown.back().type & MB_TYPEMASK, u32(MB_OK));
    EXPECT_NE(m_messages.shown.back().text.find("system's time zone database"), std::string::npos);

    // Escape in new mode leaves the mode, not the dialog.
    page.OnCancel();
    page.OnNew();
    page.OnCancel();
    EXPECT_TRUE(page.InViewMode());
    EXPECT_EQ(CDialogPage::kResultNone, page.m_nResult);

    // Editing the clock's location tells the clock.
    list->setCurrentItem(list->topLevelItem(0));
    page.OnEdit();
    EXPECT_EQ(QStringLiteral("Home"), page.CustomName()->text());
    EXPECT_EQ(QStringLiteral("(UTC+01:00) Europe/Berlin"), page.Picker()->currentText());
    page.Picker()->setCurrentIndex(page.Picker()->findText(QStringLiteral("(UTC+05:45) Asia/Kathmandu")));
    page.OnApply();
    EXPECT_EQ("Asia/Kathmandu", m_data.GetAt<TimeZoneEntry>(0)->m_strText3);
    EXPECT_EQ(std::vector<int>{0}, m_statusCalls);

    // Deleting the clock's location waits for the tick, then makes the
    // first location the clock's.
    page.OnDelete();
    EXPECT_EQ(2, m_data.GetCount(DMK_TIME_ZONE));
    page.OnTick();
    ASSERT_EQ(1, m_data.GetCount(DMK_TIME_ZONE));
    EXPECT_EQ("Sydney office", m_data.GetAt<TimeZoneEntry>(0)->m_strName);
    EXPECT_TRUE(m_data.GetAt<TimeZoneEntry>(0)->m_dwFlags & TZ_UNDEFINED);
    EXPECT_EQ((std::vector<int>{0, 0}), m_statusCalls);
    EXPECT_EQ(0, list->topLevelItem(0)->data(0, Qt::UserRole).toInt());
}

TEST_F(PreferencesTest, ALocationNameCutByItsColumnShowsWholeInItsTip)
{
    const QString name = QStringLiteral("Head office of the northern sales region, third floor");
    AddZone(name.toUtf8().constData(), "Europe/Berlin", TZ_UNDEFINED);
    AddZone("Oslo", "Europe/Oslo", 0);
    CTimeZonesPage page(m_context);
    page.resize(420, 300);
    page.show();
    QApplication::processEvents();
    QTreeWidget* list = page.List();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    ASSERT_LT(list->columnWidth(0), list->fontMetrics().horizontalAdvance(name));
    // The middle of the location's cell in a row.
    const auto location = [list](int row) {
        return QPoint(list->columnWidth(0) / 2, list->visualItemRect(list->topLevelItem(row)).center().y());
    };
    EXPECT_EQ(ToolTipAt(list, location(0)), name);
    EXPECT_EQ(ToolTipAt(list, location(1)), QString());
}

TEST_F(PreferencesTest, DeletingAnotherLocationStillRefreshesTheClock)
{
    AddZone("A", "Asia/Tokyo");
    AddZone("B", "America/New_York");
    CTimeZonesPage page(m_context);
    page.List()->setCurrentItem(page.List()->topLevelItem(1));
    page.OnDelete();
    page.OnTick();
    EXPECT_EQ(1, m_data.GetCount(DMK_TIME_ZONE));
    EXPECT_EQ(std::vector<int>{-1}, m_statusCalls);
}

TEST_F(PreferencesTest, DialogStoresOnOkOnlyAndOpensAtTheStartPage)
{
    m_data.Add(MakeAlphabet("Latin", "ABC", ALPHABET_CURRENT));
    AddZone("Home", "Europe/Berlin", TZ_UNDEFINED);
    m_user.m_dwMainFlags = 0;
    {
        CDialogPreferences dialog(m_context);
        dialog.SetStartPage(CDialogPreferences::kTimeZonesPage);
        dialog.show();
        EXPECT_EQ(dialog.TimeZones(), dialog.GetActivePage());
        EXPECT_EQ(CDialogPreferences::kTimeZonesPage, dialog.PageBar()->CheckedCommand());
        Item<QCheckBox>(dialog.General(), 1374)->setChecked(true);
        dialog.reject();
        EXPECT_EQ(0u, m_user.m_dwMainFlags);
    }
    CDialogPreferences dialog(m_context);
    dialog.show();
    EXPECT_EQ(dialog.General(), dialog.GetActivePage());
    Item<QCheckBox>(dialog.General(), 1374)->setChecked(true);
    Item<QSpinBox>(dialog.Dialing(), 1146)->setValue(42);
    dialog.OkButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(MWF_CONTACT_COUNT, m_user.m_dwMainFlags);
    EXPECT_EQ(42u, m_tapi.Options().redialInterval);
}

TEST_F(PreferencesTest, DialogShrinksBackWhenAPageShowsLessAgain)
{
    AddZone("Home", "Europe/Berlin", TZ_UNDEFINED);
    CDialogPreferences dialog(m_context);
    dialog.show();
    QCoreApplication::processEvents();
    const QSize start = dialog.size();
    dialog.OnShowPage(CDialogPreferences::kTimeZonesPage);
    dialog.TimeZones()->OnNew();
    dialog.TimeZones()->CustomName()->setText(QString(200, QLatin1Char('x')));
    QCoreApplication::processEvents();
    EXPECT_GE(dialog.width(), start.width());
    dialog.TimeZones()->OnCancel();
    dialog.OnShowPage(CDialogPreferences::kGeneralPage);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.size(), start);
}

TEST_F(PreferencesTest, Pictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    m_data.Add(MakeAlphabet("Latin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", ALPHABET_CURRENT));
    m_data.Add(MakeAlphabet("Greek", "\xce\x91\xce\x92\xce\x93\xce\x94"));
    AddZone("Home", "Europe/Berlin", TZ_UNDEFINED);
    AddZone("Sydney office", "Australia/Sydney");
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        CDialogPreferences dialog(m_context);
        dialog.show();
        const char* names[] = {"general", "contacts", "booktree", "dialing", "alphabets", "timezones"};
        for (int i = 0; i < dialog.PageCount(); ++i) {
            dialog.OnShowPage(CDialogPreferences::kGeneralPage + i);
            SavePicture(Grab(&dialog),
                QStringLiteral("prefs-%1-%2").arg(QLatin1String(names[i]), dark ? "dark" : "light"));
            const QStringList faults = LayoutFaults(&dialog);
            EXPECT_TRUE(faults.isEmpty()) << names[i] << ":\n" << faults.join(u'\n').toStdString();
        }
    }
}

TEST_F(PreferencesTest, TabAndShiftTabReachEveryControlOfEveryPage)
{
    AddZone("Home", "Europe/Berlin", TZ_UNDEFINED);
    CDialogPreferences dialog(m_context);
    ShowActive(dialog);
    const auto focus = [] { return QApplication::focusWidget(); };
    for (int command = CDialogPreferences::kGeneralPage; command <= CDialogPreferences::kTimeZonesPage;
         ++command) {
        dialog.OnShowPage(command);
        // Buttons that exclude each other are one stop, left with the arrows.
        QList<QWidget*> controls = ReadingOrder(dialog.GetActivePage());
        controls.removeIf([](QWidget* w) { return qobject_cast<QRadioButton*>(w) != nullptr; });
        ASSERT_FALSE(controls.isEmpty()) << command;
        QSet<QWidget*> forward;
        QSet<QWidget*> backward;
        dialog.PageBar()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 40 && focus() != dialog.OkButton(); ++i) {
            QTest::keyClick(focus(), Qt::Key_Tab);
            forward.insert(focus());
        }
        for (int i = 0; i < 40 && focus() != dialog.PageBar(); ++i) {
            QTest::keyClick(focus(), Qt::Key_Backtab, Qt::ShiftModifier);
            backward.insert(focus());
        }
        for (QWidget* control : controls) {
            EXPECT_TRUE(forward.contains(control))
                << command << " Tab: " << DescribeControl(control).toStdString();
            EXPECT_TRUE(backward.contains(control))
                << command << " Shift+Tab: " << DescribeControl(control).toStdString();
        }
    }
}

TEST_F(PreferencesTest, TheFocusFrameStaysOnTheCurrentPage)
{
    CDialogPreferences dialog(m_context);
    ShowActive(dialog);
    CPageBar* bar = dialog.PageBar();
    const int general = bar->IndexOf(CDialogPreferences::kGeneralPage);
    // Down the bar to the second page, shown with Space; then on to a third
    // page from inside the second.
    bar->setFocus(Qt::TabFocusReason);
    QTest::keyClick(bar, Qt::Key_Down);
    QTest::keyClick(bar, Qt::Key_Space);
    EXPECT_EQ(bar->CheckedCommand(), bar->CommandAt(general + 1));
    QTest::keyClick(bar, Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), bar);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(bar->CheckedCommand(), bar->CommandAt(general + 2));
    // Back on the bar, its frame is on the page shown, and nothing is lit
    // while the keyboard is elsewhere.
    bar->setFocus(Qt::BacktabFocusReason);
    EXPECT_EQ(bar->HotItem(), general + 2);
    QTest::keyClick(bar, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(bar->CheckedCommand(), bar->CommandAt(general + 3));
    ASSERT_NE(QApplication::focusWidget(), bar);
    EXPECT_EQ(bar->HotItem(), -1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), bar);
    EXPECT_EQ(bar->HotItem(), general + 3);
}
