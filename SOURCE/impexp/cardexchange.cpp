#include "impexp/cardexchange.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

int CCardExchange::Parse(std::string_view text, const ObjectHandler& handler)
{
    return m_reader.Parse(text, handler);
}

int CCardExchange::Parse(QIODevice& device, const ObjectHandler& handler)
{
    m_reader.ClearIssues();
    auto fail = [&](const std::string& why) {
        m_reader.AddIssue(0, why);
        return -1;
    };
    const char* const tooLarge = "the file is larger than 256 MiB and was not read";
    const qint64 known = device.isSequential() ? 0 : device.size() - device.pos();
    if (known > kMaxFileBytes)
        return fail(tooLarge);
    // A file is read in one go; other devices as their data comes. The
    // buffer is not cleared first: the read fills it.
    size_t capacity = size_t(std::max<qint64>(known, 0));
    auto data = std::unique_ptr<char[]>(new char[capacity]);
    size_t size = 0;
    char chunk[64 * 1024];
    for (;;) {
        const bool room = size < capacity;
        const qint64 got = room ? device.read(data.get() + size, qint64(capacity - size))
                                : device.read(chunk, qint64(sizeof chunk));
        if (got < 0)
            return fail("the file could not be read: " + device.errorString().toStdString());
        if (got == 0)
            break;
        if (!room) {
            if (qint64(size) + got > kMaxFileBytes)
                return fail(tooLarge);
            capacity = std::max(size * 2, size + size_t(got));
            auto bigger = std::unique_ptr<char[]>(new char[capacity]);
            std::memcpy(bigger.get(), data.get(), size);
            std::memcpy(bigger.get() + size, chunk, size_t(got));
            data = std::move(bigger);
        }
        size += size_t(got);
    }
    return m_reader.Parse(std::string_view(data.get(), size), handler);
}
