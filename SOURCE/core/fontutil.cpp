#include "core/fontutil.h"

#include "platform/fontconv.h"
#include "platform/textcodec.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cstdint>

std::string FormatFontName(const LOGFONT& font, int logicalDpi)
{
    // Widened before negating: a damaged stored height can scale to the
    // most negative 32-bit value.
    return std::to_string(-std::int64_t(MulDiv(font.lfHeight, 72, logicalDpi))) + "pt. "
        + TextCodec::FromFixedField(font.lfFaceName, LF_FACESIZE);
}

SIZE GetWindowTextExtent(const QFont& font, const std::string& text)
{
    const QFontMetrics metrics(font);
    const QSize size = metrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, TextCodec::ToQString(text));
    // One line of text is as high as the font, whatever its characters.
    return {size.width(), metrics.height()};
}

bool IsFontInstalled(const char* face)
{
    if (!HasDesktop())
        return false;
    const QString name = QString::fromUtf8(face);
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
        [&](const QString& family) { return family.contains(name, Qt::CaseSensitive); });
}
