#include "platform/linescript.h"

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <map>

namespace {

struct Named {
    std::string_view name;
    u32 value;
};

constexpr Named kErrors[] = {
    {"ALLOCATED", u32(LINEERR_ALLOCATED)},
    {"BADDEVICEID", u32(LINEERR_BADDEVICEID)},
    {"INCOMPATIBLEAPIVERSION", u32(LINEERR_INCOMPATIBLEAPIVERSION)},
    {"INVALADDRESS", u32(LINEERR_INVALADDRESS)},
    {"INVALCALLHANDLE", u32(LINEERR_INVALCALLHANDLE)},
    {"INVALLINEHANDLE", u32(LINEERR_INVALLINEHANDLE)},
    {"NODEVICE", u32(LINEERR_NODEVICE)},
    {"NODRIVER", u32(LINEERR_NODRIVER)},
    {"NOMEM", u32(LINEERR_NOMEM)},
    {"OPERATIONFAILED", u32(LINEERR_OPERATIONFAILED)},
    {"OPERATIONUNAVAIL", u32(LINEERR_OPERATIONUNAVAIL)},
    {"RESOURCEUNAVAIL", u32(LINEERR_RESOURCEUNAVAIL)},
    {"REINIT", u32(LINEERR_REINIT)},
    {"NOMULTIPLEINSTANCE", u32(LINEERR_NOMULTIPLEINSTANCE)},
};

constexpr Named kCallStates[] = {
    {"idle", LINECALLSTATE_IDLE},
    {"dialtone", LINECALLSTATE_DIALTONE},
    {"dialing", LINECALLSTATE_DIALING},
    {"proceeding", LINECALLSTATE_PROCEEDING},
    {"ringback", LINECALLSTATE_RINGBACK},
    {"busy", LINECALLSTATE_BUSY},
    {"specialinfo", LINECALLSTATE_SPECIALINFO},
    {"connected", LINECALLSTATE_CONNECTED},
    {"onhold", LINECALLSTATE_ONHOLD},
    {"disconnected", LINECALLSTATE_DISCONNECTED},
};

constexpr Named kDisconnectModes[] = {
    {"normal", LINEDISCONNECTMODE_NORMAL},
    {"unknown", LINEDISCONNECTMODE_UNKNOWN},
    {"reject", LINEDISCONNECTMODE_REJECT},
    {"pickup", LINEDISCONNECTMODE_PICKUP},
    {"forwarded", LINEDISCONNECTMODE_FORWARDED},
    {"busy", LINEDISCONNECTMODE_BUSY},
    {"noanswer", LINEDISCONNECTMODE_NOANSWER},
    {"badaddress", LINEDISCONNECTMODE_BADADDRESS},
    {"unreachable", LINEDISCONNECTMODE_UNREACHABLE},
    {"congestion", LINEDISCONNECTMODE_CONGESTION},
    {"incompatible", LINEDISCONNECTMODE_INCOMPATIBLE},
    {"unavail", LINEDISCONNECTMODE_UNAVAIL},
    {"nodialtone", LINEDISCONNECTMODE_NODIALTONE},
};

constexpr Named kLineStates[] = {
    {"maintenance", LINEDEVSTATE_MAINTENANCE},
    {"disconnected", LINEDEVSTATE_DISCONNECTED},
    {"outofservice", LINEDEVSTATE_OUTOFSERVICE},
    {"ringing", LINEDEVSTATE_RINGING},
};

template <std::size_t N> std::optional<u32> Lookup(const Named (&table)[N], std::string_view name)
{
    for (const Named& entry : table) {
        if (entry.name == name)
            return entry.value;
    }
    return std::nullopt;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string_view> Split(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSpace(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsSpace(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// The rest of the line after the first n words, trimmed.
std::string_view After(std::string_view line, std::string_view word)
{
    std::string_view rest = line.substr(std::size_t(word.data() + word.size() - line.data()));
    while (!rest.empty() && IsSpace(rest.front()))
        rest.remove_prefix(1);
    while (!rest.empty() && IsSpace(rest.back()))
        rest.remove_suffix(1);
    return rest;
}

std::optional<u32> ParseDelay(std::string_view word)
{
    u32 value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value > LineScript::kMaxDelayMs)
        return std::nullopt;
    return value;
}

bool ParseDeviceFlags(std::string_view flags, LineScript::Device& device)
{
    if (flags == "-")
        return true;
    while (!flags.empty()) {
        const std::size_t comma = flags.find(',');
        const std::string_view flag = flags.substr(0, comma);
        if (flag == "noversion")
            device.noVersion = true;
        else if (flag == "nocaps")
            device.noCaps = true;
        else if (flag == "nomedia")
            device.noMedia = true;
        else if (flag == "inuse")
            device.inUse = true;
        else if (flag == "noaddress")
            device.noAddress = true;
        else if (flag == "notranslate")
            device.noTranslate = true;
        else
            return false;
        flags = comma == std::string_view::npos ? std::string_view() : flags.substr(comma + 1);
    }
    return true;
}

// What tells numbers apart when they are matched: their digits and "+".
std::string DialedDigits(std::string_view number)
{
    std::string digits;
    for (const char c : number) {
        if ((c >= '0' && c <= '9') || c == '+')
            digits += c;
    }
    return digits;
}

// One line of a script; an error text when it does not read.
std::string ParseLine(std::string_view line, LineScript& script)
{
    const std::vector<std::string_view> words = Split(line);
    if (words.empty() || words[0].front() == '#')
        return {};
    const std::string_view keyword = words[0];
    LineScript::Call* const call = script.calls.empty() ? nullptr : &script.calls.back();

    if (keyword == "init") {
        const auto error = words.size() == 2 ? LineErrorFromName(words[1]) : std::nullopt;
        if (!error)
            return "init needs an error name";
        script.initResult = *error;
        return {};
    }
    if (keyword == "device") {
        if (words.size() < 3)
            return "device needs flags (or -) and a name";
        if (script.devices.size() >= LineScript::kMaxDevices)
            return "too many devices";
        LineScript::Device device;
        if (!ParseDeviceFlags(words[1], device))
            return "unknown device flag";
        device.name = std::string(After(line, words[1]));
        script.devices.push_back(std::move(device));
        return {};
    }
    if (keyword == "call") {
        // A number as the store holds it ("+1 (555) 123-4567") stands for its digits.
        const std::string number
            = words.size() == 2 && words[1] == "*" ? std::string("*") : DialedDigits(After(line, words[0]));
        if (number.empty())
            return "call needs a number";
        if (script.calls.size() >= LineScript::kMaxCalls)
            return "too many calls";
        LineScript::Call block;
        block.number = number;
        script.calls.push_back(std::move(block));
        return {};
    }
    const bool isEvent
        = keyword == "reply" || keyword == "drop" || (keyword.front() >= '0' && keyword.front() <= '9');
    if (!isEvent)
        return "unknown keyword";
    if (!call)
        return "an event before the first call";
    if (keyword == "reply") {
        if (words.size() < 2 || words.size() > 3)
            return "reply needs a delay and may have a result";
        const auto delay = ParseDelay(words[1]);
        if (!delay)
            return "bad delay";
        call->replyDelayMs = *delay;
        if (words.size() == 3) {
            if (words[2] == "never") {
                call->replyNever = true;
            } else {
                const auto error = LineErrorFromName(words[2]);
                if (!error)
                    return "unknown error name";
                call->replyResult = *error;
            }
        }
        return {};
    }
    if (keyword == "drop") {
        const auto error = words.size() == 2 ? LineErrorFromName(words[1]) : std::nullopt;
        if (!error)
            return "drop needs an error name";
        call->dropResult = *error;
        return {};
    }

    const auto delay = ParseDelay(keyword);
    if (!delay)
        return "bad delay";
    if (words.size() < 2)
        return "an event needs a state";
    if (call->events.size() >= LineScript::kMaxEventsPerCall)
        return "too many events";
    LineScript::Event event;
    event.delayMs = *delay;
    if (words[1] == "close" && words.size() == 2) {
        event.kind = LineScript::EventKind::Close;
    } else if (words[1] == "linestate" && words.size() == 3) {
        const auto state = Lookup(kLineStates, words[2]);
        if (!state)
            return "unknown line state";
        event.kind = LineScript::EventKind::LineState;
        event.state = *state;
    } else {
        const auto state = Lookup(kCallStates, words[1]);
        if (!state)
            return "unknown call state";
        event.state = *state;
        const bool disconnected = *state == LINECALLSTATE_DISCONNECTED;
        if (words.size() != (disconnected ? 3u : 2u))
            return disconnected ? "disconnected needs a mode" : "too many words";
        if (disconnected) {
            const auto mode = Lookup(kDisconnectModes, words[2]);
            if (!mode)
                return "unknown disconnect mode";
            event.mode = *mode;
        }
    }
    call->events.push_back(event);
    return {};
}

}  // namespace

std::optional<i32> LineErrorFromName(std::string_view name)
{
    if (const auto value = Lookup(kErrors, name))
        return i32(*value);
    return std::nullopt;
}

const LineScript::Call* LineScript::FindCall(std::string_view number, std::size_t attempt) const
{
    const std::string digits = DialedDigits(number);
    for (const std::string_view wanted : {std::string_view(digits), std::string_view("*")}) {
        const Call* found = nullptr;
        std::size_t seen = 0;
        for (const Call& call : calls) {
            if (call.number != wanted)
                continue;
            found = &call;
            if (seen++ == attempt)
                break;
        }
        if (found)
            return found;
    }
    return nullptr;
}

bool ParseLineScript(std::string_view text, LineScript& script, std::string& error)
{
    script = {};
    if (text.size() > LineScript::kMaxBytes) {
        error = "line 1: the script is larger than 1 MB";
        return false;
    }
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string problem;
        if (line.size() > LineScript::kMaxLineBytes)
            problem = "the line is too long";
        else if (std::any_of(line.begin(), line.end(), [](char c) { return c == '\0'; }))
            problem = "the line holds a NUL byte";
        else
            problem = ParseLine(line, script);
        if (!problem.empty()) {
            error = "line " + std::to_string(number) + ": " + problem;
            script = {};
            return false;
        }
    }
    return true;
}

namespace {

class ScriptLineProvider : public LineProvider {
public:
    explicit ScriptLineProvider(LineScript script)
        : m_script(std::move(script))
    {
        for (std::size_t i = 0; i < m_script.devices.size(); ++i)
            m_configs.push_back({'S', 'I', 'M', u8(i)});
    }

    i32 InitializeEx(LineEventSink* sink, const std::string& appName, HLINEAPP& app, u32& numDevs,
        u32& /*apiVersion*/) override
    {
        return Initialize(sink, appName, app, numDevs);
    }

    i32 Initialize(LineEventSink* sink, const std::string&, HLINEAPP& app, u32& numDevs) override
    {
        if (m_script.initResult)
            return m_script.initResult;
        m_sink = sink;
        m_app = app = 1;
        numDevs = u32(m_script.devices.size());
        return 0;
    }

    i32 Shutdown(HLINEAPP app) override
    {
        if (app != m_app || !m_app)
            return LINEERR_OPERATIONFAILED;
        m_calls.clear();
        m_lines.clear();
        m_app = 0;
        return 0;
    }

    i32 NegotiateAPIVersion(HLINEAPP, u32 device, u32, u32 highVersion, u32& version) override
    {
        const LineScript::Device* d = Device(device);
        if (!d)
            return LINEERR_BADDEVICEID;
        if (d->noVersion)
            return LINEERR_INCOMPATIBLEAPIVERSION;
        version = highVersion;
        return 0;
    }

    i32 GetDevCaps(HLINEAPP, u32 device, u32, LineDevCaps& caps) override
    {
        const LineScript::Device* d = Device(device);
        if (!d)
            return LINEERR_BADDEVICEID;
        if (d->noCaps)
            return LINEERR_OPERATIONFAILED;
        caps.lineName = d->name;
        caps.mediaModes = d->noMedia ? 0 : LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM;
        return 0;
    }

    i32 GetDevConfig(u32 device, const std::string&, std::vector<u8>& config) override
    {
        if (!Device(device))
            return LINEERR_BADDEVICEID;
        config = m_configs[device];
        return 0;
    }

    i32 SetDevConfig(u32 device, std::span<const u8> config, const std::string&) override
    {
        if (!Device(device))
            return LINEERR_BADDEVICEID;
        m_configs[device].assign(config.begin(), config.end());
        return 0;
    }

    i32 ConfigDialogEdit(
        u32 device, const std::string&, std::span<const u8> config, std::vector<u8>& edited) override
    {
        if (!Device(device))
            return LINEERR_BADDEVICEID;
        edited.assign(config.begin(), config.end());
        return 0;
    }

    i32 TranslateDialog(HLINEAPP, u32 device, u32, const std::string&) override
    {
        return Device(device) ? 0 : LINEERR_BADDEVICEID;
    }

    i32 Open(HLINEAPP app, u32 device, HLINE& line, u32, u32) override
    {
        const LineScript::Device* d = Device(device);
        if (!d || app != m_app)
            return LINEERR_BADDEVICEID;
        if (d->inUse)
            return LINEERR_ALLOCATED;
        line = ++m_lastHandle;
        m_lines[line] = device;
        return 0;
    }

    i32 SetStatusMessages(HLINE line, u32, u32) override
    {
        return m_lines.count(line) ? 0 : LINEERR_INVALLINEHANDLE;
    }

    i32 GetAddressStatus(HLINE line, u32, u32& addressFeatures) override
    {
        const auto it = m_lines.find(line);
        if (it == m_lines.end())
            return LINEERR_INVALLINEHANDLE;
        addressFeatures = m_script.devices[it->second].noAddress ? 0 : LINEADDRFEATURE_MAKECALL;
        return 0;
    }

    i32 TranslateAddress(HLINEAPP, u32 device, u32, const std::string& number, std::string& dialable) override
    {
        const LineScript::Device* d = Device(device);
        if (!d)
            return LINEERR_BADDEVICEID;
        if (d->noTranslate || number.empty())
            return LINEERR_INVALADDRESS;
        dialable = number;
        return 0;
    }

    i32 MakeCall(HLINE line, HCALL& call, const std::string& dialable, const LineCallParams&) override
    {
        if (!m_lines.count(line))
            return LINEERR_INVALLINEHANDLE;
        const i32 request = NextRequest();
        call = ++m_lastHandle;
        auto& placed = m_calls[call];
        placed.line = line;
        placed.events = std::make_unique<QObject>();
        const LineScript::Call* script = m_script.FindCall(dialable, m_attempts[DialedDigits(dialable)]++);
        if (!script) {
            Deliver(placed.events.get(), 0, line, LINE_REPLY, u64(request), 0);
            return request;
        }
        placed.dropResult = script->dropResult;
        if (!script->replyNever)
            Deliver(placed.events.get(), script->replyDelayMs, line, LINE_REPLY, u64(request),
                u64(u32(script->replyResult)));
        for (const LineScript::Event& event : script->events) {
            switch (event.kind) {
            case LineScript::EventKind::CallState:
                Deliver(placed.events.get(), event.delayMs, call, LINE_CALLSTATE, event.state, event.mode);
                break;
            case LineScript::EventKind::LineState:
                Deliver(placed.events.get(), event.delayMs, line, LINE_LINEDEVSTATE, event.state, 0);
                break;
            case LineScript::EventKind::Close:
                Deliver(placed.events.get(), event.delayMs, line, LINE_CLOSE, 0, 0);
                break;
            }
        }
        return request;
    }

    i32 GetCallState(HCALL call, u32& callState) override
    {
        const auto it = m_calls.find(call);
        if (it == m_calls.end())
            return LINEERR_INVALCALLHANDLE;
        callState = it->second.state;
        return 0;
    }

    i32 Drop(HCALL call) override
    {
        const auto it = m_calls.find(call);
        if (it == m_calls.end())
            return LINEERR_INVALCALLHANDLE;
        // Whatever the exchange was still going to do no longer happens.
        it->second.events = std::make_unique<QObject>();
        const i32 request = NextRequest();
        Deliver(&m_context, 0, it->second.line, LINE_REPLY, u64(request), u64(u32(it->second.dropResult)));
        return request;
    }

    i32 DeallocateCall(HCALL call) override { return m_calls.erase(call) ? 0 : LINEERR_INVALCALLHANDLE; }

    i32 Close(HLINE line) override
    {
        if (!m_lines.erase(line))
            return LINEERR_INVALLINEHANDLE;
        std::erase_if(m_calls, [line](const auto& entry) { return entry.second.line == line; });
        return 0;
    }

private:
    struct PlacedCall {
        HLINE line = 0;
        u32 state = 0;
        i32 dropResult = 0;
        // Owns the timers of the call's pending events.
        std::unique_ptr<QObject> events;
    };

    const LineScript::Device* Device(u32 device) const
    {
        return device < m_script.devices.size() ? &m_script.devices[device] : nullptr;
    }

    i32 NextRequest()
    {
        m_lastRequest = m_lastRequest >= 0x7FFFFFF0 ? 1 : m_lastRequest + 1;
        return m_lastRequest;
    }

    void Deliver(QObject* context, u32 delayMs, u32 handle, u32 message, u64 param1, u64 param2)
    {
        QTimer::singleShot(
            std::chrono::milliseconds(delayMs), context, [this, handle, message, param1, param2] {
                if (message == LINE_CALLSTATE) {
                    const auto it = m_calls.find(handle);
                    if (it == m_calls.end())
                        return;
                    it->second.state = u32(param1);
                }
                if (m_sink && m_app)
                    m_sink->LineCallback(handle, message, param1, param2, 0);
            });
    }

    LineScript m_script;
    std::vector<std::vector<u8>> m_configs;
    LineEventSink* m_sink = nullptr;
    HLINEAPP m_app = 0;
    u32 m_lastHandle = 0;
    i32 m_lastRequest = 0;
    std::map<HLINE, u32> m_lines;
    std::map<HCALL, PlacedCall> m_calls;
    std::map<std::string, std::size_t> m_attempts;
    QObject m_context;
};

}  // namespace

std::unique_ptr<LineProvider> MakeScriptLineProvider(LineScript script)
{
    return std::make_unique<ScriptLineProvider>(std::move(script));
}
