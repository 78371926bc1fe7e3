// One call from the first dial to the user's "Hung Up": the attempts, the
// redial countdown after a busy number, the grace period before the user
// may confirm, and the conversation time once the receiver is lifted. The
// call status dialog shows this state and passes the user's buttons to it.
#pragma once

#include "platform/oledate.h"
#include "platform/wintypes.h"
#include "telephony/tapiline.h"

#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

// How a call ended besides IDOK (confirmed) and IDCANCEL (cancelled): the
// dial itself failed, and the line has told the user why.
constexpr int kCallFailed = 3;

struct CallRequest {
    u32 contactId = 0xFFFFFFFF;  // -1: no contact
    u32 dialKind = 0;
    std::string number;
    std::string name;
    i32 device = kNoTapiDevice;
};

// "HH:MM:SS" of a time span held as a day count.
std::string FormatCallDuration(double days);

class CallProgress : public QObject {
    Q_OBJECT
public:
    // The timers of the call, in milliseconds.
    struct Timing {
        int firstDial = 100;
        int grace = 2000;
        int redialTick = 1000;
        int busyClose = 3000;
        int elapsedTick = 1000;
    };
    static void SetTimingForTesting(const Timing* timing);

    CallProgress(TapiLine& line, CallRequest request, u32 redialInterval, bool autoRedial, bool logCall);
    ~CallProgress() override;

    // Starts the first dial and the grace period.
    void Start();

    // The user's buttons. OK lifts the receiver the first time and ends the
    // call the second time; shutting down releases telephony altogether.
    void Ok();
    void Cancel(bool shutdownLine);

    const CallRequest& Request() const { return m_request; }
    int Attempt() const { return m_nAttempt; }
    int Countdown() const { return m_nCountdown; }
    const std::string& StatusText() const { return m_strStatus; }
    const std::string& CountdownText() const { return m_strCountdown; }
    const std::string& ElapsedText() const { return m_strElapsed; }
    u32 LastStatus() const { return m_dwLastStatus; }
    bool InGrace() const { return m_bGrace; }
    bool IsHungUp() const { return m_bHungUp; }
    // The call ended before the receiver was lifted (busy, disconnected);
    // a redial starts it again.
    bool IsCallOver() const { return m_bCallOver && !m_bHungUp; }
    bool IsOkEnabled() const
    {
        return !m_bGrace && !m_redialTimer.isActive() && m_nCountdown == 0 && !IsCallOver();
    }
    // -1 while the call runs.
    int Result() const { return m_nResult; }
    // Why the dial failed (kCallFailed), for the user once the dialog is gone.
    const std::vector<std::string>& Failure() const { return m_failure; }
    // The line refused the number itself.
    bool NumberRefused() const { return m_bNumberRefused; }

    // What the log entry is made of.
    bool LogThisCall() const { return m_bLogCall; }
    void SetLogThisCall(bool log) { m_bLogCall = log; }
    const std::string& LogName() const { return m_strLogName; }
    void SetLogName(const std::string& name) { m_strLogName = name; }
    const DateValue& StartTime() const { return m_dtStart; }
    double Elapsed() const { return m_dElapsed; }

    // A report of the line.
    void OnLineStatus(const LineStatus& status);

signals:
    void Changed();
    // The grace period ended: the dialog puts the focus on OK.
    void GraceOver();
    void Ended(int result);

private:
    void DialNow();
    void OnRedialTick();
    void OnElapsedTick();
    void End(int result);
    void StopTimers();

    TapiLine& m_line;
    CallRequest m_request;
    u32 m_nRedialInterval;
    bool m_bAutoRedial;
    bool m_bLogCall;
    std::string m_strLogName;

    int m_nAttempt = 1;
    int m_nCountdown = 0;
    bool m_bGrace = true;
    bool m_bHungUp = false;
    bool m_bCallOver = false;
    bool m_bNumberRefused = false;
    int m_nResult = -1;
    std::vector<std::string> m_failure;
    u32 m_dwLastStatus = TCS_NONE;
    std::string m_strStatus;
    std::string m_strCountdown;
    std::string m_strElapsed;
    DateValue m_dtStart;
    double m_dElapsed = 0.0;

    QTimer m_dialTimer;
    QTimer m_graceTimer;
    QTimer m_redialTimer;
    QTimer m_closeTimer;
    QTimer m_elapsedTimer;
};

// What TapiMan shows for a call: the user interface installs one that runs
// the call status dialog modally over the progress and returns how it ended.
class CallStatusUi {
public:
    virtual ~CallStatusUi() = default;
    virtual int RunCallStatus(CallProgress& progress) = 0;
};
