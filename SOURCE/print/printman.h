// The print manager: every print setting of the four print styles (memo,
// report, envelope, labels), kept in the profile section "PrintMan", and the
// state of the print job in progress. The print and option dialogs read and
// change the settings directly.
#pragma once

#include "platform/oledate.h"
#include "platform/printdc.h"
#include "platform/wintypes.h"
#include "print/printrecords.h"

#include <QString>
#include <array>
#include <string>
#include <vector>

class CAddressBookApp;
class CPrintDC;
class CPrintInfo;
class Contact;
class DataMan;
class UserMan;

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

    // Where a job takes its contacts and the contact list's settings from.
    void SetSources(DataMan* dataMan, UserMan* userMan);

    // The passes of a job (printjob.cpp).
    void PrepareDC(CPrintDC& dc) const;
    void BeginPrinting(CPrintDC& dc, CPrintInfo& info);
    void PrintPage(CPrintDC& dc, CPrintInfo& info);
    void EndPrinting();
    // The y where the body begins (header) or ends (footer); draw false only measures.
    i32 PrintHeader(bool draw, const RECT& rect, CPrintDC& dc, const CPrintInfo& info);
    i32 PrintFooter(bool draw, const RECT& rect, CPrintDC& dc, const CPrintInfo& info);
    QString ExpandPlaceholders(const std::string& text, const CPrintInfo& info) const;
    // 1 when a must move behind b.
    int CompareContacts(const Contact& a, const Contact& b) const;
    // How many pages the current job has; 0 before a begin pass.
    u32 GetPageCount() const { return m_pageContact.empty() ? 0 : u32(m_pageContact.size() - 1); }

    // One record of the memo or report style (printmemo.cpp): 0 when the
    // contact is finished and the page takes more, 1 when the page is full.
    // The rectangle's top is the current y and moves down.
    int PrintRecord(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, CPrintInfo& info);
    int PrintMemoRecord(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact);
    int PrintMemoLine(
        bool draw, RECT& rect, CPrintDC& dc, const QString& caption, const QString& value, bool wideGap);
    int PrintMemoText(
        bool draw, RECT& rect, CPrintDC& dc, const QString& caption, const QString& value, bool wideGap);
    int PrintReportRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, CPrintInfo& info);

    // The address styles (printaddress.cpp).
    void PrintEnvelope(CPrintDC& dc, const RECT& envelope, const Contact& contact, bool preview);
    // Where the envelope lies on the paper for the feed.
    RECT EnvelopeRect(const RECT& paper, i32 paperWidth) const;
    void PrintLabels(CPrintDC& dc, const RECT& sheet, const RECT& drawRect, u32 page, bool preview);
    // The contact's address text (lines joined by CR LF) for envelopes or
    // labels; an out-of-range format setting is reset to 0 first.
    std::string AddressTextFor(const Contact& contact, bool envelope);
    // Whether the current label sheet can be printed: at least one row and column.
    bool IsLabelSheetUsable() const { return m_Label.m_wRows > 0 && m_Label.m_wColumns > 0; }
    // Whether the job's labels leave lines of an address out, as the begin
    // pass found: a label keeps the lines that fit it.
    bool LabelLinesLeftOut() const { return m_labelLinesLeftOut; }
    // What the job's result says of envelopes and labels printed for
    // contacts without any address, as the begin pass found; "" when every
    // contact has one.
    QString AddresslessNote() const;

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
    // other two are kept but not used. By default the return address sits in
    // the top left corner and the delivery address in the middle, as on a
    // business envelope (DL or #10).
    RECT m_AddrRetMargins{150, 150, 300, 300};
    RECT m_AddrDelivMargins{1000, 500, 300, 300};
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

    // The job in progress, from its begin pass to its end pass. The contacts
    // are held by id: the preview and the printing dialog keep the window
    // live, so a contact may be changed or freed while its job runs.
    std::vector<u32> m_contacts;
    // The job's contact at the index, or null when it is gone from the store.
    const Contact* JobContact(size_t index) const;
    // Whether every label text of the job fits its label.
    bool LabelTextsFit(CPrintDC& dc);
    // Counts the envelope or label contacts of the job that have no address.
    void CountAddressless();
    // Indexed by page number, entry 0 a leading 0: where each page starts.
    std::vector<u32> m_pageContact, m_pageField, m_pageOffset;
    u32 m_curContact = 0;
    u32 m_curField = 0;
    u32 m_textOffset = 0;  // characters of the current long text already printed
    bool m_firstOnPage = false;
    RECT m_printMargins;  // logical units
    DateValue m_printStart;
    // Made anew at each begin pass, heights in logical units.
    enum JobFont { JF_HEADER, JF_BOLD, JF_BODY, JF_FOOTER };
    std::array<LOGFONT, 4> m_jobFonts;
    enum JobPen { JP_THIN, JP_WIDE, JP_DOTTED };
    std::array<LOGPEN, 3> m_jobPens;
    // Nothing has been placed on the page yet: its first line or row is
    // placed even when it does not fit, so that every page makes progress.
    bool m_pageEmpty = false;
    bool m_labelLinesLeftOut = false;
    // The envelope or label contacts of the job without an address, and
    // the name of the first of them.
    u32 m_addressless = 0;
    std::string m_firstAddressless;
    DataMan* m_pDataMan = nullptr;
    UserMan* m_pUserMan = nullptr;

private:
    void CreateGdiObjects();
    void ComputeMargins(const PageCaps& caps);
    void CollectContacts();
    u32 CountPages(CPrintDC& dc, CPrintInfo& info);
    // The three parts of the header or footer line at y, the memo's rule at ruleY.
    void DrawTextLine(const RECT& rect, i32 y, i32 ruleY, CPrintDC& dc, const CPrintInfo& info, bool header);
    // The start of a memo field: 0 when its first line does not fit, else its
    // line height, with the bold font selected and the caption drawn; the
    // tab width goes to tab and the font to restore to old.
    i32 BeginMemoField(
        bool draw, RECT& rect, CPrintDC& dc, const QString& caption, bool wideGap, i32& tab, LOGFONT& old);
    // A field on one line, or wrapped within the body's width.
    int PrintMemoField(bool draw, RECT& rect, CPrintDC& dc, const QString& caption, const QString& value,
        bool wideGap, bool wrapped);
    // Fills the page between header and footer from the current position.
    void PrintBody(bool draw, RECT body, CPrintDC& dc, CPrintInfo& info);
    // The body of a memo or report page: the page rectangle less header and footer.
    RECT BodyRect(bool draw, const RECT& page, CPrintDC& dc, const CPrintInfo& info);

public:
    const CAddressFormatArray* Formats() const;

private:
    // Memo field values; the slots are filled once per contact.
    QString MemoValue(const Contact& contact, u32 field) const;
    std::array<std::string, 21> m_phoneSlots;
    std::array<std::string, 11> m_emailSlots;
    std::array<std::string, 16> m_webSlots;
};

// The address text of a contact (lines joined by CR LF), led by its name:
// its default address (else its first) through that address's own format,
// or the format setting, which is reset to 0 first when it lies beyond the
// formats; a setting that yields no address for the contact lays out its
// default address.
std::string AddressTextForContact(
    const Contact& contact, bool useContactFormat, u32& formatSetting, const CAddressFormatArray* formats);

// The memo and report margins (0.01 mm) as a job takes them: each at least
// its minimum margin, and together leaving at least a quarter of the paper's
// width and height for the text (wider pairs shrink in proportion).
RECT MarginsWithinPaper(const RECT& margins, const RECT& minimum, i32 paperWidth, i32 paperHeight);
// Whether the margins leave that much of the paper for the text.
bool MarginsFitPaper(const RECT& margins, i32 paperWidth, i32 paperHeight);
// The smallest memo and report margins on the sheet: the minimum margins,
// and no less than the strips the printer cannot print on.
RECT LeastPrintMargins(const RECT& marginsMin, const PageCaps& caps);
// The margins a job prints with on the sheet, which the page setup shows.
RECT PrintMarginsOnSheet(const RECT& margins, const RECT& marginsMin, const PageCaps& caps);

// A stored font (height in screen pixels) as printing uses it: height in
// logical units, TrueType output precision.
LOGFONT PrintFontFromScreenFont(const LOGFONT& font);
