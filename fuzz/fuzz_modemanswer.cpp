// What a modem sends back, on arbitrary bytes fed in arbitrary pieces: every
// line the reader gives is bounded and printable, and no more lines wait
// than its limit. The same bytes as a stored device configuration either
// read back as they are written or are refused, and as a number either
// become a dial string with nothing a modem takes as a command, or nothing,
// and an extension of digits only.
#include "platform/dialingrules.h"
#include "platform/modemanswer.h"
#include "platform/modemport.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ModemAnswerReader reader;
    // The first byte cuts the rest into reads of that many bytes.
    const std::size_t piece = size ? std::size_t(data[0] % 32) + 1 : 1;
    std::size_t lines = 0;
    for (std::size_t at = 1; at < size; at += piece) {
        reader.Feed(bytes.substr(at, piece));
        ModemAnswer answer;
        while (reader.Next(answer)) {
            ++lines;
            if (answer.text.empty() || answer.text.size() > ModemAnswerReader::kMaxLineBytes)
                std::abort();
            for (const char c : answer.text) {
                if (c < 0x20 || c > 0x7E)
                    std::abort();
            }
            if (answer.echo && answer.result != ModemResult::None)
                std::abort();
            if (!answer.echo && ClassifyModemLine(answer.text) != answer.result)
                std::abort();
        }
    }
    if (lines > size)
        std::abort();

    ModemConfig config;
    if (DecodeModemConfig({data, size}, config)) {
        ModemConfig again;
        if (!IsValidInitString(config.init) || EncodeModemConfig(config) != std::vector<u8>(data, data + size)
            || !DecodeModemConfig(EncodeModemConfig(config), again) || !(again == config))
            std::abort();
    }

    std::string dialable;
    if (TranslateNumber(bytes, DialingLocation(), dialable) && !IsDialString(dialable))
        std::abort();
    // An extension the user is shown to key is digits only.
    for (const char c : DialExtension(bytes))
        if (c < '0' || c > '9')
            std::abort();
    return 0;
}
