#include "mainwnd/gridlayout.h"

#include <charconv>

namespace {

// Reads decimal numbers separated by blanks; stops at the first thing that
// is not one.
class NumberReader {
public:
    explicit NumberReader(std::string_view text)
        : m_text(text)
    {
    }

    bool Next(int& value)
    {
        SkipBlanks();
        if (m_pos >= m_text.size())
            return false;
        const char* begin = m_text.data() + m_pos;
        const char* end = m_text.data() + m_text.size();
        const auto [ptr, ec] = std::from_chars(begin, end, value);
        if (ec != std::errc() || (ptr != end && *ptr != ' ' && *ptr != '\t'))
            return false;
        m_pos += size_t(ptr - begin);
        return true;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return m_pos >= m_text.size();
    }

private:
    void SkipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

}  // namespace

bool ParseGridLayout(std::string_view text, GridLayout& layout)
{
    NumberReader in(text);
    GridLayout read;
    int widthCount = 0;
    int shownCount = 0;
    if (!in.Next(read.sortColumn) || !in.Next(read.ascending) || !in.Next(widthCount) || !in.Next(shownCount))
        return false;
    if (read.sortColumn < -1 || read.sortColumn >= kGridColumnCount
        || (read.ascending != 0 && read.ascending != 1) || widthCount < 0 || widthCount > kGridColumnCount
        || shownCount < 1 || shownCount > kGridColumnCount)
        return false;
    for (int i = 0; i < widthCount; ++i) {
        int& width = read.widths[size_t(i)];
        if (!in.Next(width) || width < 0 || width > kMaxColumnWidth)
            return false;
    }
    std::array<bool, kGridColumnCount> seen{};
    for (int i = 0; i < shownCount; ++i) {
        int id = 0;
        if (!in.Next(id) || id < 0 || id >= kGridColumnCount || seen[size_t(id)])
            return false;
        seen[size_t(id)] = true;
        read.columns.push_back(id);
    }
    if (!in.AtEnd())
        return false;
    layout = std::move(read);
    return true;
}

std::string FormatGridLayout(const GridLayout& layout)
{
    std::string text = std::to_string(layout.sortColumn) + ' ' + std::to_string(layout.ascending) + ' '
        + std::to_string(kGridColumnCount) + ' ' + std::to_string(layout.columns.size());
    for (int width : layout.widths)
        text += ' ' + std::to_string(width < 0 ? 0 : width);
    for (int id : layout.columns)
        text += ' ' + std::to_string(id);
    return text;
}
