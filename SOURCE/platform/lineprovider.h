// The telephony service the line talks to: line devices (modems) that a
// provider lists, opens and dials through. The calls, their arguments, the
// result codes and the messages delivered back are those the telephony line
// is written against; a provider delivers its messages on the thread of the
// user interface, from the event loop, never from inside one of its calls.
//
// Three providers exist: the modems on the serial ports
// (platform/modemprovider.h), a simulator driven by a script file
// (platform/linescript.h) for tests and for trying the program without a
// modem, and one with no devices.
#pragma once

#include "platform/wintypes.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

// Result codes. 0 is success; a positive value from an asynchronous call is
// the id of a request whose answer comes later as LINE_REPLY.
constexpr i32 LINEERR_ALLOCATED = i32(0x80000001);
constexpr i32 LINEERR_BADDEVICEID = i32(0x80000002);
constexpr i32 LINEERR_INCOMPATIBLEAPIVERSION = i32(0x8000000C);
constexpr i32 LINEERR_INVALADDRESS = i32(0x8000001A);
constexpr i32 LINEERR_INVALCALLHANDLE = i32(0x8000001B);
constexpr i32 LINEERR_INVALLINEHANDLE = i32(0x8000002B);
constexpr i32 LINEERR_NODEVICE = i32(0x80000042);
constexpr i32 LINEERR_NODRIVER = i32(0x80000043);
constexpr i32 LINEERR_NOMEM = i32(0x80000044);
constexpr i32 LINEERR_OPERATIONFAILED = i32(0x80000048);
constexpr i32 LINEERR_OPERATIONUNAVAIL = i32(0x80000049);
constexpr i32 LINEERR_RESOURCEUNAVAIL = i32(0x8000004B);
constexpr i32 LINEERR_REINIT = i32(0x80000052);
constexpr i32 LINEERR_NOMULTIPLEINSTANCE = i32(0x80000056);
// This system's own: the device said nothing within the time allowed.
constexpr i32 LINEERR_DEVICESILENT = i32(0x80000100);
// This system's own: the device still hangs up the last call.
constexpr i32 LINEERR_HANGINGUP = i32(0x80000101);
// This system's own: the device held the line (flow control) and took no
// command within the time allowed.
constexpr i32 LINEERR_PORTHELD = i32(0x80000102);

// Messages a provider delivers.
constexpr u32 LINE_CALLSTATE = 2;
constexpr u32 LINE_CLOSE = 3;
constexpr u32 LINE_LINEDEVSTATE = 8;
constexpr u32 LINE_REPLY = 12;
constexpr u32 LINE_CREATE = 19;

// Call states (LINE_CALLSTATE param1).
constexpr u32 LINECALLSTATE_IDLE = 0x00000001;
constexpr u32 LINECALLSTATE_OFFERING = 0x00000002;
constexpr u32 LINECALLSTATE_ACCEPTED = 0x00000004;
constexpr u32 LINECALLSTATE_DIALTONE = 0x00000008;
constexpr u32 LINECALLSTATE_DIALING = 0x00000010;
constexpr u32 LINECALLSTATE_RINGBACK = 0x00000020;
constexpr u32 LINECALLSTATE_BUSY = 0x00000040;
constexpr u32 LINECALLSTATE_SPECIALINFO = 0x00000080;
constexpr u32 LINECALLSTATE_CONNECTED = 0x00000100;
constexpr u32 LINECALLSTATE_PROCEEDING = 0x00000200;
constexpr u32 LINECALLSTATE_ONHOLD = 0x00000400;
constexpr u32 LINECALLSTATE_DISCONNECTED = 0x00004000;
constexpr u32 LINECALLSTATE_UNKNOWN = 0x00008000;

// Why a call was disconnected (param2 of the disconnected state).
constexpr u32 LINEDISCONNECTMODE_NORMAL = 0x00000001;
constexpr u32 LINEDISCONNECTMODE_UNKNOWN = 0x00000002;
constexpr u32 LINEDISCONNECTMODE_REJECT = 0x00000004;
constexpr u32 LINEDISCONNECTMODE_PICKUP = 0x00000008;
constexpr u32 LINEDISCONNECTMODE_FORWARDED = 0x00000010;
constexpr u32 LINEDISCONNECTMODE_BUSY = 0x00000020;
constexpr u32 LINEDISCONNECTMODE_NOANSWER = 0x00000040;
constexpr u32 LINEDISCONNECTMODE_BADADDRESS = 0x00000080;
constexpr u32 LINEDISCONNECTMODE_UNREACHABLE = 0x00000100;
constexpr u32 LINEDISCONNECTMODE_CONGESTION = 0x00000200;
constexpr u32 LINEDISCONNECTMODE_INCOMPATIBLE = 0x00000400;
constexpr u32 LINEDISCONNECTMODE_UNAVAIL = 0x00000800;
constexpr u32 LINEDISCONNECTMODE_NODIALTONE = 0x00001000;
// This system's own: the device stopped answering during the call, or went
// away (a modem unplugged).
constexpr u32 LINEDISCONNECTMODE_DEVICESILENT = 0x01000000;
constexpr u32 LINEDISCONNECTMODE_DEVICEGONE = 0x02000000;

// Line device states (LINE_LINEDEVSTATE param1).
constexpr u32 LINEDEVSTATE_OTHER = 0x00000001;
constexpr u32 LINEDEVSTATE_RINGING = 0x00000002;
constexpr u32 LINEDEVSTATE_DISCONNECTED = 0x00000008;
constexpr u32 LINEDEVSTATE_OUTOFSERVICE = 0x00000080;
constexpr u32 LINEDEVSTATE_MAINTENANCE = 0x00000100;
constexpr u32 LINEDEVSTATE_REINIT = 0x00040000;
constexpr u32 LINEDEVSTATE_TRANSLATECHANGE = 0x00400000;

constexpr u32 LINEMEDIAMODE_INTERACTIVEVOICE = 0x00000004;
constexpr u32 LINEMEDIAMODE_DATAMODEM = 0x00000010;
constexpr u32 LINEADDRFEATURE_MAKECALL = 0x00000004;
constexpr u32 LINECALLPRIVILEGE_MONITOR = 0x00000002;
constexpr u32 LINEBEARERMODE_VOICE = 0x00000001;
constexpr u32 LINECALLPARAMFLAGS_IDLE = 0x00000010;
constexpr u32 LINEADDRESSMODE_ADDRESSID = 0x00000001;

// Handles: 0 is none.
using HLINEAPP = u32;
using HLINE = u32;
using HCALL = u32;

// Receives a provider's messages: the device or call handle, the message,
// and three parameters.
class LineEventSink {
public:
    virtual ~LineEventSink() = default;
    virtual void LineCallback(u32 device, u32 message, u64 param1, u64 param2, u64 param3) = 0;
};

struct LineDevCaps {
    std::string lineName;
    u32 mediaModes = 0;
    // A name the device keeps across plugs and runs while its index may
    // change; empty when the provider has none.
    std::string stableName;
};

struct LineCallParams {
    u32 bearerMode = LINEBEARERMODE_VOICE;
    u32 mediaMode = LINEMEDIAMODE_DATAMODEM;
    u32 callParamFlags = LINECALLPARAMFLAGS_IDLE;
    u32 addressMode = LINEADDRESSMODE_ADDRESSID;
    u32 addressId = 0;
    std::string origAddress;
};

class LineProvider {
public:
    virtual ~LineProvider() = default;

    // The newer interface: the version asked for comes back as the one in
    // use. LINEERR_OPERATIONUNAVAIL or LINEERR_INCOMPATIBLEAPIVERSION sends
    // the caller to the older interface.
    virtual i32 InitializeEx(
        LineEventSink* sink, const std::string& appName, HLINEAPP& app, u32& numDevs, u32& apiVersion)
        = 0;
    virtual i32 Initialize(LineEventSink* sink, const std::string& appName, HLINEAPP& app, u32& numDevs) = 0;
    virtual i32 Shutdown(HLINEAPP app) = 0;

    virtual i32 NegotiateAPIVersion(HLINEAPP app, u32 device, u32 lowVersion, u32 highVersion, u32& version)
        = 0;
    virtual i32 GetDevCaps(HLINEAPP app, u32 device, u32 version, LineDevCaps& caps) = 0;
    // The device's stored configuration for a device class, as bytes only
    // its provider understands.
    virtual i32 GetDevConfig(u32 device, const std::string& deviceClass, std::vector<u8>& config) = 0;
    virtual i32 SetDevConfig(u32 device, std::span<const u8> config, const std::string& deviceClass) = 0;
    // The provider's own editor of a configuration; edited gets the result.
    virtual i32 ConfigDialogEdit(
        u32 device, const std::string& deviceClass, std::span<const u8> config, std::vector<u8>& edited)
        = 0;
    virtual i32 TranslateDialog(HLINEAPP app, u32 device, u32 version, const std::string& address) = 0;
    // The user chose the device: a provider that looks at a device only
    // when asked to looks at this one now.
    virtual void ChooseDevice(u32 /*device*/) { }

    virtual i32 Open(HLINEAPP app, u32 device, HLINE& line, u32 version, u32 privileges) = 0;
    virtual i32 SetStatusMessages(HLINE line, u32 lineStates, u32 addressStates) = 0;
    virtual i32 GetAddressStatus(HLINE line, u32 address, u32& addressFeatures) = 0;
    virtual i32 TranslateAddress(
        HLINEAPP app, u32 device, u32 version, const std::string& number, std::string& dialable)
        = 0;
    // Asynchronous: a request id, answered by LINE_REPLY, or an error.
    virtual i32 MakeCall(HLINE line, HCALL& call, const std::string& dialable, const LineCallParams& params)
        = 0;
    virtual i32 GetCallState(HCALL call, u32& callState) = 0;
    // Asynchronous as MakeCall.
    virtual i32 Drop(HCALL call) = 0;
    virtual i32 DeallocateCall(HCALL call) = 0;
    virtual i32 Close(HLINE line) = 0;
};

// A provider with no line devices: it initialises, reports none, and
// refuses everything that needs one.
std::unique_ptr<LineProvider> MakeNoDeviceLineProvider();

// The provider the settings name: the simulator when the profile value
// "TapiMan" "LineScript" names a script that reads, else the modems. A
// script that does not read is reported to the user with the line at fault,
// and telephony then has no devices.
std::unique_ptr<LineProvider> MakeConfiguredLineProvider();
