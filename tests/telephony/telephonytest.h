// What the telephony tests share: a simulated line from a script, a store
// for logged calls, quick call timers, and a stand-in for the call status
// dialog that plays the user's part.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "platform/linescript.h"
#include "platform/profile.h"
#include "support/testenv.h"
#include "telephony/callprogress.h"
#include "telephony/tapiman.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <functional>
#include <memory>

// What a dial without a modem says, with where one is chosen.
inline constexpr const char* kNoDevices = "No available telephony devices installed. Choose a modem in "
                                          "Tools, Preferences, Dialing, \"Connect using\".";

// Lets the event loop run until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Plays the user: runs the call, and on each change lets the test decide
// what to press.
class ScriptedUser : public CallStatusUi {
public:
    std::function<void(CallProgress&)> onChange;
    std::vector<std::string> countdowns;
    std::vector<std::string> statuses;
    std::vector<CallRequest> requests;
    // Only notes what was asked for, as a user who cancels at once.
    bool cancelAtOnce = false;

    int RunCallStatus(CallProgress& progress) override
    {
        requests.push_back(progress.Request());
        if (cancelAtOnce)
            return IDCANCEL;
        QObject::connect(&progress, &CallProgress::Changed, [this, &progress] {
            const std::string& countdown = progress.CountdownText();
            if (progress.Countdown() > 0 || countdown == "0 sec") {
                if (countdowns.empty() || countdowns.back() != countdown)
                    countdowns.push_back(countdown);
            }
            if (!progress.StatusText().empty()
                && (statuses.empty() || statuses.back() != progress.StatusText()))
                statuses.push_back(progress.StatusText());
            if (onChange)
                onChange(progress);
        });
        progress.Start();
        WaitUntil([&progress] { return progress.Result() != -1; }, 10000);
        return progress.Result();
    }
};

class TelephonyTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        CallProgress::SetTimingForTesting(&m_timing);
        m_file = std::make_unique<CDataFile>();
        ASSERT_EQ(m_file->Open(), 0u);
        m_dm = std::make_unique<DataMan>(*m_file);
        ASSERT_EQ(m_dm->Init(), 0u);
    }
    void TearDown() override
    {
        m_tapi.reset();
        m_dm.reset();
        m_file.reset();
        CallProgress::SetTimingForTesting(nullptr);
        TolvaTest::TearDown();
    }

    // Starts TapiMan on a script, with its first device chosen.
    TapiMan& StartTapi(const std::string& script)
    {
        const QString path = m_dir->filePath(QStringLiteral("line.script"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script.c_str());
        file.close();
        Profile::WriteString(kTapiSection, "LineScript", path.toStdString());
        m_tapi = std::make_unique<TapiMan>();
        m_tapi->Init();
        m_tapi->GetLine()->SetWaitTimesForTesting(300, 10);
        m_tapi->SetCurDevice(m_tapi->GetLine()->GetConfigCount() > 0 ? 0 : kNoTapiDevice);
        m_tapi->SetDataMan(m_dm.get());
        m_tapi->SetCallStatusUi(&m_user);
        return *m_tapi;
    }

    const CallLogEntry* LogEntry(int index) const { return m_dm->GetAt<CallLogEntry>(index); }
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const auto& shown : m_messages.shown)
            texts.push_back(shown.text);
        return texts;
    }

    CallProgress::Timing m_timing{1, 1, 5, 5, 5};
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dm;
    std::unique_ptr<TapiMan> m_tapi;
    ScriptedUser m_user;
};
