#include "platform/fontconv.h"

#include "platform/textcodec.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Resolve(int dpi)
{
    return dpi > 0 ? dpi : ScreenLogicalDpi();
}

bool WantsFixedPitch(u8 pitchAndFamily)
{
    return (pitchAndFamily & 0x3) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN;
}

QFont::StyleHint StyleHintOf(u8 pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return QFont::Serif;
    case FF_SWISS:
        return QFont::SansSerif;
    case FF_MODERN:
        return QFont::Monospace;
    case FF_SCRIPT:
        return QFont::Cursive;
    case FF_DECORATIVE:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

u8 FamilyOf(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif:
        return FF_ROMAN;
    case QFont::SansSerif:
        return FF_SWISS;
    case QFont::Monospace:
    case QFont::TypeWriter:
        return FF_MODERN;
    case QFont::Cursive:
        return FF_SCRIPT;
    case QFont::Decorative:
        return FF_DECORATIVE;
    default:
        return 0;
    }
}

QString FaceOrFallback(const LOGFONT& lf)
{
    const QString face = TextCodec::ToQString(TextCodec::FromFixedField(lf.lfFaceName, LF_FACESIZE));
    // Without a desktop there is no font database to ask.
    if (!HasDesktop() || (!face.isEmpty() && QFontDatabase::hasFamily(face)))
        return face;
    const auto kind
        = WantsFixedPitch(lf.lfPitchAndFamily) ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont;
    return QFontDatabase::systemFont(kind).family();
}

}  // namespace

bool HasDesktop()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

int ScreenLogicalDpi()
{
    const QScreen* screen = HasDesktop() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QFont QFontFromLogFont(const LOGFONT& lf, int dpi)
{
    QFont font(FaceOrFallback(lf));
    double characterHeight = -double(lf.lfHeight);
    if (lf.lfHeight > 0 && HasDesktop()) {
        // A cell height holds the leading too; Qt sizes fonts by the characters.
        font.setPixelSize(lf.lfHeight);
        const int cell = QFontMetrics(font).height();
        characterHeight = cell > 0 ? double(lf.lfHeight) * lf.lfHeight / cell : lf.lfHeight;
    }
    if (lf.lfHeight != 0)
        font.setPointSizeF(std::abs(characterHeight) * 72.0 / Resolve(dpi));
    font.setWeight(lf.lfWeight > 0 ? QFont::Weight(std::min(lf.lfWeight, 1000)) : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setFixedPitch(WantsFixedPitch(lf.lfPitchAndFamily));
    font.setStyleHint(StyleHintOf(lf.lfPitchAndFamily));
    if (lf.lfQuality == NONANTIALIASED_QUALITY)
        font.setStyleStrategy(QFont::NoAntialias);
    else if (lf.lfQuality == ANTIALIASED_QUALITY || lf.lfQuality == CLEARTYPE_QUALITY)
        font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

LOGFONT LogFontFromQFont(const QFont& font, int dpi)
{
    LOGFONT lf;
    if (font.pixelSize() > 0)
        lf.lfHeight = -font.pixelSize();
    else if (font.pointSizeF() > 0)
        lf.lfHeight = -i32(std::lround(font.pointSizeF() * Resolve(dpi) / 72.0));
    lf.lfWeight = font.weight();
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = u8((font.fixedPitch() ? FIXED_PITCH : VARIABLE_PITCH) | FamilyOf(font.styleHint()));
    if (font.styleStrategy() & QFont::NoAntialias)
        lf.lfQuality = NONANTIALIASED_QUALITY;
    else if (font.styleStrategy() & QFont::PreferAntialias)
        lf.lfQuality = ANTIALIASED_QUALITY;
    TextCodec::ToFixedField(font.family().toStdString(), lf.lfFaceName, LF_FACESIZE);
    return lf;
}

COLORREF DesktopColor(QPalette::ColorRole role, COLORREF fallback)
{
    if (!HasDesktop())
        return fallback;
    const QColor c = QGuiApplication::palette().color(role);
    return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
}

LOGFONT DesktopFont()
{
    return LogFontFromQFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}
