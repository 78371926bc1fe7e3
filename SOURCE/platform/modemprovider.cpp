#include "platform/modemprovider.h"

#include "platform/modemportset.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <map>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const ModemTimeouts kTimeouts;
const ModemTimeouts* g_timeouts = &kTimeouts;
std::string g_devFolder = "/dev";
ModemDialogs* g_dialogs = nullptr;

bool PortHungUp(int fd)
{
    pollfd watched{fd, POLLIN, 0};
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL));
}

class ModemLineProvider : public LineProvider {
public:
    ModemLineProvider()
        : m_ports([this](u32 device) { return InUse(device); })
    {
        QObject::connect(&m_rescan, &QTimer::timeout, &m_context, [this] { Rescan(); });
    }

    ~ModemLineProvider() override
    {
        for (auto& [handle, line] : m_lines)
            Release(*line);
    }

    i32 InitializeEx(LineEventSink* sink, const std::string& appName, HLINEAPP& app, u32& numDevs,
        u32& /*apiVersion*/) override
    {
        return Initialize(sink, appName, app, numDevs);
    }

    i32 Initialize(LineEventSink* sink, const std::string&, HLINEAPP& app, u32& numDevs) override
    {
        m_sink = sink;
        m_app = app = 1;
        m_ports.SetNamed(ReadNamedModemPorts());
        Rescan(false);
        numDevs = u32(m_ports.size());
        m_rescan.start(g_timeouts->rescan);
        return 0;
    }

    i32 Shutdown(HLINEAPP app) override
    {
        if (app != m_app || !m_app)
            return LINEERR_OPERATIONFAILED;
        for (auto& [handle, line] : m_lines)
            Release(*line);
        m_lines.clear();
        m_rescan.stop();
        m_app = 0;
        return 0;
    }

    i32 NegotiateAPIVersion(HLINEAPP, u32 device, u32, u32 highVersion, u32& version) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        version = highVersion;
        return 0;
    }

    i32 GetDevCaps(HLINEAPP, u32 device, u32, LineDevCaps& caps) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        caps.lineName = m_ports.Name(device);
        caps.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM;
        caps.stableName = m_ports[device].listed.key;
        return 0;
    }

    void ChooseDevice(u32 device) override
    {
        if (device >= m_ports.size())
            return;
        m_ports.Choose(device, *g_timeouts);
    }

    i32 GetDevConfig(u32 device, const std::string&, std::vector<u8>& config) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        config = EncodeModemConfig(m_ports[device].config);
        return 0;
    }

    i32 SetDevConfig(u32 device, std::span<const u8> config, const std::string&) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        // Bytes of another provider or a damaged setting leave the port as it is.
        return DecodeModemConfig(config, m_ports[device].config) ? 0 : LINEERR_OPERATIONFAILED;
    }

    i32 ConfigDialogEdit(
        u32 device, const std::string&, std::span<const u8> config, std::vector<u8>& edited) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        if (!g_dialogs)
            return LINEERR_OPERATIONUNAVAIL;
        ModemConfig settings = m_ports[device].config;
        DecodeModemConfig(config, settings);
        if (!g_dialogs->EditModemSettings(m_ports.Name(device), settings))
            return LINEERR_OPERATIONFAILED;
        edited = EncodeModemConfig(settings);
        return 0;
    }

    i32 TranslateDialog(HLINEAPP, u32, u32, const std::string& address) override
    {
        if (!g_dialogs)
            return LINEERR_OPERATIONUNAVAIL;
        DialingLocation location = DialingLocation::Load();
        if (g_dialogs->EditDialingRules(location, address))
            location.Save();
        return 0;
    }

    i32 Open(HLINEAPP app, u32 device, HLINE& handle, u32, u32) override
    {
        if (!m_app || app != m_app || device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        ModemPortSet::Port& port = m_ports[device];
        if (!port.present)
            return LINEERR_NODEVICE;
        // Dialing through a port chooses it.
        port.chosen = true;
        // The last call's hang-up still has the port.
        if (port.finishing)
            return LINEERR_HANGINGUP;
        // Held by a program that takes no lock when last looked at: look
        // again, off this thread, rather than search the process table here.
        if (port.state == ModemProbe::kBusy) {
            m_ports.StartProbe(device, *g_timeouts);
            return LINEERR_ALLOCATED;
        }
        const PortOpening opening = OpenModemPort(port.listed.path, port.config, false);
        switch (opening.outcome) {
        case PortOpening::kOpened:
            break;
        case PortOpening::kBusy:
            // The look at a new port holds it for a moment; that is no other program.
            if (!port.probing && !port.finishing) {
                port.state = ModemProbe::kBusy;
                port.detail = opening.detail;
            }
            return LINEERR_ALLOCATED;
        case PortOpening::kGone:
            return LINEERR_NODEVICE;
        default:
            return LINEERR_OPERATIONFAILED;
        }
        auto line = std::make_unique<Line>();
        line->handle = handle = ++m_lastHandle;
        line->device = device;
        line->fd = opening.fd;
        line->original = opening.original;
        line->notifier = std::make_unique<QSocketNotifier>(opening.fd, QSocketNotifier::Read);
        const HLINE lineHandle = line->handle;
        QObject::connect(line->notifier.get(), &QSocketNotifier::activated, &m_context,
            [this, lineHandle] { OnReadable(lineHandle); });
        line->writable = std::make_unique<QSocketNotifier>(opening.fd, QSocketNotifier::Write);
        line->writable->setEnabled(false);
        QObject::connect(line->writable.get(), &QSocketNotifier::activated, &m_context,
            [this, lineHandle] { OnWritable(lineHandle); });
        line->timer.setSingleShot(true);
        QObject::connect(
            &line->timer, &QTimer::timeout, &m_context, [this, lineHandle] { OnTimeout(lineHandle); });
        m_lines[line->handle] = std::move(line);
        return 0;
    }

    i32 SetStatusMessages(HLINE line, u32, u32) override
    {
        return m_lines.count(line) ? 0 : LINEERR_INVALLINEHANDLE;
    }

    i32 GetAddressStatus(HLINE line, u32, u32& addressFeatures) override
    {
        const Line* open = FindLine(line);
        if (!open)
            return LINEERR_INVALLINEHANDLE;
        addressFeatures = open->call ? 0 : LINEADDRFEATURE_MAKECALL;
        return 0;
    }

    i32 TranslateAddress(HLINEAPP, u32 device, u32, const std::string& number, std::string& dialable) override
    {
        if (device >= m_ports.size())
            return LINEERR_BADDEVICEID;
        return TranslateNumber(number, DialingLocation::Load(), dialable) ? 0 : LINEERR_INVALADDRESS;
    }

    i32 MakeCall(HLINE handle, HCALL& call, const std::string& dialable, const LineCallParams&) override
    {
        Line* line = FindLine(handle);
        if (!line)
            return LINEERR_INVALLINEHANDLE;
        if (line->call || line->fd < 0)
            return LINEERR_RESOURCEUNAVAIL;
        // Whatever reaches the modem after ATD is a number, never a command.
        if (!IsDialString(dialable))
            return LINEERR_INVALADDRESS;
        line->call = call = ++m_lastHandle;
        // The request stands whatever happens to it below: its answer,
        // failure included, comes as LINE_REPLY.
        const i32 request = line->request = NextRequest();
        line->state = LINECALLSTATE_IDLE;
        line->connected = false;
        line->dial = "ATD" + dialable + ";";
        // What the modem still had to say about an earlier call is not
        // the answer to this one.
        ::tcflush(line->fd, TCIFLUSH);
        line->reader.Reset();
        const std::string& init = m_ports[line->device].config.init;
        if (init.empty())
            Command(*line, Phase::Dialing, line->dial);
        else
            Command(*line, Phase::Init, init);
        return request;
    }

    i32 GetCallState(HCALL call, u32& callState) override
    {
        const Line* line = LineOfCall(call);
        if (!line)
            return LINEERR_INVALCALLHANDLE;
        callState = line->state;
        return 0;
    }

    i32 Drop(HCALL call) override
    {
        Line* line = LineOfCall(call);
        if (!line)
            return LINEERR_INVALCALLHANDLE;
        line->dropRequest = NextRequest();
        // A dial still waiting for its answer is forgotten: the caller
        // dropping it no longer waits for it.
        line->request = 0;
        // Whatever the modem did so far, it may hold the line or fall
        // silent now: the caller is never kept waiting for it. The hang-up
        // goes on off this thread and the port is closed once it is over.
        if (line->fd >= 0)
            HandOff(*line);
        FinishDrop(*line, 0);
        return line->dropRequest;
    }

    i32 DeallocateCall(HCALL call) override
    {
        Line* line = LineOfCall(call);
        if (!line)
            return LINEERR_INVALCALLHANDLE;
        line->call = 0;
        line->request = line->dropRequest = 0;
        line->phase = Phase::Idle;
        line->timer.stop();
        Unqueue(*line);
        return 0;
    }

    i32 Close(HLINE handle) override
    {
        const auto it = m_lines.find(handle);
        if (it == m_lines.end())
            return LINEERR_INVALLINEHANDLE;
        const u32 device = it->second->device;
        Release(*it->second);
        m_lines.erase(it);
        // A port that was not known as a modem is asked again after each dial.
        if (m_ports[device].state != ModemProbe::kModem)
            m_ports.StartProbe(device, *g_timeouts);
        return 0;
    }

private:
    enum class Phase { Idle, Init, Dialing, Waiting, Connected, Ended };

    struct Line {
        HLINE handle = 0;
        u32 device = 0;
        int fd = -1;
        termios original{};
        std::unique_ptr<QSocketNotifier> notifier;
        // What the port has not taken yet, and the watch for when it will.
        std::string unsent;
        std::unique_ptr<QSocketNotifier> writable;
        QTimer timer;
        ModemAnswerReader reader;
        HCALL call = 0;
        Phase phase = Phase::Idle;
        u32 state = LINECALLSTATE_IDLE;
        bool connected = false;
        i32 request = 0;
        i32 dropRequest = 0;
        std::string dial;
    };

    Line* FindLine(HLINE handle)
    {
        const auto it = m_lines.find(handle);
        return it == m_lines.end() ? nullptr : it->second.get();
    }

    Line* LineOfCall(HCALL call)
    {
        for (auto& [handle, line] : m_lines) {
            if (call && line->call == call)
                return line.get();
        }
        return nullptr;
    }

    i32 NextRequest()
    {
        m_lastRequest = m_lastRequest >= 0x7FFFFFF0 ? 1 : m_lastRequest + 1;
        return m_lastRequest;
    }

    // Messages go out from the event loop, never from inside a call.
    void Post(u32 handle, u32 message, u64 param1, u64 param2)
    {

        QMetaObject::invokeMethod(
            &m_context,
            [this, handle, message, param1, param2] {
                // A line closed meanwhile is not reported closed again.
                if (message == LINE_CLOSE && !m_lines.count(handle))
                    return;
                if (m_sink && m_app)
                    m_sink->LineCallback(handle, message, param1, param2, 0);
            },
            Qt::QueuedConnection);
    }

    void SetCallState(Line& line, u32 state, u32 mode = 0)
    {
        line.state = state;
        Post(line.call, LINE_CALLSTATE, state, mode);
    }

    void Disconnect(Line& line, u32 mode)
    {
        line.timer.stop();
        line.phase = Phase::Ended;
        SetCallState(line, LINECALLSTATE_DISCONNECTED, mode);
    }

    void FailRequest(Line& line, i32 result = LINEERR_OPERATIONFAILED)
    {
        line.timer.stop();
        Unqueue(line);
        line.phase = Phase::Idle;
        line.state = LINECALLSTATE_IDLE;
        if (line.request)
            Post(line.handle, LINE_REPLY, u64(line.request), u64(u32(result)));
        line.request = 0;
    }

    // Sends a command of the phase. A modem that holds the line by flow
    // control (XOFF, or CTS low) makes the port refuse it for a while: it
    // goes out once the port takes it, within the time allowed for that.
    void Command(Line& line, Phase phase, std::string_view command)
    {
        line.phase = phase;
        Unqueue(line);
        line.unsent.assign(command);
        line.unsent += '\r';
        if (!Flush(line))
            CommandFailed(line, LINEERR_OPERATIONFAILED);
        else if (line.unsent.empty())
            CommandSent(line);
        else
            line.timer.start(g_timeouts->held);
    }

    // Writes what the port takes now; false when the port failed.
    bool Flush(Line& line)
    {
        while (!line.unsent.empty()) {
            const ssize_t written = ::write(line.fd, line.unsent.data(), line.unsent.size());
            if (written > 0) {
                line.unsent.erase(0, std::size_t(written));
                continue;
            }
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
            line.writable->setEnabled(true);
            return true;
        }
        line.writable->setEnabled(false);
        return true;
    }

    void Unqueue(Line& line)
    {
        line.unsent.clear();
        if (line.writable)
            line.writable->setEnabled(false);
    }

    void OnWritable(HLINE handle)
    {
        Line* line = FindLine(handle);
        if (!line || line->fd < 0 || line->unsent.empty())
            return;
        if (!Flush(*line))
            CommandFailed(*line, LINEERR_OPERATIONFAILED);
        else if (line->unsent.empty())
            CommandSent(*line);
    }

    // The command of the phase is out: its answer is waited for.
    void CommandSent(Line& line)
    {
        switch (line.phase) {
        case Phase::Init:
            line.timer.start(g_timeouts->init);
            break;
        case Phase::Dialing:
            Post(line.handle, LINE_REPLY, u64(line.request), 0);
            line.request = 0;
            SetCallState(line, LINECALLSTATE_DIALING);
            line.timer.start(g_timeouts->dial);
            break;
        default:
            break;
        }
    }

    // The port refused the command of the phase, or held it too long.
    void CommandFailed(Line& line, i32 result) { FailRequest(line, result); }

    void FinishDrop(Line& line, i32 result)
    {
        line.timer.stop();
        Unqueue(line);
        line.phase = Phase::Idle;
        line.state = LINECALLSTATE_IDLE;
        if (line.dropRequest)
            Post(line.handle, LINE_REPLY, u64(line.dropRequest), u64(u32(result)));
        line.dropRequest = 0;
    }

    void OnTimeout(HLINE handle)
    {
        Line* line = FindLine(handle);
        if (!line)
            return;
        if (!line->unsent.empty()) {
            // The modem held the line all the time allowed.
            CommandFailed(*line, LINEERR_PORTHELD);
            return;
        }
        switch (line->phase) {
        case Phase::Init:
            FailRequest(*line, LINEERR_DEVICESILENT);
            break;
        case Phase::Dialing:
            // The modem stopped answering in the middle of a dial.
            Disconnect(*line, LINEDISCONNECTMODE_DEVICESILENT);
            break;
        default:
            break;
        }
    }

    void OnReadable(HLINE handle)
    {
        Line* line = FindLine(handle);
        if (!line || line->fd < 0)
            return;
        char buffer[512];
        for (bool first = true;; first = false) {
            const ssize_t got = ::read(line->fd, buffer, sizeof buffer);
            if (got > 0) {
                line->reader.Feed(std::string_view(buffer, std::size_t(got)));
                continue;
            }
            // A raw terminal reads 0 when nothing waits; woken for nothing,
            // it has been hung up.
            const bool hungUp = got == 0 && first && PortHungUp(line->fd);
            if (!hungUp && (got == 0 || errno == EAGAIN || errno == EINTR))
                break;
            // An I/O error: the port is gone.
            Vanish(*line);
            return;
        }
        ModemAnswer answer;
        while (line->reader.Next(answer)) {
            if (!answer.echo && answer.result != ModemResult::None)
                OnResult(*line, answer.result);
        }
    }

    void OnResult(Line& line, ModemResult result)
    {

        switch (line.phase) {
        case Phase::Init:
            if (!line.unsent.empty())
                return;
            if (result == ModemResult::Ok)
                Command(line, Phase::Dialing, line.dial);
            else if (result == ModemResult::Error)
                FailRequest(line);
            return;
        case Phase::Dialing:
            // Nothing the modem says before it has the dial command answers it.
            if (!line.unsent.empty())
                return;
            break;
        case Phase::Waiting:
        case Phase::Connected:
            break;
        default:
            return;
        }
        switch (result) {
        case ModemResult::Ok:
            // A voice dial ends in OK once the number is dialed; the modem
            // then waits while the far end rings.
            if (line.phase == Phase::Dialing) {
                line.timer.stop();
                line.phase = Phase::Waiting;
                SetCallState(line, LINECALLSTATE_PROCEEDING);
            }
            break;
        case ModemResult::Ringing:
            SetCallState(line, LINECALLSTATE_RINGBACK);
            break;
        case ModemResult::Connect:
            line.timer.stop();
            line.phase = Phase::Connected;
            line.connected = true;
            SetCallState(line, LINECALLSTATE_CONNECTED);
            break;
        case ModemResult::Busy:
            line.timer.stop();
            line.phase = Phase::Ended;
            SetCallState(line, LINECALLSTATE_BUSY);
            break;
        case ModemResult::NoDialtone:
            Disconnect(line, LINEDISCONNECTMODE_NODIALTONE);
            break;
        case ModemResult::NoAnswer:
            Disconnect(line, LINEDISCONNECTMODE_NOANSWER);
            break;
        case ModemResult::NoCarrier:
            Disconnect(line, line.connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNREACHABLE);
            break;
        case ModemResult::Error:
            // The modem refused the dial command: the number as dialed.
            if (line.phase == Phase::Dialing)
                Disconnect(line, LINEDISCONNECTMODE_BADADDRESS);
            break;
        case ModemResult::Delayed:
            Disconnect(line, LINEDISCONNECTMODE_CONGESTION);
            break;
        case ModemResult::Blacklisted:
            Disconnect(line, LINEDISCONNECTMODE_REJECT);
            break;
        case ModemResult::Ring:
        case ModemResult::None:
            break;
        }
    }

    // The port went away under an open line: the call ends, the line closes.
    void Vanish(Line& line)
    {
        line.notifier->setEnabled(false);
        Unqueue(line);
        CloseModemPort(line.fd, line.original);
        line.fd = -1;
        ModemPortSet::Port& port = m_ports[line.device];
        port.present = false;
        if (line.request)
            FailRequest(line, LINEERR_NODEVICE);
        if (line.dropRequest)
            FinishDrop(line, 0);
        if (line.call && line.phase != Phase::Ended && line.phase != Phase::Idle)
            Disconnect(line, LINEDISCONNECTMODE_DEVICEGONE);
        Post(line.handle, LINE_CLOSE, 0, 0);
    }

    void Release(Line& line)
    {
        line.timer.stop();
        Unqueue(line);
        if (line.notifier)
            line.notifier->setEnabled(false);
        if (line.fd >= 0) {
            // Still off hook: hang up as the port goes, off this thread.
            if (line.phase != Phase::Idle)
                HandOff(line);
            else
                CloseModemPort(line.fd, line.original);
        }
        line.fd = -1;
    }

    // Gives the port of a line to a hang-up running on another thread,
    // which closes it when done; the line is left without a port.
    void HandOff(Line& line)
    {
        line.timer.stop();
        Unqueue(line);
        if (line.notifier)
            line.notifier->setEnabled(false);
        const bool stopDial = line.phase == Phase::Init || line.phase == Phase::Dialing;
        m_ports.HandOff(line.device, line.fd, line.original, stopDial, *g_timeouts);
        line.fd = -1;
        line.phase = Phase::Idle;
        line.state = LINECALLSTATE_IDLE;
    }

    bool InUse(u32 device) const
    {
        for (const auto& [handle, line] : m_lines) {
            if (line->device == device && line->fd >= 0)
                return true;
        }
        return false;
    }

    void Rescan(bool announce = true)
    {
        std::vector<u32> gone;
        for (const u32 device : m_ports.Rescan(g_devFolder, *g_timeouts, gone)) {
            if (announce)
                Post(0, LINE_CREATE, device, 0);
        }
        for (const u32 device : gone) {
            for (auto& [handle, line] : m_lines) {
                if (line->device == device && line->fd >= 0)
                    Vanish(*line);
            }
        }
    }

    QObject m_context;
    QTimer m_rescan;
    LineEventSink* m_sink = nullptr;
    HLINEAPP m_app = 0;
    u32 m_lastHandle = 0;
    i32 m_lastRequest = 0;
    std::map<HLINE, std::unique_ptr<Line>> m_lines;
    ModemPortSet m_ports;
};

}  // namespace

ModemDialogs* SetModemDialogs(ModemDialogs* dialogs)
{
    ModemDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

void SetModemTimeoutsForTesting(const ModemTimeouts* timeouts)
{
    g_timeouts = timeouts ? timeouts : &kTimeouts;
}

void SetModemSystemPortsForTesting(bool search)
{
    g_devFolder = search ? "/dev" : "";
}

void SetModemDeviceFolderForTesting(const std::string& folder)
{
    g_devFolder = folder;
}

std::unique_ptr<LineProvider> MakeModemLineProvider()
{
    return std::make_unique<ModemLineProvider>();
}
