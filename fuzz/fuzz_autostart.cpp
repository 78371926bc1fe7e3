// The autostart entry made from an installed desktop entry of any content:
// it has one group, and its only command is the program's own, last.
#include "platform/autostart.h"

#include <QByteArrayList>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray installed(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray entry = Autostart::MakeEntry(installed, QStringLiteral("/usr/bin/tolva"));
    entry.replace('\r', '\n');
    const QList<QByteArray> lines = entry.split('\n');
    if (lines.size() < 3 || lines.front() != "[Desktop Entry]" || !lines.back().isEmpty()
        || lines[lines.size() - 2] != "Exec=/usr/bin/tolva -regrun")
        std::abort();
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QByteArray line = lines[i].trimmed();
        QByteArray key = line;
        for (const char end : {'=', '['}) {
            if (const qsizetype at = key.indexOf(end); at >= 0)
                key.truncate(at);
        }
        key = key.trimmed();
        if (line.startsWith('[') || key == "Exec" || key == "TryExec" || key == "Hidden")
            std::abort();
    }
    return 0;
}
