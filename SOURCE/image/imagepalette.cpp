#include "image/imagepalette.h"

bool CImagePalette::Create(int count, const u8* red, const u8* green, const u8* blue)
{
    if (count < 1 || count > kMaxEntries)
        return false;
    m_entries.resize(count);
    for (int i = 0; i < count; ++i)
        m_entries[i] = {red[i], green[i], blue[i], 0};
    return true;
}

bool CImagePalette::Create(std::span<const PALETTEENTRY> entries)
{
    if (entries.empty() || entries.size() > kMaxEntries)
        return false;
    m_entries.assign(entries.begin(), entries.end());
    return true;
}

int NearestColorIndex(std::span<const PALETTEENTRY> colors, u8 r, u8 g, u8 b)
{
    int best = 0;
    int bestDistance = 3 * 255 * 255 + 1;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const int dr = int(colors[i].peRed) - r;
        const int dg = int(colors[i].peGreen) - g;
        const int db = int(colors[i].peBlue) - b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return best;
}

int CImagePalette::GetNearestIndex(u8 r, u8 g, u8 b) const
{
    return NearestColorIndex(m_entries, r, g, b);
}

bool CImagePalette::GetEntry(int index, u8* r, u8* g, u8* b) const
{
    if (index < 0 || index >= int(m_entries.size()))
        return false;
    *r = m_entries[index].peRed;
    *g = m_entries[index].peGreen;
    *b = m_entries[index].peBlue;
    return true;
}
