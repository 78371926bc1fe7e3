// Lengths as the label and envelope dialogs show and take them: in
// centimetres where the locale is metric, else in inches, as "%.2f" with the
// user's decimal separator and the unit behind.
#pragma once

#include "platform/wintypes.h"

#include <string>

constexpr u32 IDS_MEASURE_INVALID = 59631;  // "This is not a valid measurement."
constexpr u32 IDS_MEASURE_NOT_POSITIVE = 59632;
constexpr u32 IDS_MEASURE_RANGE = 59633;  // "The measurement must be between 0%s and %.2f%s."
constexpr u32 IDS_LABEL_NAME_MISSING = 59634;
constexpr u32 IDS_LABEL_PAGE_TOO_SMALL = 59635;

struct MeasureUnit {
    bool metric = true;
    std::string separator = ".";

    const char* Suffix() const { return metric ? " cm" : " in"; }
    // Display units per inch: 2.54 for centimetres, 1 for inches.
    double Factor() const { return metric ? 2.54 : 1.0; }
    static MeasureUnit User();
};

// "12,50 cm" for 12.5 in a metric locale with a comma.
std::string FormatMeasure(double value, const MeasureUnit& unit);

// Reads a typed measure, in the dialog's unit unless the text names the
// other one ("cm" or "in"), which is then converted. 0 and the value when
// it lies in 0..maximum, else the message to show: IDS_MEASURE_INVALID for
// a text that is no number, IDS_MEASURE_RANGE outside the range.
u32 ParseMeasure(const std::string& text, const MeasureUnit& unit, double maximum, double& value);
// The range message with its unit and maximum filled in.
std::string MeasureRangeText(const MeasureUnit& unit, double maximum);

// Twips to the display unit and back; going back rounds to the nearest twip,
// so that a shown value read back gives the length it was shown for.
double TwipsToUnit(i32 twips, const MeasureUnit& unit);
i32 UnitToTwips(double value, const MeasureUnit& unit);
// 0.1 mm to the display unit and back, rounded likewise.
double TenthsMmToUnit(i32 tenths, const MeasureUnit& unit);
i32 UnitToTenthsMm(double value, const MeasureUnit& unit);
