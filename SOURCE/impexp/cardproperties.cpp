#include "impexp/cardproperties.h"

#include <array>
#include <cstdint>

namespace {

constexpr std::string_view kAlarm[] = {"RUNTIME", "SNOOZETIME", "REPEATCOUNT", "AUDIOCONTENT"};
constexpr std::string_view kAdr[] = {"BOX", "EXT ADD", "STREET", "L", "R", "PC", "C"};
constexpr std::string_view kDisplayAlarm[] = {"RUNTIME", "SNOOZETIME", "REPEATCOUNT", "DISPLAYSTRING"};
constexpr std::string_view kMailAlarm[] = {"RUNTIME", "SNOOZETIME", "REPEATCOUNT", "EMAIL", "NOTE"};
constexpr std::string_view kName[] = {"F", "G", "ADDN", "NPRE", "NSUF"};
constexpr std::string_view kOrg[] = {"ORGNAME", "OUN", "OUN2", "OUN3", "OUN4"};
constexpr std::string_view kProcedureAlarm[] = {"RUNTIME", "SNOOZETIME", "REPEATCOUNT", "PROCEDURENAME"};

constexpr CardPropertyRow Row(std::string_view name)
{
    return {name, {}, {}, 0};
}

// Searched from the top: "ROLE", "NOTE" and "GEO" stand twice and their
// later rows are never reached, but they keep their places.
constexpr CardPropertyRow kRows[] = {Row("7BIT"), Row("8BIT"), {"AALARM", {}, kAlarm, 0}, Row("ADDN"),
    {"ADR", {}, kAdr, 0}, Row("AGENT"), Row("AIFF"), Row("AOL"), Row("APPLELINK"), Row("ATTACH"),
    Row("ATTENDEE"), Row("ATTMAIL"), Row("AUDIOCONTENT"), Row("AVI"), Row("BASE64"), Row("BBS"), Row("BDAY"),
    Row("BMP"), Row("BODY"), Row("ROLE"), {"VCALENDAR", {}, {}, kCardComponent}, Row("CAP"),
    {"VCARD", {}, {}, kCardComponent}, Row("CAR"), Row("CATEGORIES"), Row("CELL"), Row("CGM"), Row("CS"),
    {"CID", "CONTENT-ID", {}, 0}, Row("CIS"), Row("L"), Row("CLASS"), Row("NOTE"), Row("COMPLETED"),
    Row("CONTENT-ID"), Row("C"), {"DALARM", {}, kDisplayAlarm, 0}, {"DATASIZE", {}, {}, kCardInternal},
    Row("DAYLIGHT"), Row("DCREATED"), Row("LABEL"), Row("DESCRIPTION"), Row("DIB"), Row("DISPLAYSTRING"),
    Row("DOM"), Row("DTEND"), Row("DTSTART"), Row("DUE"), Row("EMAIL"), Row("ENCODING"), Row("END"),
    {"VEVENT", {}, {}, kCardComponent}, Row("EWORLD"), Row("EXNUM"), Row("EXDATE"), Row("EXPECT"),
    Row("EXT ADD"), Row("F"), Row("FAX"), Row("FN"), Row("GEO"), Row("GEO"), Row("GIF"), Row("G"),
    Row("Grouping"), Row("HOME"), Row("IBMMail"), Row("INLINE"), Row("INTL"), Row("INTERNET"), Row("ISDN"),
    Row("JPEG"), Row("LANG"), Row("LAST-MODIFIED"), Row("REV"), Row("LOCATION"), Row("LOGO"), Row("MAILER"),
    {"MALARM", {}, kMailAlarm, 0}, Row("MCIMAIL"), Row("MSG"), Row("MET"), Row("MODEM"), Row("MPEG2"),
    Row("MPEG"), Row("MSN"), Row("NPRE"), {"N", {}, kName, 0}, Row("NSUF"), Row("NOTE"), Row("ORGNAME"),
    {"ORG", {}, kOrg, 0}, Row("OUN2"), Row("OUN3"), Row("OUN4"), Row("OUN"), Row("PAGER"),
    {"PALARM", {}, kProcedureAlarm, 0}, Row("PARCEL"), Row("PART"), Row("PCM"), Row("PDF"), Row("PGP"),
    Row("PHOTO"), Row("PICT"), Row("PMB"), Row("BOX"), Row("PC"), Row("POSTAL"), Row("POWERSHARE"),
    Row("PREF"), Row("PRIORITY"), Row("PROCEDURENAME"), Row("PRODID"), Row("PRODIGY"), Row("SOUND"),
    Row("PS"), Row("KEY"), {"QP", "QUOTED-PRINTABLE", {}, 0}, Row("QTIME"), Row("QUOTED-PRINTABLE"),
    Row("RDATE"), Row("R"), Row("RELATED-TO"), Row("REPEATCOUNT"), Row("RESOURCES"), Row("RNUM"), Row("ROLE"),
    Row("RRULE"), Row("RSVP"), Row("RUNTIME"), Row("SEQUENCE"), Row("SNOOZETIME"), Row("START"),
    Row("STATUS"), Row("STREET"), Row("SUBTYPE"), Row("SUMMARY"), Row("TEL"), Row("TIFF"), Row("TZ"),
    Row("TITLE"), Row("TLX"), {"VTODO", {}, {}, kCardComponent}, Row("TRANSP"), Row("UID"), Row("URL"),
    Row("URLVAL"), Row("VALUE"), Row("VERSION"), Row("VIDEO"), Row("VOICE"), Row("WAVE"), Row("WMF"),
    Row("WORK"), Row("X400"), Row("X509"), Row("XRULE")};
static_assert(std::size(kRows) == kCardPropertyRows);

constexpr unsigned char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? (c - 32) : static_cast<unsigned char>(c);
}

constexpr bool SameNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

// Length and three letters tell the rows apart well enough; the comparison
// after it settles the rest. Every property line and parameter of a file
// passes through here, so it must cost little.
constexpr std::uint32_t HashNoCase(std::string_view s)
{
    const std::uint32_t n = std::uint32_t(s.size());
    return n * 131u + Upper(s[0]) * 31u + Upper(s[n - 1]) * 7u + Upper(s[n / 2]);
}

// Open addressing over the first row of each name, built by the compiler.
class RowIndex {
public:
    constexpr RowIndex()
        : m_slots()
        , m_target()
        , m_subFieldRows()
    {
        for (int i = 0; i < kCardPropertyRows; ++i) {
            std::uint32_t h = HashNoCase(kRows[i].name) & kMask;
            while (m_slots[h] != 0 && !SameNoCase(kRows[m_slots[h] - 1].name, kRows[i].name))
                h = (h + 1) & kMask;
            if (m_slots[h] == 0)
                m_slots[h] = std::uint8_t(i + 1);
        }
        for (int i = 0; i < kCardPropertyRows; ++i)
            m_target[i] = kRows[i].alias.empty() ? i : Find(kRows[i].alias, false);
        // Only once every alias is known: a field's row may come later.
        for (int i = 0; i < kCardPropertyRows; ++i)
            for (size_t f = 0; f < kRows[i].subFields.size(); ++f)
                m_subFieldRows[i][f] = Find(kRows[i].subFields[f], true);
    }

    constexpr int Find(std::string_view name, bool followAlias) const
    {
        for (std::uint32_t h = HashNoCase(name) & kMask; m_slots[h] != 0; h = (h + 1) & kMask) {
            const int row = m_slots[h] - 1;
            if (SameNoCase(kRows[row].name, name))
                return followAlias ? m_target[row] : row;
        }
        return -1;
    }

    constexpr int SubFieldRow(int row, size_t field) const { return m_subFieldRows[size_t(row)][field]; }

private:
    static constexpr std::uint32_t kMask = 1023;
    std::array<std::uint8_t, kMask + 1> m_slots;
    std::array<int, kCardPropertyRows> m_target;
    std::array<std::array<int, 8>, kCardPropertyRows> m_subFieldRows;
};

constexpr RowIndex kIndex;

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return SameNoCase(a, b);
}

std::span<const CardPropertyRow> CardPropertyTable()
{
    return kRows;
}

int FindCardProperty(std::string_view name)
{
    // No row is longer than this; long names never reach the hash.
    if (name.empty() || name.size() > 16)
        return -1;
    return kIndex.Find(name, true);
}

std::string_view CanonicalCardName(std::string_view name, int row)
{
    return row >= 0 ? kRows[row].name : name;
}

int CardSubFieldRow(int row, size_t field)
{
    return kIndex.SubFieldRow(row, field);
}
