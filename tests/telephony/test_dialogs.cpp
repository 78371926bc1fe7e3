#define QTEST_QPA_MOUSE_HANDLING
#include "controls/flatbutton.h"
#include "controls/gradientcaption.h"
#include "impexp/ui/iefilechooser.h"
#include "support/contexthelpcheck.h"
#include "support/keyboard.h"
#include "support/modal.h"
#include "support/pictures.h"
#include "telephony/calllog.h"
#include "telephony/ui/calllogdlg.h"
#include "telephony/ui/callstatusdlg.h"
#include "telephony/ui/manualdialdlg.h"
#include "telephony/ui/speeddialdlg.h"
#include "telephony/ui/telephonyui.h"
#include "telephonytest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

namespace {

const std::pair<const char*, QPalette> kPalettes[] = {{"light", LightPalette()}, {"dark", DarkPalette()}};

class DialogTest : public TelephonyTest {
protected:
    void AddCall(u32 contact, const std::string& name, const std::string& number, u32 kind = DIAL_CONTACT,
        const QDateTime& start = QDateTime(QDate(2024, 3, 5), QTime(14, 30, 5)))
    {
        auto entry = std::make_unique<CallLogEntry>();
        entry->m_duContactID = contact;
        entry->m_dwKind = kind;
        entry->m_strName = name;
        entry->m_strNumber = number;
        entry->m_dtStart = DateFromQDateTime(start);
        entry->m_dtDuration = {(2 * 60 + 7) / 86400.0, DateStatus::Valid};
        entry->m_dwWord = 1;
        m_dm->Add(std::move(entry));
    }
    std::vector<std::string> Column(const CDialogCallLog& dialog, int column)
    {
        std::vector<std::string> cells;
        for (const CallLogRow& row : dialog.Model().Rows())
            cells.push_back(row.cells[std::size_t(column)]);
        return cells;
    }
    void Select(QTreeView* list, std::initializer_list<int> rows)
    {
        list->selectionModel()->clear();
        for (int row : rows)
            list->selectionModel()->select(
                list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void SetSlot(int index, const std::string& title, const std::string& number)
    {
        SpeedDialSlot* slot = FindSpeedDialSlot(*m_dm, index);
        slot->m_strName = title;
        slot->m_strNumber = number;
    }
};

}  // namespace

TEST_F(DialogTest, CallStatusDialogDialsThenTimesAndLogsTheCall)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall *\n2 ringback\n4 connected\n");
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    bool checked = false;
    OnModal<CDialogCallStatus>([&](CDialogCallStatus* dialog) {
        ASSERT_TRUE(WaitUntil([&] { return dialog->OkButton()->isEnabled() && tapi.GetLine()->IsInCall(); }));
        WaitUntil([] { return false; }, 30);
        EXPECT_FALSE(dialog->LogCheck()->isVisible());
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        // Hung-up mode: the conversation is timed, the line let go.
        EXPECT_EQ(dialog->OkButton()->text(), "Hung Up");
        EXPECT_FALSE(dialog->CancelButton()->isVisible());
        EXPECT_TRUE(dialog->LogCheck()->isVisible() && dialog->LogCheck()->isChecked());
        EXPECT_EQ(dialog->NameEdit()->text(), "Ann");
        EXPECT_FALSE(tapi.GetLine()->IsInCall());
        dialog->NameEdit()->setText("Ann (mobile)");
        QTest::keyClick(dialog->NameEdit(), Qt::Key_Return);
        checked = true;
    });
    EXPECT_EQ(tapi.Dial(40, DIAL_CONTACT, "555", "Ann"), 1u);
    EXPECT_TRUE(checked);
    ASSERT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
    EXPECT_EQ(LogEntry(0)->m_strName, "Ann (mobile)");

    // Escape cancels: nothing is logged and the line is let go.
    OnModal<CDialogCallStatus>([](CDialogCallStatus* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    tapi.Dial(40, DIAL_CONTACT, "555", "Ann");
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
}

TEST_F(DialogTest, CancelWhileTheRequestIsUnansweredFreesTheLineAtOnce)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall 1\nreply 0 never\ncall 2\n1 connected\n");
    tapi.GetLine()->SetWaitTimesForTesting(4000, 10);
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    // Clicks Cancel from the event loop the pending request runs, once the
    // request has gone out.
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CDialogCallStatus*>(QApplication::activeModalWidget());
        if (dialog && tapi.GetLine()->IsInCall()) {
            clicker.stop();
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        }
    });
    clicker.start(5);
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "1", ""), 1u);
    // No late failure once the request would have timed out.
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
    EXPECT_EQ(tapi.GetFlags() & TAPIMAN_IN_CALL, 0u);

    // The next dial goes through straight away.
    bool connected = false;
    OnModal<CDialogCallStatus>([&](CDialogCallStatus* dialog) {
        connected = WaitUntil([&] { return dialog->OkButton()->isEnabled(); });
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    tapi.Dial(kAllContacts, DIAL_MANUAL, "2", "");
    EXPECT_TRUE(connected);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(DialogTest, ACallThatEndedOffersNoReceiverToLiftAndAFailedDialIsToldWithoutTheDialog)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall 1\n200 ringback\n400 disconnected noanswer\n"
                              "call 2\n300 disconnected unavail\n");
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    for (const char* number : {"1", "2"}) {
        bool over = false;
        OnModal<CDialogCallStatus>([&](CDialogCallStatus* dialog) {
            EXPECT_TRUE(WaitUntil([&] { return dialog->OkButton()->isEnabled(); })) << number;
            EXPECT_TRUE(dialog->HintLabel()->isVisible());
            over = WaitUntil([&] { return !dialog->OkButton()->isEnabled(); });
            EXPECT_FALSE(dialog->HintLabel()->isVisible()) << number;
            // Still not, once the idle updates have run.
            WaitUntil([] { return false; }, 50);
            EXPECT_FALSE(dialog->OkButton()->isEnabled()) << number;
            if (FontsAvailable()) {
                const QImage picture = Grab(dialog);
                const QStringList faults = LayoutFaults(dialog);
                EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
                SavePicture(picture, QStringLiteral("callstatus-ended-%1").arg(number));
            }
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        });
        EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, number, ""), 1u);
        EXPECT_TRUE(over) << number;
    }
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);

    // A number the line refuses is told once the call status has gone.
    struct WatchingSink : RecordingMessageSink {
        bool overDialog = false;
        int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override
        {
            for (QWidget* window : QApplication::topLevelWidgets())
                overDialog = overDialog || (qobject_cast<CDialogCallStatus*>(window) && window->isVisible());
            return RecordingMessageSink::ShowMessage(owner, text, title, type);
        }
    } sink;
    ScopedMessageSink scoped(sink);
    TapiMan& refusing = StartTapi("device notranslate Modem\n");
    InstallTelephonyUi(refusing, *m_dm, nullptr);
    refusing.Dial(kAllContacts, DIAL_MANUAL, "call me later", "");
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text.rfind("The number \"call me later\" cannot be dialed.", 0), 0u);
    EXPECT_FALSE(sink.overDialog);
    EXPECT_TRUE(refusing.LastNumberRefused());
}

TEST_F(DialogTest, CallStatusPictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    TapiMan& tapi = StartTapi("device - Modem\ncall 555-0199\n2 busy\ncall *\n1 dialing\n2 connected\n");
    m_timing.redialTick = 1000;
    for (const auto& [name, palette] : kPalettes) {
        ScopedPalette scoped(palette);
        CallProgress progress(
            *tapi.GetLine(), {40, DIAL_CONTACT, "555-0199", "Ann Example", 0}, 100, true, true);
        CDialogCallStatus dialog(progress);
        Grab(&dialog);
        ASSERT_TRUE(WaitUntil([&] { return progress.Countdown() > 0; }));
        SavePicture(Grab(&dialog), QStringLiteral("callstatus-redial-%1").arg(name));
        progress.Cancel(false);
    }
    for (const auto& [name, palette] : kPalettes) {
        ScopedPalette scoped(palette);
        CallProgress progress(
            *tapi.GetLine(), {40, DIAL_CONTACT, "+1 555 0100 x89", "Ann Example", 0}, 5, true, true);
        CDialogCallStatus dialog(progress);
        Grab(&dialog);
        ASSERT_TRUE(WaitUntil([&] {
            return progress.LastStatus() == TCS_CONNECTED && progress.IsOkEnabled();
        })) << progress.StatusText();
        EXPECT_TRUE(dialog.OkButton()->hasFocus());
        SavePicture(Grab(&dialog), QStringLiteral("callstatus-dialing-%1").arg(name));
        // The buttons sit under the last shown row, with no empty band between.
        const auto lowestShownRow = [&dialog] {
            int bottom = 0;
            for (QWidget* child : dialog.findChildren<QWidget*>()) {
                if (child->isVisible() && !qobject_cast<QPushButton*>(child)
                    && child->parentWidget() != &dialog)
                    bottom = std::max(bottom, child->mapTo(&dialog, QPoint(0, child->height())).y());
            }
            return bottom;
        };
        const int lineHeight = dialog.fontMetrics().height();
        EXPECT_LT(dialog.OkButton()->mapTo(&dialog, QPoint()).y() - lowestShownRow(), 2 * lineHeight);
        dialog.OkButton()->click();
        SavePicture(Grab(&dialog), QStringLiteral("callstatus-hungup-%1").arg(name));
        EXPECT_LT(dialog.OkButton()->mapTo(&dialog, QPoint()).y() - lowestShownRow(), 2 * lineHeight);
        EXPECT_GE(dialog.height(), dialog.sizeHint().height());
        progress.Cancel(false);
    }
}

TEST_F(DialogTest, ManualDialKeepsAHistoryOfDistinctNumbers)
{
    TapiMan& tapi = StartTapi("device - Modem\n");
    m_user.cancelAtOnce = true;
    std::string stored;
    for (int i = 1; i <= 50; ++i)
        stored += "n" + std::to_string(i) + "\n";
    Profile::WriteString(kTapiSection, "ManualPhones", stored);
    std::string created;
    {
        CDialogManualDial dialog(tapi);
        dialog.SetCreateContact([&](const std::string& phone) { created = phone; });
        dialog.show();
        ASSERT_EQ(dialog.NumberBox()->count(), 50);
        EXPECT_TRUE(dialog.DialButton()->isEnabled());

        QTest::keyClick(dialog.NumberBox(), Qt::Key_Return);
        EXPECT_EQ(Shown(), std::vector<std::string>{"Please specify the phone number"});
        dialog.NumberBox()->setEditText("  555-0100 ");
        QTest::keyClick(dialog.NumberBox(), Qt::Key_Return);
        dialog.NumberBox()->setEditText("555-0100");
        dialog.OnDial();
        ASSERT_EQ(m_user.requests.size(), 2u);
        EXPECT_EQ(m_user.requests[0].number, "555-0100");
        EXPECT_EQ(m_user.requests[0].dialKind, u32(DIAL_MANUAL));
        EXPECT_EQ(m_user.requests[0].contactId, kAllContacts);
        EXPECT_EQ(dialog.History().size(), 51u);
        dialog.NumberBox()->setEditText("555-0199");
        dialog.OnDial();
        EXPECT_EQ(dialog.History().size(), 51u);
        EXPECT_EQ(dialog.History().front(), "n2");
        EXPECT_EQ(dialog.NumberBox()->itemText(0), "n2");

        dialog.OnCreateContact();
        EXPECT_EQ(created, "555-0199");
        dialog.reject();
    }
    const auto saved = TapiMan::LoadManualPhones();
    ASSERT_EQ(saved.size(), 51u);
    EXPECT_EQ(saved.back(), "555-0199");

    // Telephony that did not start cannot dial; no device disables Dial.
    m_messages.shown.clear();
    TapiMan idle;
    CDialogManualDial dialog(idle);
    dialog.show();
    EXPECT_FALSE(dialog.DialButton()->isEnabled());
    dialog.NumberBox()->setEditText("1");
    dialog.OnDial();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Can't dial. Please verify your modem settings"});
}

TEST_F(DialogTest, CallLogListsDeletesClearsAndDialsItsEntries)
{
    TapiMan& tapi = StartTapi("device - Modem\n");
    m_user.cancelAtOnce = true;
    AddCall(40, "Ann", "1");
    AddCall(41, "Bob", "2");
    AddCall(40, "Ann", "3");
    AddCall(kAllContacts, "", "4", DIAL_MANUAL);
    AddCall(40, "Ann", "5");
    {
        // One contact's calls keep their numbers in the whole log.
        CDialogCallLog dialog(tapi, *m_dm);
        dialog.SetFilter(40);
        dialog.show();
        EXPECT_EQ(Column(dialog, CLC_NO), (std::vector<std::string>{"1", "3", "5"}));
        EXPECT_EQ(dialog.Model().Rows()[0].cells[CLC_DURATION], "00:02:07");
        EXPECT_FALSE(dialog.Button("&Delete")->isEnabled());
        EXPECT_TRUE(dialog.Button("Clea&r")->isEnabled());
        dialog.OnClear();
        EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 2);
        EXPECT_FALSE(dialog.Button("E&xport")->isEnabled());
    }
    AddCall(40, "Ann", "6");
    AddCall(42, "Cy", "7");
    AddCall(43, "Di", "8");
    CDialogCallLog dialog(tapi, *m_dm);
    dialog.show();
    EXPECT_EQ(Column(dialog, CLC_NAME), (std::vector<std::string>{"Bob", "Manual Dial", "Ann", "Cy", "Di"}));
    // Deleting rows 2 and 3 leaves each later row on its own entry.
    Select(dialog.List(), {1, 2});
    EXPECT_TRUE(dialog.Button("&Delete")->isEnabled());
    EXPECT_FALSE(dialog.Button("&Delete")->text().isEmpty());
    dialog.OnDelete();
    EXPECT_EQ(Column(dialog, CLC_NO), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Column(dialog, CLC_PHONE), (std::vector<std::string>{"2", "7", "8"}));
    EXPECT_EQ(m_dm->GetAt<CallLogEntry>(2)->m_strNumber, "8");

    Select(dialog.List(), {1});
    dialog.OnDial();
    ASSERT_EQ(m_user.requests.size(), 1u);
    EXPECT_EQ(m_user.requests[0].contactId, 42u);
    EXPECT_EQ(m_user.requests[0].number, "7");
    EXPECT_EQ(m_user.requests[0].name, "Cy");
    // Saved at once.
    EXPECT_FALSE(Contents("tolva.ndf").contains("Ann"));
}

TEST_F(DialogTest, CallLogExportsTheRowsShownAndRemembersWidths)
{
    TapiMan& tapi = StartTapi("device - Modem\n");
    AddCall(40, "Ann, Jr.", "555 \"0100\"");
    const QByteArray twenty(20, '\x40');
    Profile::WriteBinary("UserMan\\Miscellaneous", "LogListColumns", twenty.constData(), twenty.size());
    int firstWidth = 0;
    {
        CDialogCallLog dialog(tapi, *m_dm);
        dialog.show();
        // A value of another size is ignored: the widths follow the font.
        const int average = dialog.List()->fontMetrics().averageCharWidth();
        EXPECT_EQ(dialog.List()->columnWidth(1), 20 * average);
        firstWidth = dialog.List()->columnWidth(0);
        const QString path = m_dir->filePath(QStringLiteral("log.txt"));
        ASSERT_TRUE(dialog.Export(path.toStdString()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        EXPECT_EQ(lines[0].toStdString(), "\"No\",\"Name\",\"Phone\",\"Time\",\"Duration\",\"Attempts\"\r");
        EXPECT_TRUE(lines[1].startsWith("\"1\",\"Ann, Jr.\",\"555 \"\"0100\"\"\","))
            << lines[1].toStdString();
        EXPECT_TRUE(lines[1].endsWith(",\"00:02:07\",\"1\"\r")) << lines[1].toStdString();
        EXPECT_EQ(Profile::GetString("UserMan\\Miscellaneous", "LogListExpPath"), path.toStdString());

        EXPECT_FALSE(dialog.Export(m_dir->filePath(QStringLiteral("no/such/dir/log.txt")).toStdString()));
        ASSERT_EQ(m_messages.shown.size(), 1u);
        EXPECT_NE(m_messages.shown[0].text.find("no/such/dir/log.txt\n\n"), std::string::npos);
        dialog.List()->setColumnWidth(1, 222);
        dialog.reject();
    }
    i32 widths[6] = {};
    ASSERT_TRUE(Profile::GetStruct("UserMan\\Miscellaneous", "LogListColumns", widths));
    EXPECT_EQ(widths[0], firstWidth);
    EXPECT_EQ(widths[1], 222);
}

TEST_F(DialogTest, CallLogExportChoosesItsFileThroughTheWizardsChooser)
{
    struct Chooser : IEFileChooser {
        QString answer;
        QStringList filters;
        QString extension;
        Result Choose(QWidget*, bool open, const QString&, const QString& filter,
            const QString& defaultExtension, QString& chosen) override
        {
            EXPECT_FALSE(open);
            filters = NameFilters(filter);
            extension = defaultExtension;
            chosen = answer;
            return kChosen;
        }
    } chooser;
    IEFileChooser* previous = SetFileChooser(&chooser);
    TapiMan& tapi = StartTapi("device - Modem\n");
    AddCall(40, "Ann", "555");
    CDialogCallLog dialog(tapi, *m_dm);
    dialog.show();
    chooser.answer = m_dir->filePath(QStringLiteral("calls.txt"));
    QTest::mouseClick(dialog.Button(QStringLiteral("E&xport")), Qt::LeftButton);
    EXPECT_EQ(chooser.filters, (QStringList{"Text Files (*.txt)", "All Files(*.*)"}));
    EXPECT_EQ(chooser.extension, "txt");
    QFile file(chooser.answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"Ann\""));
    file.close();
    EXPECT_TRUE(m_messages.shown.empty());

    // An existing file is replaced only when the user says so.
    QFile::resize(chooser.answer, 0);
    m_messages.reply = IDNO;
    QTest::mouseClick(dialog.Button(QStringLiteral("E&xport")), Qt::LeftButton);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("Replace existing file?"), std::string::npos);
    EXPECT_EQ(QFileInfo(chooser.answer).size(), 0);
    SetFileChooser(previous);
}

TEST_F(DialogTest, SpeedDialDialsFilledSlotsAndEditsEmptyOnes)
{
    struct Recording : CDialogSpeedDial {
        using CDialogSpeedDial::CDialogSpeedDial;
        std::vector<int> edited;
        bool EditSlot(int slot) override
        {
            edited.push_back(slot);
            return false;
        }
    };
    TapiMan& tapi = StartTapi("device - Modem\n");
    m_user.cancelAtOnce = true;
    SetSlot(5, "Pizza & Co", "555-0105");
    SetSlot(2, "Title only", "");
    Recording dialog(tapi, *m_dm);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.SlotButton(5)->text(), "Pizza && Co");
    QTest::keyClick(&dialog, Qt::Key_5, Qt::AltModifier);
    QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(m_user.requests.size(), 1u);
    EXPECT_EQ(m_user.requests[0].number, "555-0105");
    EXPECT_EQ(m_user.requests[0].name, "Pizza & Co");
    EXPECT_EQ(m_user.requests[0].dialKind, u32(DIAL_SPEED_DIAL));
    EXPECT_TRUE(dialog.edited.empty());
    dialog.SlotButton(2)->click();
    EXPECT_EQ(dialog.edited, std::vector<int>{2});

    tapi.SetCurDevice(kNoTapiDevice);
    Recording none(tapi, *m_dm);
    none.show();
    none.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&none));
    EXPECT_FALSE(none.SlotButton(0)->isEnabled());
    EXPECT_EQ(none.Caption()->text(), "No modem chosen: choose one in Tools, Preferences, Dialing");
    QTest::keyClick(&none, Qt::Key_5, Qt::AltModifier);
    EXPECT_EQ(Shown(), std::vector<std::string>{kNoDevices});
    EXPECT_EQ(m_user.requests.size(), 1u);
}

TEST_F(DialogTest, SpeedDialPreferencesCreateModifyAndDeleteSlots)
{
    SetSlot(1, "Bob", "555-0101");
    CDialogSpeedDialPrefs prefs(*m_dm);
    prefs.show();
    EXPECT_EQ(prefs.SlotEdit()->text(), "1");
    EXPECT_EQ(prefs.ModifyButton()->text(), "&Create");
    prefs.TitleEdit()->setText("Ann");
    prefs.OnModify();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Please enter data."});
    prefs.NumberEdit()->setText("555-0100");
    prefs.OnModify();
    EXPECT_EQ(FindSpeedDialSlot(*m_dm, 0)->m_strNumber, "555-0100");
    EXPECT_EQ(prefs.List()->topLevelItem(0)->text(1), "Ann");
    EXPECT_EQ(prefs.ModifyButton()->text(), "&Modify");
    EXPECT_TRUE(prefs.TitleEdit()->text().isEmpty());
    EXPECT_TRUE(Contents("tolva.ndf").contains("555-0100"));

    // Modify loads the slot; while it is edited the selection stays.
    prefs.List()->setCurrentItem(prefs.List()->topLevelItem(1));
    prefs.OnModify();
    EXPECT_EQ(prefs.ModifyButton()->text(), "&Update");
    EXPECT_EQ(prefs.TitleEdit()->text(), "Bob");
    prefs.List()->setCurrentItem(prefs.List()->topLevelItem(4));
    EXPECT_EQ(prefs.List()->currentItem(), prefs.List()->topLevelItem(1));
    prefs.NumberEdit()->setText("555-0111");
    prefs.OnModify();
    EXPECT_EQ(FindSpeedDialSlot(*m_dm, 1)->m_strNumber, "555-0111");

    prefs.OnDelete();
    EXPECT_TRUE(FindSpeedDialSlot(*m_dm, 1)->m_strName.empty());
    EXPECT_EQ(prefs.ModifyButton()->text(), "&Create");
    EXPECT_TRUE(prefs.IsChanged());

    // One slot: no Delete, the slot in the fields, done when stored.
    CDialogSpeedDialPrefs single(*m_dm);
    single.SetPreselected(0);
    single.SetSingleSlot(true);
    single.show();
    EXPECT_FALSE(single.DeleteButton()->isVisible());
    EXPECT_EQ(single.TitleEdit()->text(), "Ann");
    single.TitleEdit()->setText("Ann B.");
    single.OnModify();
    EXPECT_EQ(single.result(), IDOK);
    EXPECT_EQ(FindSpeedDialSlot(*m_dm, 0)->m_strName, "Ann B.");
}

TEST_F(DialogTest, SpeedDialAndCallLogPictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    TapiMan& tapi = StartTapi("device - Modem\n");
    SetSlot(0, "Ann Example", "555-0100");
    SetSlot(1, "Pizza & Co", "555-0101");
    SetSlot(5, "Office", "555-0105");
    AddCall(40, "Ann Example", "555-0100");
    AddCall(kAllContacts, "", "+44 20 7946 0000", DIAL_MANUAL);
    AddCall(kAllContacts, "Office", "555-0105", DIAL_SPEED_DIAL);
    AddCall(41, "Bob Example", "+1 (555) 123-4567");
    // The longest names of a weekday and a month.
    AddCall(41, "Bob Example", "555-0199", DIAL_CONTACT, QDateTime(QDate(2023, 9, 27), QTime(22, 45, 33)));
    TapiMan::SaveManualPhones({"555-0100", "+44 20 7946 0000"});
    for (const auto& [name, palette] : kPalettes) {
        ScopedPalette scoped(palette);
        CDialogSpeedDial speed(tapi, *m_dm);
        SavePicture(Grab(&speed), QStringLiteral("speeddial-%1").arg(name));
        // Without a modem the caption says where one is chosen, whole.
        tapi.SetCurDevice(kNoTapiDevice);
        CDialogSpeedDial none(tapi, *m_dm);
        const QImage nomodem = Grab(&none);
        SavePicture(nomodem, QStringLiteral("speeddial-nomodem-%1").arg(name));
        tapi.SetCurDevice(0);
        // The caption's words keep at least the working area's margin from
        // the dialog's edges.
        const QRect strip = none.Caption()->geometry();
        const QRgb back = Pixel(nomodem, strip.left(), strip.top());
        int left = INT_MAX;
        int right = -1;
        for (int y = strip.top(); y <= strip.bottom(); ++y)
            for (int x = strip.left(); x <= strip.right(); ++x)
                if (Pixel(nomodem, x, y) != back) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(right, 0) << name;
        const int inset = none.Frame()->x();
        EXPECT_GE(left, inset) << name;
        EXPECT_LE(right, none.width() - 1 - inset) << name;
        for (const QWidget* dialog : {static_cast<QWidget*>(&speed), static_cast<QWidget*>(&none)}) {
            const QStringList faults = LayoutFaults(dialog);
            EXPECT_TRUE(faults.isEmpty()) << name << ":\n" << faults.join(u'\n').toStdString();
        }
        CDialogSpeedDialPrefs prefs(*m_dm);
        SavePicture(Grab(&prefs), QStringLiteral("speeddialprefs-%1").arg(name));
        CDialogCallLog log(tapi, *m_dm);
        log.SetTitle("All contacts");
        Grab(&log);
        Select(log.List(), {1});
        SavePicture(Grab(&log), QStringLiteral("calllog-%1").arg(name));
        // Every column, "Attempts" last, shows in full from the first opening.
        int columns = 0;
        for (int i = 0; i < log.List()->header()->count(); ++i)
            columns += log.List()->columnWidth(i);
        EXPECT_GE(log.List()->viewport()->width(), columns) << name;
        EXPECT_FALSE(log.List()->horizontalScrollBar()->isVisible()) << name;
        // A whole international number, and the time of a call, each in its column.
        for (const int column : {int(CLC_PHONE), int(CLC_TIME)}) {
            QStyleOptionViewItem option;
            option.initFrom(log.List());
            for (int row = 0; row < log.Model().rowCount(); ++row) {
                const QModelIndex index = log.Model().index(row, column);
                EXPECT_GE(log.List()->columnWidth(column),
                    log.List()->itemDelegate()->sizeHint(option, index).width())
                    << name << " " << index.data().toString().toStdString();
            }
        }
        CDialogManualDial manual(tapi);
        Grab(&manual);
        manual.NumberBox()->setEditText("555-0123");
        SavePicture(Grab(&manual), QStringLiteral("manualdial-%1").arg(name));
        manual.reject();
    }
}

TEST_F(DialogTest, DialingDialogsExplainTheirControls)
{
    ShippedHelp help;
    TapiMan& tapi = StartTapi("device - Modem\n");
    CDialogManualDial manual(tapi);
    ExpectSoundHelp(&manual, 3);
    CDialogCallLog log(tapi, *m_dm);
    ExpectSoundHelp(&log, 5);
    CDialogSpeedDial speed(tapi, *m_dm);
    ExpectSoundHelp(&speed, 10);
    CDialogSpeedDialPrefs prefs(*m_dm);
    ExpectSoundHelp(&prefs, 6);

    // F1 on the number field, as the dialog is used from the keyboard.
    manual.show();
    manual.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&manual));
    EXPECT_EQ(HelpKeyHelp(manual.NumberBox()), TopicText(1310));
    EXPECT_EQ(RightClickHelp(manual.DialButton()), TopicText(1311));
}

TEST_F(DialogTest, ManualDialTakesKeysAsLaidOut)
{
    // No device: "&Dial" is disabled, so Alt+D reaches no control.
    TapiMan idle;
    CDialogManualDial dialog(idle);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QWidget* number = QApplication::focusWidget();
    ASSERT_TRUE(number && dialog.NumberBox()->isAncestorOf(number));
    QTest::keyClicks(number, QStringLiteral("555"));
    QTest::keyClick(number, Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(number, Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(dialog.NumberBox()->currentText(), QStringLiteral("555"));
    EXPECT_EQ(QApplication::focusWidget(), number);

    // Tab goes from the number along the row of buttons from the left.
    dialog.DialButton()->setEnabled(true);
    const QStringList reading = DescribeControls(ReadingOrder(dialog.Frame()));
    ASSERT_EQ(reading.size(), 4);
    EXPECT_EQ(DescribeControls(TabOrder(dialog.Frame())).join(u'\n').toStdString(),
        reading.join(u'\n').toStdString());
    dialog.reject();
}
