#include "impexp/cardreader.h"

#include "impexp/cardproperties.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// Ends a name or a parameter word in the head of a line.
bool EndsWord(char c)
{
    return c == ';' || c == '=' || IsBlank(c);
}

// The first of up to four bytes, or end. Values and heads are scanned
// sixteen bytes at a time: this is where most of the reading time goes.
const char* FindFirstOf(const char* p, const char* end, char a, char b, char c, char d)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    const __m128i vc = _mm_set1_epi8(c);
    const __m128i vd = _mm_set1_epi8(d);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
            _mm_or_si128(_mm_cmpeq_epi8(v, vc), _mm_cmpeq_epi8(v, vd)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b || *p == c || *p == d)
            break;
    return p;
}

const char* FindLineEnd(const char* p, const char* end)
{
    return FindFirstOf(p, end, '\r', '\n', '\r', '\n');
}

// CR LF, LF and a lone CR each end a line, and so does CR CR LF: what a
// CR LF file becomes when it passes once more through a text-mode copy.
size_t LineEndSize(const char* p, const char* end)
{
    if (p == end || (*p != '\r' && *p != '\n'))
        return 0;
    if (*p == '\n' || end - p == 1)
        return 1;
    if (p[1] == '\n')
        return 2;
    return end - p >= 3 && p[1] == '\r' && p[2] == '\n' ? 3 : 1;
}

const char* SkipLineEnd(const char* p, const char* end)
{
    return p + LineEndSize(p, end);
}

const char* SkipBlanks(const char* p, const char* end)
{
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// A line that can only be BASE64 data: a property line always has a colon.
bool IsBase64Line(const char* p, const char* end)
{
    for (; p < end; ++p)
        if (Base64Value(*p) < 0 && *p != '=' && !IsBlank(*p))
            return false;
    return true;
}

// Recognises 'BEGIN:VCARD', 'end : vtodo' and the like at p; gives the row of
// the block's name and where the next line starts.
bool ParseBlockLine(const char* p, const char* end, bool& begin, int& row, const char*& next)
{
    const char* q = p;
    while (q < end && IsLetter(*q))
        ++q;
    const std::string_view word(p, size_t(q - p));
    if (EqualsNoCase(word, "BEGIN"))
        begin = true;
    else if (EqualsNoCase(word, "END"))
        begin = false;
    else
        return false;
    q = SkipBlanks(q, end);
    if (q == end || *q != ':')
        return false;
    const char* lineEnd = FindLineEnd(q, end);
    const std::string_view blockName = Trim(std::string_view(q + 1, size_t(lineEnd - q - 1)));
    row = FindCardProperty(blockName);
    if (row < 0 || !(CardPropertyAt(row).flags & kCardComponent))
        return false;
    next = SkipLineEnd(lineEnd, end);
    return true;
}

// The colon that ends the head of a line, outside quoted parameter values
// when quotes count; null when the line ends first. Folded lines go on.
const char* FindColon(const char* p, const char* end, bool quotes, bool& folded, bool& sawQuote)
{
    bool inQuote = false;
    for (; (p = FindFirstOf(p, end, ':', '"', '\r', '\n')) < end; ++p) {
        const char c = *p;
        if (c == ':') {
            if (!inQuote)
                return p;
        } else if (c == '"') {
            inQuote = quotes && !inQuote;
            sawQuote = true;
        } else {
            const char* q = SkipLineEnd(p, end);
            if (q == end || !IsBlank(*q))
                return nullptr;
            folded = true;
            p = q;
        }
    }
    return nullptr;
}

// Whether the line at p can go on a value whose line ended in a backslash:
// it is text, not the next property or a block line.
bool ContinuesValue(const char* p, const char* end)
{
    const char* lineEnd = FindLineEnd(p, end);
    bool begin;
    int row;
    const char* next;
    if (p == lineEnd || IsBlank(*p) || ParseBlockLine(p, end, begin, row, next))
        return false;
    if (!IsLetter(*p) || !std::memchr(p, ':', size_t(lineEnd - p)))
        return true;
    const char* q = p;
    while (q < lineEnd && (IsLetter(*q) || (*q >= '0' && *q <= '9') || *q == '-' || *q == '_' || *q == '.'))
        ++q;
    const std::string_view name(p, size_t(q - p));
    q = SkipBlanks(q, lineEnd);
    const bool head = q < lineEnd && (*q == ':' || *q == ';');
    return !head && FindCardProperty(name.substr(name.rfind('.') + 1)) < 0;
}

std::string LineText(const char* what, int line)
{
    return std::string(what) + " at line " + std::to_string(line);
}

const int kGroupingRow = FindCardProperty("Grouping");
const int kAgentRow = FindCardProperty("AGENT");
const int kVersionRow = FindCardProperty("VERSION");
const int kVCardRow = FindCardProperty("VCARD");
const int kVCalendarRow = FindCardProperty("VCALENDAR");
const int kBase64Row = FindCardProperty("BASE64");
const int kQuotedPrintableRow = FindCardProperty("QUOTED-PRINTABLE");
const int kEncodingRow = FindCardProperty("ENCODING");

}  // namespace

CardReader::CardReader() = default;
CardReader::~CardReader() = default;

void CardReader::AddIssue(int line, std::string text)
{
    ++m_issueCount;
    if (m_issues.size() < kMaxIssues)
        m_issues.push_back({line, std::move(text)});
}

void CardReader::AddBlockIssue(std::string text)
{
    if (m_stack.empty())
        AddIssue(0, std::move(text));
    else
        Issue(m_objectStart, std::move(text));
}

void CardReader::ClearIssues()
{
    m_issues.clear();
    m_issueCount = 0;
    m_troubledBlocks = 0;
}

void CardReader::Issue(const char* at, std::string text)
{
    if (!m_stack.empty() && !m_troubled) {
        m_troubled = true;
        ++m_troubledBlocks;
    }
    AddIssue(LineOf(at), std::move(text));
}

// Counted from the last place asked about, forwards or back, so that the
// issues of a whole file cost one pass over it.
int CardReader::LineOf(const char* p)
{
    // Line ends are whole between the places asked about: both stand at
    // the start of a line or inside one.
    auto lineEnds = [this](const char* from, const char* to) {
        int n = 0;
        for (const char* q = from; (q = FindLineEnd(q, to)) < to; ++n)
            q += LineEndSize(q, m_end);
        return n;
    };
    if (p >= m_lineMark)
        m_lineAtMark += lineEnds(m_lineMark, p);
    else
        m_lineAtMark -= lineEnds(p, m_lineMark);
    m_lineMark = p;
    return m_lineAtMark;
}

int CardReader::Parse(std::string_view text, const ObjectHandler& handler)
{
    m_begin = m_pos = m_lineMark = text.data();
    m_end = m_begin + text.size();
    m_lineAtMark = 1;
    m_stack.clear();
    m_tree.Clear();
    for (Suspended& outer : m_suspended) {
        outer.tree->Clear();
        m_spareTrees.push_back(std::move(outer.tree));
    }
    m_suspended.clear();
    m_handler = &handler;
    m_failed = m_modern = m_outsideNoted = m_troubled = false;
    m_count = 0;
    m_knownHeads.clear();
    ClearIssues();

    if (text.starts_with("\xEF\xBB\xBF")) {
        m_pos += 3;
    } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        AddIssue(1, "the file is UTF-16 text; save it as UTF-8 to import it");
        return 0;
    }
    for (;;) {
        while (m_pos < m_end && (IsBlank(*m_pos) || IsLineEnd(*m_pos)))
            ++m_pos;
        if (m_pos == m_end)
            break;
        ReadLine();
    }
    while (!m_stack.empty()) {
        Issue(m_objectStart, "the block has no END line");
        FinishObject();
    }
    m_handler = nullptr;
    m_knownHeads.clear();
    return m_count;
}

void CardReader::ReadLine()
{
    if (ReadBlockLine())
        return;
    const char* lineStart = m_pos;
    if (m_stack.empty()) {
        if (!m_outsideNoted)
            Issue(lineStart, "text outside of any card was skipped");
        m_outsideNoted = true;
        SkipValue(Encoding::Plain);
        return;
    }
    Head head;
    if (!ReadHead(head)) {
        if (!m_failed)
            Issue(lineStart, std::string(head.error) + "; the line was skipped");
        SkipValue(Encoding::Plain);
        return;
    }
    if (m_failed)
        SkipValue(head.encoding);
    else
        ReadProperty(head, lineStart);
}

bool CardReader::ReadBlockLine()
{
    const char c = *m_pos;
    if (c != 'B' && c != 'b' && c != 'E' && c != 'e')
        return false;
    bool begin;
    int row;
    const char* next;
    if (!ParseBlockLine(m_pos, m_end, begin, row, next))
        return false;
    const char* lineStart = m_pos;
    m_pos = next;
    if (begin)
        Begin(row, lineStart);
    else
        End(row, lineStart);
    return true;
}

void CardReader::Begin(int row, const char* lineStart)
{
    if (m_stack.empty()) {
        StartObject(row, lineStart);
        return;
    }
    CardNode* top = m_stack.back();
    // An agent's own card, written inside the card right after 'AGENT:'.
    const bool agent = row == kVCardRow && top->last && top->last->row == kAgentRow
        && top->last->type == CardValueType::None;
    if ((row == kVCardRow || row == kVCalendarRow) && !agent) {
        // Cards written inside a card are cards of their own, and the outer
        // card goes on after them. A card that never ended reads the same
        // way: the cards after it are handed over as they end, and it at
        // the end of the file.
        if (row == kVCardRow && m_stack.front()->row == kVCardRow && m_suspended.size() + 1 < kMaxDepth) {
            SuspendObject();
            StartObject(row, lineStart);
            return;
        }
        // A card that never ended: keep what it had and read the next one.
        Issue(m_objectStart, "the block has no END line");
        FinishObject();
        StartObject(row, lineStart);
        return;
    }
    if (m_stack.size() >= kMaxDepth) {
        FailObject(LineText("blocks are nested too deeply", LineOf(lineStart)));
        return;
    }
    const CardPropertyRow& r = CardPropertyAt(row);
    CardNode* node;
    if (agent) {
        node = m_tree.NewNode(r.name, row);
        top->last->object = node;
        top->last->type = CardValueType::Object;
    } else {
        node = m_tree.Append(top, r.name, row);
    }
    m_stack.push_back(node);
}

void CardReader::End(int row, const char* lineStart)
{
    auto open
        = std::find_if(m_stack.rbegin(), m_stack.rend(), [row](const CardNode* n) { return n->row == row; });
    if (open == m_stack.rend()) {
        if (!m_failed)
            Issue(lineStart, "END:" + std::string(CardPropertyAt(row).name) + " closes no open block");
        return;
    }
    // The top-level block is handed over while it is still open.
    const auto closed = std::prev(open.base());
    if (closed == m_stack.begin())
        FinishObject();
    else
        m_stack.erase(closed, m_stack.end());
}

void CardReader::StartObject(int row, const char* lineStart)
{
    m_tree.Clear();
    m_stack.assign(1, m_tree.NewNode(CardPropertyAt(row).name, row));
    m_objectStart = lineStart;
    m_failed = m_modern = m_outsideNoted = m_troubled = false;
}

void CardReader::FinishObject()
{
    if (!m_failed) {
        (*m_handler)(*m_stack.front());
        ++m_count;
    }
    m_stack.clear();
    m_tree.Clear();
    m_failed = false;
    m_outsideNoted = false;
    if (!m_suspended.empty())
        ResumeObject();
}

void CardReader::SuspendObject()
{
    Suspended outer;
    if (m_spareTrees.empty()) {
        outer.tree = std::make_unique<CardTree>();
    } else {
        outer.tree = std::move(m_spareTrees.back());
        m_spareTrees.pop_back();
    }
    outer.tree->Swap(m_tree);
    outer.stack = std::move(m_stack);
    outer.objectStart = m_objectStart;
    outer.failed = m_failed;
    outer.modern = m_modern;
    outer.troubled = m_troubled;
    m_suspended.push_back(std::move(outer));
}

void CardReader::ResumeObject()
{
    Suspended& outer = m_suspended.back();
    m_tree.Swap(*outer.tree);
    outer.tree->Clear();
    m_spareTrees.push_back(std::move(outer.tree));
    m_stack = std::move(outer.stack);
    m_objectStart = outer.objectStart;
    m_failed = outer.failed;
    m_modern = outer.modern;
    m_troubled = outer.troubled;
    m_suspended.pop_back();
}

void CardReader::FailObject(const std::string& reason)
{
    if (m_failed)
        return;
    m_failed = true;
    Issue(m_objectStart, "the block was skipped: " + reason);
}

// The name and parameters of a line, up to its colon; m_pos then stands
// after the colon. Nothing is added to the tree when the head is bad.
bool CardReader::ReadHead(Head& head)
{
    bool folded = false;
    bool sawQuote = false;
    const char* colon = FindColon(m_pos, m_end, true, folded, sawQuote);
    // Unbalanced quotes are plain text.
    if (!colon && sawQuote)
        colon = FindColon(m_pos, m_end, false, folded, sawQuote);
    if (!colon) {
        head.error = "no ':' after the property name";
        return false;
    }
    if (size_t(colon - m_pos) > kMaxValueBytes) {
        head.error = "the parameters are too long";
        return false;
    }
    std::string_view text(m_pos, size_t(colon - m_pos));
    if (folded) {
        text = Unfold(text);
    } else if (const auto known = m_knownHeads.find(text); known != m_knownHeads.end()) {
        head = known->second.head;
        m_params = known->second.params;
        m_pos = colon + 1;
        return true;
    }

    const char* p = SkipBlanks(text.data(), text.data() + text.size());
    const char* e = text.data() + text.size();
    auto word = [&] {
        const char* start = p;
        while (p < e && !EndsWord(*p))
            ++p;
        return std::string_view(start, size_t(p - start));
    };
    if (p == e || !IsLetter(*p)) {
        head.error = "the line does not begin with a property name";
        return false;
    }
    const std::string_view fullName = word();
    m_params.clear();
    // Parameters follow ';' (or, leniently, a blank).
    for (;;) {
        p = SkipBlanks(p, e);
        if (p == e)
            break;
        if (*p == ';')
            p = SkipBlanks(p + 1, e);
        const std::string_view name = word();
        p = SkipBlanks(p, e);
        bool ok;
        if (p < e && *p == '=') {
            p = SkipBlanks(p + 1, e);
            const char* start = p;
            bool inQuote = false;
            for (; p < e && (inQuote || *p != ';'); ++p)
                if (*p == '"')
                    inQuote = !inQuote;
            ok = AddParam(name, Trim(std::string_view(start, size_t(p - start))), true);
        } else {
            ok = AddParam(name, {}, false);
        }
        if (!ok) {
            head.error = "the line has too many parameters";
            return false;
        }
    }

    const size_t dot = fullName.rfind('.');
    head.name = dot == std::string_view::npos ? fullName : fullName.substr(dot + 1);
    head.groups = dot == std::string_view::npos ? std::string_view() : fullName.substr(0, dot);
    if (head.name.empty()) {
        head.error = "the line does not begin with a property name";
        return false;
    }
    if (std::count(head.groups.begin(), head.groups.end(), '.') >= kMaxGroups) {
        head.error = "the property name has too many groups";
        return false;
    }
    head.row = FindCardProperty(head.name);
    for (const Param& param : m_params) {
        const int said = param.hasValue ? param.valueRow : param.nameRow;
        if (said == kBase64Row
            || (param.nameRow == kEncodingRow && param.hasValue && EqualsNoCase(param.value, "B")))
            head.encoding = Encoding::Base64;
        else if (said == kQuotedPrintableRow && head.encoding == Encoding::Plain)
            head.encoding = Encoding::QuotedPrintable;
        if (param.hasValue && EqualsNoCase(param.name, "CHARSET"))
            head.charset = param.value;
    }
    if (!folded) {
        if (m_knownHeads.size() >= kMaxKnownHeads)
            m_knownHeads.clear();
        m_knownHeads.emplace(text, KnownHead{head, m_params});
    }
    m_pos = colon + 1;
    return true;
}

// One parameter, or one per item of a comma list ("TYPE=WORK,VOICE",
// "WORK,VOICE", 'TYPE="WORK,VOICE"'), with quotes taken off.
bool CardReader::AddParam(std::string_view name, std::string_view value, bool hasValue)
{
    const std::string_view list = hasValue ? value : name;
    const int nameRow = hasValue ? FindCardProperty(name) : -1;
    bool any = false;
    for (size_t i = 0; i <= list.size();) {
        const size_t comma = std::min(list.find(',', i), list.size());
        std::string_view item = list.substr(i, comma - i);
        while (!item.empty() && (IsBlank(item.front()) || item.front() == '"'))
            item.remove_prefix(1);
        while (!item.empty() && (IsBlank(item.back()) || item.back() == '"'))
            item.remove_suffix(1);
        if (!item.empty()) {
            if (m_params.size() == kMaxParams)
                return false;
            const int itemRow = FindCardProperty(item);
            m_params.push_back(
                hasValue ? Param{name, item, true, nameRow, itemRow} : Param{item, {}, false, itemRow, -1});
            any = true;
        }
        i = comma + 1;
    }
    // "TYPE=" still names a parameter.
    if (!any && hasValue && !name.empty() && m_params.size() < kMaxParams)
        m_params.push_back({name, {}, false, nameRow, -1});
    return true;
}

// Joins folded lines: the line end goes, and in version 3.0 also the one
// blank that marks the fold.
std::string_view CardReader::Unfold(std::string_view text)
{
    char* out = m_tree.Allocate(text.size());
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLineEnd(text[i])) {
            i += LineEndSize(text.data() + i, text.data() + text.size()) - 1;
            if (m_modern && i + 1 < text.size() && IsBlank(text[i + 1]))
                ++i;
            continue;
        }
        out[n++] = text[i];
    }
    m_tree.Shrink(out, text.size(), n);
    return {out, n};
}

// The logical value from m_pos: folded lines joined and, for
// quoted-printable, soft line breaks taken out. m_pos moves past it. False
// when it is too long.
bool CardReader::ReadValueText(Encoding encoding, std::string_view& text)
{
    const bool qp = encoding == Encoding::QuotedPrintable;
    const bool escapedBreaks = encoding == Encoding::Plain && !m_modern;
    m_foldBlanks.clear();
    const char* start = m_pos;
    const char* p = start;
    const char* e;
    bool joined = false;
    for (;;) {
        e = FindLineEnd(p, m_end);
        const char* q = SkipLineEnd(e, m_end);
        if (q == m_end)
            break;
        bool begin;
        int row;
        const char* next;
        // A soft break joins the next line whatever it holds, except the end
        // of the card: a stray '=' must not swallow END:VCARD.
        if (qp && e > start && e[-1] == '=' && !ParseBlockLine(q, m_end, begin, row, next)) {
            joined = true;
            p = q;
            continue;
        }
        // Phones end a line of a 2.1 value with a backslash when the value
        // goes on, as a multi-line street does; the next property is never
        // taken in.
        if (escapedBreaks && e > p && e[-1] == '\\' && ContinuesValue(q, m_end)) {
            joined = true;
            p = q;
            continue;
        }
        if (!IsBlank(*q))
            break;
        joined = true;
        p = q;
    }
    m_pos = SkipLineEnd(e, m_end);
    const size_t size = size_t(e - start);
    if (size > kMaxValueBytes)
        return false;
    if (!joined) {
        text = std::string_view(start, size);
    } else {
        char* out = m_tree.Allocate(size);
        size_t n = 0;
        for (p = start; p < e;) {
            const char* le = FindLineEnd(p, e);
            std::memcpy(out + n, p, size_t(le - p));
            n += size_t(le - p);
            if (le == e)
                break;
            p = SkipLineEnd(le, e);
            if (qp && n > 0 && out[n - 1] == '=')
                --n;
            if (m_modern && p < e && IsBlank(*p)) {
                ++p;
            } else if (qp && p < e && IsBlank(*p)) {
                // Some writers fold quoted-printable lines anywhere, with or
                // without a soft break, and mean the blank as the fold's
                // mark only: whether it is text is told once the value is
                // decoded.
                m_foldBlanks.push_back(out + n);
            } else if (escapedBreaks && n > 0 && out[n - 1] == '\\' && p < e && !IsBlank(*p)) {
                // The backslash and the line end it escapes are a line break.
                out[n - 1] = '\r';
                out[n++] = '\n';
            }
        }
        m_tree.Shrink(out, size, n);
        text = std::string_view(out, n);
    }
    if (qp && !text.empty() && text.back() == '=')
        text.remove_suffix(1);
    return true;
}

// BASE64 data runs from the colon over the following lines that can only be
// data, up to and including an empty line. A writer that leaves out the empty
// line before the next property or END:VCARD loses nothing.
bool CardReader::ReadBase64(std::string_view& bytes, const char*& error)
{
    const char* start = m_pos;
    const char* e = FindLineEnd(m_pos, m_end);
    const char* q = SkipLineEnd(e, m_end);
    while (q < m_end) {
        const char* le = FindLineEnd(q, m_end);
        if (SkipBlanks(q, le) == le) {
            e = le;
            q = SkipLineEnd(le, m_end);
            break;
        }
        if (!IsBlank(*q) && !IsBase64Line(q, le))
            break;
        e = le;
        q = SkipLineEnd(le, m_end);
    }
    m_pos = q;

    const size_t room = size_t(e - start) / 4 * 3 + 3;
    if (room > kMaxBinaryBytes + 3) {
        error = "BASE64 data larger than 16 MiB";
        return false;
    }
    char* out = m_tree.Allocate(room);
    size_t n = 0;
    std::uint32_t bits = 0;
    int count = 0;
    int padding = 0;
    for (const char* p = start; p < e; ++p) {
        const char c = *p;
        if (IsBlank(c) || IsLineEnd(c))
            continue;
        int v = Base64Value(c);
        if (v < 0) {
            if (c != '=') {
                m_tree.Shrink(out, room, 0);
                error = "BASE64 data with a character that is not BASE64";
                return false;
            }
            v = 0;
            ++padding;
        }
        bits = (bits << 6) | std::uint32_t(v);
        if (++count == 4) {
            const char quad[3] = {char(bits >> 16), char(bits >> 8), char(bits)};
            const int keep = std::max(0, 3 - padding);
            std::memcpy(out + n, quad, size_t(keep));
            n += size_t(keep);
            bits = 0;
            count = padding = 0;
        }
    }
    // Data whose last group lacks its padding.
    if (count >= 2 && padding == 0) {
        bits <<= 6 * (4 - count);
        out[n++] = char(bits >> 16);
        if (count == 3)
            out[n++] = char(bits >> 8);
    }
    m_tree.Shrink(out, room, n);
    bytes = std::string_view(out, n);
    return true;
}

void CardReader::SkipValue(Encoding encoding)
{
    std::string_view ignored;
    const char* error;
    if (encoding == Encoding::Base64)
        ReadBase64(ignored, error);
    else
        ReadValueText(encoding, ignored);
}

void CardReader::ReadProperty(const Head& head, const char* lineStart)
{
    std::string_view value;
    if (head.encoding == Encoding::Base64) {
        const char* error = nullptr;
        if (!ReadBase64(value, error)) {
            Issue(lineStart, std::string(error) + " was skipped");
            return;
        }
    } else if (!ReadValueText(head.encoding, value)) {
        Issue(lineStart, "a value longer than 1 MiB was skipped");
        return;
    }

    CardNode* owner = m_stack.back();
    const int row = head.row;
    CardNode* property = m_tree.Append(owner, CanonicalCardName(head.name, row), row);
    // 'A.B.TEL' gives TEL a group B, which has a group A.
    CardNode* grouped = property;
    for (std::string_view groups = head.groups; !groups.empty();) {
        const size_t dot = groups.rfind('.');
        const std::string_view group = dot == std::string_view::npos ? groups : groups.substr(dot + 1);
        groups = dot == std::string_view::npos ? std::string_view() : groups.substr(0, dot);
        if (group.empty())
            continue;
        grouped = m_tree.Append(grouped, "Grouping", kGroupingRow);
        grouped->type = CardValueType::ByteString;
        grouped->value = CanonicalCardName(group, FindCardProperty(group));
    }
    for (const Param& p : m_params) {
        if (p.nameRow >= 0 && (CardPropertyAt(p.nameRow).flags & kCardInternal))
            continue;
        CardNode* param = m_tree.Append(property, CanonicalCardName(p.name, p.nameRow), p.nameRow);
        if (p.hasValue) {
            param->type = CardValueType::ByteString;
            param->value = CanonicalCardName(p.value, p.valueRow);
        }
    }

    if (head.encoding == Encoding::Base64) {
        if (!value.empty()) {
            property->type = CardValueType::Bytes;
            property->value = value;
        }
    } else {
        StoreFields(property, value, head.encoding, head.charset);
    }

    if (row == kVersionRow && owner == m_stack.front())
        m_modern = property->value != "2.1" && property->value != "1.0";
    if (m_tree.NodeCount() > kMaxNodes)
        FailObject("it has too many properties");
    else if (m_tree.ByteCount() > kMaxObjectBytes)
        FailObject("its values are larger than 64 MiB");
}
