#include "telephony/callprogress.h"

#include "core/utilities.h"
#include "platform/msgbox.h"

#include <cmath>
#include <cstdio>

namespace {

const CallProgress::Timing kTiming;
const CallProgress::Timing* g_timing = &kTiming;

}  // namespace

void CallProgress::SetTimingForTesting(const Timing* timing)
{
    g_timing = timing ? timing : &kTiming;
}

std::string FormatCallDuration(double days)
{
    const long long total = std::llround(std::max(0.0, days) * 86400.0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600 % 24, total / 60 % 60, total % 60);
    return text;
}

CallProgress::CallProgress(
    TapiLine& line, CallRequest request, u32 redialInterval, bool autoRedial, bool logCall)
    : m_line(line)
    , m_request(std::move(request))
    , m_nRedialInterval(redialInterval)
    , m_bAutoRedial(autoRedial)
    , m_bLogCall(logCall)
    , m_strLogName(m_request.name)
{
    for (QTimer* once : {&m_dialTimer, &m_graceTimer, &m_closeTimer})
        once->setSingleShot(true);
    connect(&m_dialTimer, &QTimer::timeout, this, &CallProgress::DialNow);
    connect(&m_graceTimer, &QTimer::timeout, this, [this] {
        m_bGrace = false;
        // OK is enabled first, so that it can take the focus.
        emit Changed();
        emit GraceOver();
    });
    connect(&m_redialTimer, &QTimer::timeout, this, &CallProgress::OnRedialTick);
    connect(&m_closeTimer, &QTimer::timeout, this, [this] { End(IDCANCEL); });
    connect(&m_elapsedTimer, &QTimer::timeout, this, &CallProgress::OnElapsedTick);
    m_line.SetStatusReceiver(this, [this](const LineStatus& status) { OnLineStatus(status); });
}

CallProgress::~CallProgress()
{
    m_line.SetStatusReceiver(nullptr, nullptr);
}

void CallProgress::Start()
{
    m_dialTimer.start(g_timing->firstDial);
    m_graceTimer.start(g_timing->grace);
}

void CallProgress::DialNow()
{
    if (m_nResult != -1)
        return;
    emit Changed();
    // Whoever was told of the change may have ended the call.
    if (m_nResult != -1)
        return;
    m_line.ApplyDeviceConfig(m_request.device);
    m_bCallOver = false;
    // Why the dial failed is told once the dialog is gone, not over it.
    std::vector<std::string> told;
    if (!m_line.Dial(m_request.number, m_request.device, &told)) {
        m_failure = std::move(told);
        m_bNumberRefused = m_line.NumberRefused();
        End(kCallFailed);
        return;
    }
    // The call goes on: what the line had to say on the way is said now.
    for (const std::string& text : told)
        MsgStopText(text);
}

void CallProgress::OnLineStatus(const LineStatus& status)
{
    // Once the receiver is lifted the line has been let go: whatever it
    // still reports (the answer to letting go, an error) is not about the
    // conversation, which goes on on the handset.
    if (m_nResult != -1 || m_bHungUp)
        return;
    m_dwLastStatus = status.status;
    // Disconnected, idle, or busy with no redial to come: the line has been
    // let go, and there is no call left to lift the receiver for.
    m_bCallOver = status.status == TCS_DISCONNECTED || status.status == TCS_IDLE
        || (status.status == TCS_BUSY && (!m_bAutoRedial || !status.redialable));
    switch (status.status) {
    case TCS_DIALING:
        m_strStatus = status.text;
        m_nCountdown = 0;
        break;
    case TCS_BUSY:
        if (!status.redialable) {
            // The number itself was refused: dialing it again would be
            // refused again, so the call ends as without auto-redial.
            m_strStatus = status.text;
            m_closeTimer.start(g_timing->busyClose);
            break;
        }
        m_strStatus = "Number is busy...";
        if (m_bAutoRedial) {
            m_nCountdown = int(m_nRedialInterval);
            ++m_nAttempt;
            m_redialTimer.start(g_timing->redialTick);
            m_strCountdown = std::to_string(m_nCountdown) + " sec";
        } else {
            m_closeTimer.start(g_timing->busyClose);
        }
        break;
    case TCS_ABORTED:
        End(IDCANCEL);
        return;
    default:
        // Ring back, connected and how the call ended: the user waits for
        // these before lifting the receiver, so they are shown as well.
        m_strStatus = status.text;
        break;
    }
    emit Changed();
}

void CallProgress::OnRedialTick()
{
    if (m_nCountdown > 1) {
        --m_nCountdown;
        m_strCountdown = std::to_string(m_nCountdown) + " sec";
        emit Changed();
        return;
    }
    m_redialTimer.stop();
    m_nCountdown = 0;
    m_strCountdown = "0 sec";
    emit Changed();
    DialNow();
}

void CallProgress::OnElapsedTick()
{
    m_dElapsed = DateNow().m_dt - m_dtStart.m_dt;
    m_strElapsed = FormatCallDuration(m_dElapsed);
    emit Changed();
}

void CallProgress::Ok()
{
    if (m_nResult != -1 || !IsOkEnabled())
        return;
    if (!m_bHungUp) {
        // The user has lifted the receiver: the modem lets go of the line
        // and the conversation is timed from now.
        m_bHungUp = true;
        m_dtStart = DateNow();
        m_dElapsed = 0.0;
        m_strElapsed = "00:00:00";
        m_elapsedTimer.start(g_timing->elapsedTick);
        emit Changed();
        m_line.HangUp();
        return;
    }
    m_dElapsed = DateNow().m_dt - m_dtStart.m_dt;
    m_strElapsed = FormatCallDuration(m_dElapsed);
    End(IDOK);
}

void CallProgress::Cancel(bool shutdownLine)
{
    if (m_nResult != -1)
        return;
    if (shutdownLine)
        m_line.Shutdown();
    else
        // Frees the line at once, also while a dial request still waits
        // for its answer.
        m_line.HangUp();
    End(IDCANCEL);
}

void CallProgress::StopTimers()
{
    for (QTimer* timer : {&m_dialTimer, &m_graceTimer, &m_redialTimer, &m_closeTimer, &m_elapsedTimer})
        timer->stop();
}

void CallProgress::End(int result)
{
    if (m_nResult != -1)
        return;
    m_nResult = result;
    StopTimers();
    emit Ended(result);
}
