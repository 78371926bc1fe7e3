#include "print/measure.h"

#include "core/utilities.h"

#include <QRegularExpression>
#include <QString>
#include <cmath>

namespace {

constexpr double kCmPerInch = 2.54;
constexpr double kInchPerCm = 0.3937007874015748;

}  // namespace

MeasureUnit MeasureUnit::User()
{
    return {IsMetricLocale(), GetDecimalSeparator()};
}

std::string FormatMeasure(double value, const MeasureUnit& unit)
{
    std::string text = QString::asprintf("%.2f", value).toStdString();
    if (const auto point = text.find('.'); point != std::string::npos && !unit.separator.empty())
        text.replace(point, 1, unit.separator);
    return text + unit.Suffix();
}

std::string MeasureRangeText(const MeasureUnit& unit, double maximum)
{
    QString text = QString::fromUtf8(LoadResString(IDS_MEASURE_RANGE));
    text = QString::asprintf(text.toUtf8().constData(), unit.Suffix(), maximum, unit.Suffix());
    if (!unit.separator.empty() && unit.separator != ".") {
        // Only the number's point, not the sentence's full stop.
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("\\d\\.\\d")));
        if (at >= 0)
            text.replace(at + 1, 1, QString::fromStdString(unit.separator));
    }
    return text.toStdString();
}

u32 ParseMeasure(const std::string& text, const MeasureUnit& unit, double maximum, double& value)
{
    QString t = QString::fromUtf8(text).trimmed();
    if (!unit.separator.empty() && unit.separator != ".")
        t.replace(QString::fromStdString(unit.separator), QStringLiteral("."));
    const bool saysCm = t.contains(QStringLiteral("cm"), Qt::CaseInsensitive);
    const bool saysInch = t.contains(QStringLiteral("in"), Qt::CaseInsensitive);
    t.remove(QStringLiteral("cm"), Qt::CaseInsensitive);
    t.remove(QStringLiteral("in"), Qt::CaseInsensitive);
    t = t.trimmed();
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return IDS_MEASURE_INVALID;
    if (saysCm && !unit.metric)
        v *= kInchPerCm;
    else if (saysInch && unit.metric)
        v *= kCmPerInch;
    // Compared as shown, so that a maximum shown as "21.00" is accepted as typed.
    if (v < 0 || std::round(v * 100) > std::round(maximum * 100))
        return IDS_MEASURE_RANGE;
    value = v;
    return 0;
}

double TwipsToUnit(i32 twips, const MeasureUnit& unit)
{
    return twips * unit.Factor() / 1440.0;
}

i32 UnitToTwips(double value, const MeasureUnit& unit)
{
    return i32(std::lround(value * 1440.0 / unit.Factor()));
}

double TenthsMmToUnit(i32 tenths, const MeasureUnit& unit)
{
    return tenths / (unit.metric ? 100.0 : 254.0);
}

i32 UnitToTenthsMm(double value, const MeasureUnit& unit)
{
    return i32(std::lround(value * (unit.metric ? 100.0 : 254.0)));
}
