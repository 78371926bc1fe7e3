// The print manager: every print setting of the four print styles (memo,
// report, envelope, labels), kept in the profile section "PrintMan", and the
// state of the print job in progress. The print and option dialogs read and
// change the settings directly.
#pragma once

#include "platform/oledate.h"
#include "platform/wintypes.h"
#include "print/printrecords.h"

#include <QFont>
#include <QPen>
#include <array>
#include <string>
#include <vector>

class CAddressBookApp;
class Contact;

constexpr const char* kPrintManSection = "PrintMan";

// Print styles, the value of Printmode.
enum PrintMode : u32 {
    PM_MEMO = 1,
    PM_REPORT = 2,
    PM_ENVELOPE = 3,
    PM_LABELS = 4,
};

// Which contacts a job takes: the value of Printtype, PrinttypeEnv or
// LabelPrintRange.
enum PrintRange : u32 {
    PR_ALL = 1,  // every contact of the address book
    PR_BOOK = 2,  // the contacts of the current book
    PR_LIST = 3,  // every contact shown in the contact list
    PR_SELECTION = 4,  // the contacts selected in the list
    PR_LABEL_SELECTION = 100,  // labels: the selected contacts, as many sheets as needed
    PR_LABEL_SHEET = 101,  // labels: one full sheet of the first selected contact
    PR_LABEL_SINGLE = 102,  // labels: one label of the first selected contact, at LabelItem
};

// The numbered font and colour pairs.
enum PrintTextElement : int {
    PTE_MEMO_HEADER = 1,
    PTE_MEMO_FOOTER = 2,
    PTE_MEMO_TEXT = 3,
    PTE_REPORT_HEADER = 4,
    PTE_REPORT_FOOTER = 5,
    PTE_REPORT_TEXT = 6,
    PTE_DELIVERY_ADDRESS = 7,
    PTE_RETURN_ADDRESS = 8,
    PTE_LABEL = 9,
};
constexpr int kPrintTextElements = 9;

// Flags1 bits. Bits not named here are kept as they stand.
constexpr u32 PF_MEMO_HEADER = 0x1;
constexpr u32 PF_MEMO_FOOTER = 0x2;
constexpr u32 PF_MEMO_EMPTY_FIELDS = 0x4;  // print a caption even when its value is empty
constexpr u32 PF_NO_RETURN_ADDRESS = 0x10;
constexpr u32 PF_REPORT_HEADER = 0x20;
constexpr u32 PF_REPORT_FOOTER = 0x40;
constexpr u32 PF_REPORT_CONTACT_FONT = 0x80;  // each row in the contact's own font and colour
constexpr u32 PF_LABEL_OUTLINES = 0x100;  // label outlines on paper too
constexpr u32 PF_ENVELOPE_CONTACT_FORMAT = 0x10000;  // the contact's default address format
constexpr u32 PF_LABEL_CONTACT_FORMAT = 0x20000;
constexpr u32 kPrintFlagsDefault = PF_MEMO_HEADER | PF_MEMO_FOOTER | PF_REPORT_HEADER | PF_REPORT_FOOTER;

// The print field list: one entry per printable field, the field number
// (1-46, caption string id 59440 + number) in the low word.
constexpr u32 kPrintFieldCount = 46;
constexpr u32 PFL_PRINTED = 0x10000000;
constexpr u32 PFL_FIELD_MASK = 0xFFFF;

// The left, centre and right parts of a header or a footer.
using PrintTextParts = std::array<std::string, 3>;

class PrintMan {
public:
    // The address formats are UserMan's; Save checks the label format index
    // against them.
    explicit PrintMan(CAddressBookApp* app = nullptr, const CAddressFormatArray* addressFormats = nullptr);
    virtual ~PrintMan();
    PrintMan(const PrintMan&) = delete;
    PrintMan& operator=(const PrintMan&) = delete;

    // Always 0.
    u32 Load();
    // 0, or 14 when the print field list is empty and so was not written.
    u32 Save();

    // Null for a number outside 1-9.
    LOGFONT* GetFont(int element);
    const LOGFONT* GetFont(int element) const;
    void SetFont(int element, const LOGFONT& font);
    // The window-text colour for a number outside 1-9.
    COLORREF GetColor(int element) const;
    void SetColor(int element, COLORREF color);

    // The range of the current print style: memo and report share one,
    // envelopes and labels have their own.
    u32 GetPrintRange() const;

    // The settings, changed directly by the print and option dialogs.
    CAddressBookApp* m_pApp;
    const CAddressFormatArray* m_addressFormats;
    u32 m_Flags1 = kPrintFlagsDefault;
    u32 m_Printtype = PR_LIST;
    u32 m_PrinttypeEnv = PR_LIST;
    u32 m_LabelPrintRange = PR_LABEL_SHEET;
    u32 m_Printmode = PM_MEMO;
    // Fonts (heights in screen pixels) and colours of the text elements, by number - 1.
    std::array<LOGFONT, kPrintTextElements> m_fonts;
    std::array<COLORREF, kPrintTextElements> m_colors;
    // Header and footer texts; they may hold "[Current date]", "[Current time]" and "[Page #]".
    PrintTextParts m_memoHead, m_memoFoot, m_reportHead, m_reportFoot;
    std::string m_AddrRet;  // lines separated by CR LF
    // Envelope address positions in 0.1 mm: from the left, from the top; the
    // other two are kept but not used.
    RECT m_AddrRetMargins{300, 300, 300, 300};
    RECT m_AddrDelivMargins{300, 300, 300, 300};
    i32 m_EnvelopeFeed = 1;  // how the envelope lies in the printer, 1-6
    u32 m_EnvelopeAddressFormat = 0;
    EnvelopeSize m_EnvelopeData;
    u32 m_LabelItem = 0x10001;  // single label: row in the high word, column in the low word, from 1
    u32 m_LabelFields = 0;  // address format of labels
    LabelDefinition m_Label;  // the current label sheet
    // Page margins and the page setup's minimum margins, 0.01 mm.
    RECT m_Margins{100, 100, 100, 100};
    RECT m_MarginsMin{100, 100, 100, 100};
    std::vector<u32> m_Fields;

    // The job in progress, from its begin pass to its end pass.
    std::vector<Contact*> m_contacts;
    // Indexed by page number, entry 0 a leading 0: where each page starts.
    std::vector<u32> m_pageContact, m_pageField, m_pageOffset;
    u32 m_curContact = 0;
    u32 m_curField = 0;
    u32 m_textOffset = 0;  // characters of the current long text already printed
    bool m_firstOnPage = false;
    RECT m_printMargins;  // logical units
    DateValue m_printStart;
    // Made anew at each begin pass: header, bold body, body and footer font;
    // the solid, the wide and the dotted pen.
    std::array<QFont, 4> m_jobFonts;
    std::array<QPen, 3> m_jobPens;
};
