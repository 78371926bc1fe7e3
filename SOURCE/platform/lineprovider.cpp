#include "platform/lineprovider.h"

#include "platform/linescript.h"
#include "platform/modemprovider.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/regularfile.h"

#include <QFile>

namespace {

class NoDeviceLineProvider : public LineProvider {
public:
    i32 InitializeEx(LineEventSink*, const std::string&, HLINEAPP& app, u32& numDevs, u32&) override
    {
        app = 1;
        numDevs = 0;
        return 0;
    }
    i32 Initialize(LineEventSink*, const std::string&, HLINEAPP& app, u32& numDevs) override
    {
        app = 1;
        numDevs = 0;
        return 0;
    }
    i32 Shutdown(HLINEAPP) override { return 0; }
    i32 NegotiateAPIVersion(HLINEAPP, u32, u32, u32, u32&) override { return LINEERR_BADDEVICEID; }
    i32 GetDevCaps(HLINEAPP, u32, u32, LineDevCaps&) override { return LINEERR_BADDEVICEID; }
    i32 GetDevConfig(u32, const std::string&, std::vector<u8>&) override { return LINEERR_BADDEVICEID; }
    i32 SetDevConfig(u32, std::span<const u8>, const std::string&) override { return LINEERR_BADDEVICEID; }
    i32 ConfigDialogEdit(u32, const std::string&, std::span<const u8>, std::vector<u8>&) override
    {
        return LINEERR_BADDEVICEID;
    }
    i32 TranslateDialog(HLINEAPP, u32, u32, const std::string&) override { return LINEERR_OPERATIONUNAVAIL; }
    i32 Open(HLINEAPP, u32, HLINE&, u32, u32) override { return LINEERR_BADDEVICEID; }
    i32 SetStatusMessages(HLINE, u32, u32) override { return LINEERR_INVALLINEHANDLE; }
    i32 GetAddressStatus(HLINE, u32, u32&) override { return LINEERR_INVALLINEHANDLE; }
    i32 TranslateAddress(HLINEAPP, u32, u32, const std::string&, std::string&) override
    {
        return LINEERR_BADDEVICEID;
    }
    i32 MakeCall(HLINE, HCALL&, const std::string&, const LineCallParams&) override
    {
        return LINEERR_INVALLINEHANDLE;
    }
    i32 GetCallState(HCALL, u32&) override { return LINEERR_INVALCALLHANDLE; }
    i32 Drop(HCALL) override { return LINEERR_INVALCALLHANDLE; }
    i32 DeallocateCall(HCALL) override { return LINEERR_INVALCALLHANDLE; }
    i32 Close(HLINE) override { return LINEERR_INVALLINEHANDLE; }
};

}  // namespace

std::unique_ptr<LineProvider> MakeNoDeviceLineProvider()
{
    return std::make_unique<NoDeviceLineProvider>();
}

std::unique_ptr<LineProvider> MakeConfiguredLineProvider()
{
    const std::string path = Profile::GetString("TapiMan", "LineScript");
    // Without a script the modems on the serial ports are the devices.
    if (path.empty())
        return MakeModemLineProvider();
    CRegularFile file(QString::fromStdString(path));
    std::string error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
    } else if (file.size() > qint64(LineScript::kMaxBytes)) {
        error = "line 1: the script is larger than 1 MB";
    } else {
        const QByteArray bytes = file.read(qint64(LineScript::kMaxBytes) + 1);
        LineScript script;
        if (ParseLineScript(std::string_view(bytes.constData(), std::size_t(bytes.size())), script, error))
            return MakeScriptLineProvider(std::move(script));
    }
    CurrentMessageSink().ShowMessage(nullptr,
        "The telephony script \"" + path + "\" cannot be used:\n" + error
            + "\nTelephony runs without devices.",
        "Tolva", MB_OK | MB_ICONEXCLAMATION);
    return MakeNoDeviceLineProvider();
}
