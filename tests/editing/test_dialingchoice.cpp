#include "controls/flatbutton.h"
#include "editing/dialogpreferences.h"
#include "editing/editingdialogs.h"
#include "editingtest.h"
#include "mainwnd/commands.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/modemprovider.h"
#include "platform/profile.h"
#include "platform/ui/window.h"
#include "support/modal.h"
#include "telephony/fakemodem.h"
#include "telephony/tapiman.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

class DialingChoiceTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        // A USB serial port as its own device folder shows it; nobody chose it.
        const QString dev = m_dir->filePath(QStringLiteral("dev"));
        ASSERT_TRUE(QDir(dev).mkpath(QStringLiteral("serial/by-id")));
        ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), dev + QStringLiteral("/ttyUSB0")));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../ttyUSB0"),
            dev + QStringLiteral("/serial/by-id/usb-Vexa_Voice_Modem_2-if00")));
        SetModemDeviceFolderForTesting(dev.toStdString());
    }
    void TearDown() override
    {
        SetModemSystemPortsForTesting(false);
        EditingTest::TearDown();
    }

    // Preferences through the main window's command, answered by action.
    void RunPreferences(TapiMan& tapi, std::function<void(CDialogPreferences*)> action)
    {
        CMainFrame frame(*m_userMan, *m_dataMan, tapi);
        CEditingDialogs dialogs(*m_dataMan, *m_userMan);
        frame.GetContainer()->SetEditingHooks(&dialogs);
        bool came = false;
        OnModal<CDialogPreferences>([&](CDialogPreferences* dialog) {
            came = true;
            action(dialog);
        });
        frame.UpdateAllCommands();
        auto* command = frame.findChild<QAction*>(QStringLiteral("cmd%1").arg(ID_PREFERENCES));
        ASSERT_TRUE(command && command->isEnabled());
        command->trigger();
        EXPECT_TRUE(came);
    }

    // Whether the modem was sent anything within a while.
    bool ModemAsked(int ms = 600)
    {
        return QTest::qWaitFor([this] { return !m_modem.Commands().empty(); }, ms);
    }

    FakeModem m_modem;
};

}  // namespace

TEST_F(DialingChoiceTest, OkInPreferencesChoosesNoPortTheUserDidNotPick)
{
    auto tapi = std::make_unique<TapiMan>();
    tapi->Init();
    ASSERT_EQ(tapi->GetLine()->GetConfigCount(), 1);
    ASSERT_EQ(tapi->GetCurDevice(), kNoTapiDevice);

    // OK on the page the dialog opens with.
    RunPreferences(*tapi, [](CDialogPreferences* dialog) {
        auto* devices = qobject_cast<QComboBox*>(GetDlgItem(dialog->Dialing(), 1140));
        EXPECT_EQ(devices->currentIndex(), -1);
        EXPECT_EQ(devices->count(), 1);
        // Nothing selected has no settings to edit.
        EXPECT_FALSE(qobject_cast<QPushButton*>(GetDlgItem(dialog->Dialing(), 1340))->isEnabled());
        dialog->OkButton()->click();
    });
    EXPECT_EQ(tapi->GetCurDevice(), kNoTapiDevice);
    EXPECT_FALSE(ModemAsked());
    // Nor is one chosen for the next run.
    tapi.reset();
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt(kTapiSection, "CurDevice", 0), kNoTapiDevice);
    EXPECT_EQ(Profile::GetString(kTapiSection, "CurDeviceName"), "");
    tapi = std::make_unique<TapiMan>();
    tapi->Init();
    EXPECT_EQ(tapi->GetCurDevice(), kNoTapiDevice);
    EXPECT_FALSE(ModemAsked(300));

    // Picked by the user on the Dialing page, the port is chosen and looked at.
    RunPreferences(*tapi, [](CDialogPreferences* dialog) {
        dialog->OnShowPage(CDialogPreferences::kGeneralPage + 3);  // Dialing
        auto* devices = qobject_cast<QComboBox*>(GetDlgItem(dialog->Dialing(), 1140));
        devices->setFocus();
        QTest::keyClick(devices, Qt::Key_Down);
        EXPECT_EQ(devices->currentIndex(), 0);
        dialog->OkButton()->click();
    });
    EXPECT_EQ(tapi->GetCurDevice(), 0);
    EXPECT_TRUE(ModemAsked(5000));
    tapi.reset();
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt(kTapiSection, "CurDevice", kNoTapiDevice), 0);
}
