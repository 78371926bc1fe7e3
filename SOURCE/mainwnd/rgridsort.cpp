// Sorting the grid, and what its header tells it.
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "mainwnd/fieldchooser.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/menu.h"

#include <QCollator>
#include <QFontMetrics>
#include <QMenu>
#include <QMetaMethod>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <variant>

namespace {

// A day count that grows with time also before 1899, where the fraction
// of an automation date counts forwards from the day's midnight.
double DateSortKey(const DateValue& date)
{
    const double day = std::trunc(date.m_dt);
    return day + std::fabs(date.m_dt - day);
}

const DateValue* ContactDate(const Contact& c, u32 fieldId)
{
    switch (fieldId) {
    case FID_BIRTHDAY:
        return &c.m_dtBirthday;
    case FID_ANNIVERSARY:
        return &c.m_dtAnniversary;
    case FID_CREATED:
        return &c.m_dtCreated;
    case FID_MODIFIED:
        return &c.m_dtModified;
    default:
        return nullptr;
    }
}

// The collation of texts of printable ASCII in many locales is the order
// of one weight per character, which compares as fast as plain bytes. It
// is worked out once per locale from the collator itself and used only when
// every text of one or two characters comes out in the collator's order, so
// that a locale with contractions ("ch" after "h") or ignored punctuation
// keeps the collator.
class AsciiCollation {
public:
    static const AsciiCollation& For(const QCollator& collator)
    {
        static std::map<QString, std::unique_ptr<AsciiCollation>> known;
        std::unique_ptr<AsciiCollation>& entry = known[collator.locale().name()];
        if (!entry)
            entry = std::make_unique<AsciiCollation>(collator);
        return *entry;
    }

    explicit AsciiCollation(const QCollator& collator)
    {
        // Texts are folded to lower case before they are compared.
        std::vector<char> chars;
        for (char c = 0x20; c < 0x7F; ++c) {
            if (c < 'A' || c > 'Z')
                chars.push_back(c);
        }
        m_char.fill(' ');
        const auto text
            = [](std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); };
        std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) {
            return collator.compare(text({&a, 1}), text({&b, 1})) < 0;
        });
        u8 weight = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && collator.compare(text({&chars[i - 1], 1}), text({&chars[i], 1})) != 0)
                ++weight;
            m_weight[size_t(u8(chars[i]))] = u8(weight + 1);
            m_char[size_t(weight + 1)] = chars[i];
        }
        std::vector<std::string> samples;
        for (char a : chars) {
            samples.emplace_back(1, a);
            for (char b : chars)
                samples.push_back(std::string{a, b});
        }
        std::vector<std::string> keys;
        keys.reserve(samples.size());
        for (const std::string& sample : samples)
            keys.push_back(Key(sample));
        std::vector<size_t> order(samples.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
        m_bUsable = true;
        for (size_t i = 1; i < order.size() && m_bUsable; ++i) {
            const int byWeights = keys[order[i - 1]].compare(keys[order[i]]);
            const int byCollator = collator.compare(text(samples[order[i - 1]]), text(samples[order[i]]));
            m_bUsable = (byWeights < 0) == (byCollator < 0) && (byWeights == 0) == (byCollator == 0);
        }
    }

    // False for a text with a character outside printable ASCII.
    bool Applies(std::string_view text) const
    {
        return m_bUsable
            && std::all_of(text.begin(), text.end(), [this](char c) { return m_weight[size_t(u8(c))] != 0; });
    }
    // The text's weights, whose bytes compare as the collator compares it.
    std::string Key(std::string_view text) const
    {
        std::string key(text.size(), '\0');
        std::transform(
            text.begin(), text.end(), key.begin(), [this](char c) { return char(m_weight[size_t(u8(c))]); });
        return key;
    }

    // A text whose weights these are: characters of one weight are equal
    // to the collator, so any of them stands for the others.
    QString Text(std::string_view key) const
    {
        QString text(qsizetype(key.size()), Qt::Uninitialized);
        for (size_t i = 0; i < key.size(); ++i)
            text[qsizetype(i)] = QLatin1Char(m_char[size_t(u8(key[i]))]);
        return text;
    }

private:
    std::array<u8, 256> m_weight{};
    std::array<char, 256> m_char{};
    bool m_bUsable = false;
};

// How rows of one column compare: numbers where the column holds a value
// (dates, the icon), else the texts case-insensitively in the user's
// locale. An empty value sorts before any other.
struct SortKeys {
    std::vector<bool> empty;
    std::vector<double> numbers;
    // Byte keys: the folded texts in the C locale, else the weights of the
    // locale's collation for texts it covers ("ascii" set).
    std::vector<std::string> bytes;
    std::vector<bool> ascii;
    // The folded texts the weights do not cover, for the collator.
    std::vector<QString> others;
    const QCollator* collator = nullptr;
    const AsciiCollation* weights = nullptr;

    QString Text(size_t row) const { return ascii[row] ? weights->Text(bytes[row]) : others[row]; }
    int Compare(size_t a, size_t b) const
    {
        if (empty[a] || empty[b])
            return int(empty[b]) - int(empty[a]);
        if (!numbers.empty())
            return numbers[a] < numbers[b] ? -1 : numbers[b] < numbers[a] ? 1 : 0;
        if (!collator || (ascii[a] && ascii[b]))
            return bytes[a].compare(bytes[b]);
        return collator->compare(Text(a), Text(b));
    }
};

}  // namespace

std::string CRGridCtrl::SortKey(int row, int column)
{
    GridRow& r = m_rows[size_t(row)];
    const Contact& c = *r.contact;
    if (m_columns[size_t(column)].m_nFieldId != i32(FID_NAME)) {
        // A text already made for the screen is taken; others are made
        // for the sort alone, so that sorting fills no cells.
        for (const GridCell& cell : r.cells) {
            if (cell.column == column)
                return FoldCase(cell.text);
        }
        const GridColumnInfo& info = m_columns[size_t(column)];
        return info.m_dwFlags & HDF_STRING ? FoldCase(FormatFieldText(c, u32(info.m_nFieldId)))
                                           : std::string();
    }
    switch (m_userMan.m_dwNameColumnFlags) {
    case 0:
        return FoldCase(c.m_strFirstName);
    case 1:
        return FoldCase(c.m_strLastName);
    default:
        return FoldCase(c.m_strName);
    }
}

void CRGridCtrl::Sort(int column, int ascending)
{
    const size_t count = m_rows.size();
    if (count < 2 || column < 0 || column >= kGridColumnCount)
        return;
    const u32 field = u32(m_columns[size_t(column)].m_nFieldId);
    SortKeys keys;
    keys.empty.resize(count);
    // Lives as long as the sort that compares with it.
    QCollator collator;
    if (column == kIconColumn || IsDateField(field)) {
        keys.numbers.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const Contact& c = *m_rows[i].contact;
            const DateValue* date = ContactDate(c, field);
            keys.empty[i] = date && !date->IsValid();
            keys.numbers[i] = date ? DateSortKey(*date) : double(GetFieldNumber(c, field, 0));
        }
    } else {
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const bool codePoints = collator.locale().language() == QLocale::C;
        if (!codePoints) {
            keys.collator = &collator;
            keys.weights = &AsciiCollation::For(collator);
            keys.ascii.resize(count);
            keys.others.resize(count);
        }
        keys.bytes.resize(count);
        for (size_t i = 0; i < count; ++i) {
            // Folded first, so that case never orders texts, whatever the
            // collation of the locale does with it.
            std::string text = SortKey(int(i), column);
            keys.empty[i] = text.empty();
            if (codePoints)
                keys.bytes[i] = std::move(text);
            else if (keys.weights->Applies(text)) {
                keys.ascii[i] = true;
                keys.bytes[i] = keys.weights->Key(text);
            } else
                keys.others[i] = QString::fromStdString(text);
        }
    }
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = keys.Compare(size_t(a), size_t(b));
        return ascending ? r < 0 : r > 0;
    });
    ApplyOrder(order);
    if (m_nFocusRow >= 0)
        EnsureVisible(m_nFocusRow);
    viewport()->update();
}

void CRGridCtrl::ApplyOrder(const std::vector<int>& order)
{
    std::vector<GridRow> sorted;
    sorted.reserve(m_rows.size());
    int focus = -1;
    int anchor = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        const int from = order[i];
        if (from == m_nFocusRow)
            focus = int(i);
        if (from == m_nAnchorRow)
            anchor = int(i);
        sorted.push_back(std::move(m_rows[size_t(from)]));
    }
    m_rows = std::move(sorted);
    m_nFocusRow = focus;
    m_nAnchorRow = anchor;
    m_bRowMapValid = false;
}

// ---- header notifications -----------------------------------------------

void CRGridCtrl::OnHeaderItemClick(int item)
{
    const int column = int(m_header->GetItemData(item));
    SortBy(column, column == m_nSortColumn ? !m_nSortDirection : 1);
}

void CRGridCtrl::OnHeaderItemWidthChanged(int item, int)
{
    const int column = int(m_header->GetItemData(item));
    m_columns[size_t(column)].m_nWidth = m_header->GetItemWidth(item);
    // While the divider is dragged the rows keep their heights; they are
    // measured again when it is let go.
    if (!m_bTracking)
        RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
}

void CRGridCtrl::OnHeaderTrack(int item, bool begin)
{
    m_bTracking = begin;
    m_nTrackItem = begin ? item : -1;
    if (!begin) {
        RemeasureAll();
        UpdateScrollRanges();
    }
    viewport()->update();
}

void CRGridCtrl::OnHeaderDividerDblClick(int item)
{
    const int column = int(m_header->GetItemData(item));
    const QFontMetrics fm(m_font);
    int widest = 0;
    if (m_columns[size_t(column)].m_dwFlags & HDF_STRING) {
        for (int row = 0; row < GetRowCount(); ++row) {
            const QString text = GetCellText(row, column);
            if (text.contains(QLatin1Char('\t')))
                widest = std::max(
                    widest, fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, text).width());
            else if (!text.isEmpty())
                widest = std::max(widest, fm.horizontalAdvance(text));
        }
    }
    const HeaderItem* it = m_header->GetItem(item);
    const int title = it ? m_header->GetWantedWidth(*it, item == m_header->GetSortItem()) : 0;
    SetColumnWidth(item, std::max(widest + 2 * m_nInset, title));
}

bool CRGridCtrl::OnHeaderEndDrag(int item, int dropMode)
{
    if (dropMode != CFlatHeaderCtrl::kDropMove && m_pFieldChooser && m_pFieldChooser->isVisible()) {
        if (m_header->GetItemCount() >= 2) {
            if (int(m_header->GetItemData(item)) == m_nSortColumn)
                m_nSortColumn = -1;
            RemoveColumnAt(item);
            SetSortArrow();
        }
        return true;
    }
    viewport()->update();
    return false;
}

void CRGridCtrl::OnHeaderOrderChanged()
{
    RemeasureAll();
    viewport()->update();
}

void CRGridCtrl::OnHeaderContextMenu(int item, QPoint globalPos)
{
    m_nMenuItem = item;
    if (isSignalConnected(QMetaMethod::fromSignal(&CRGridCtrl::headerMenuRequested))) {
        emit headerMenuRequested(item, globalPos);
        return;
    }
    QMenu menu(this);
    AppendHeaderMenu(&menu);
    if (const QAction* chosen = menu.exec(globalPos))
        OnHeaderCommand(GetCommandId(chosen));
}

void CRGridCtrl::AppendHeaderMenu(QMenu* menu)
{
    AppendMenuItem(menu, ID_HEADER_SORT_ASCENDING, QStringLiteral("Sort &Ascending"));
    AppendMenuItem(menu, ID_HEADER_SORT_DESCENDING, QStringLiteral("Sort &Descending"));
    menu->addSeparator();
    AppendMenuItem(menu, ID_HEADER_FIELDS, QStringLiteral("&Contact List Fields"));
    AppendMenuItem(menu, ID_HEADER_REMOVE_COLUMN, QStringLiteral("&Remove Column"));
}
