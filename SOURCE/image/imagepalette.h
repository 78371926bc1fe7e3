// The colours of a palette image, up to 256 entries.
#pragma once

#include "platform/wintypes.h"

#include <span>
#include <vector>

struct PALETTEENTRY {
    u8 peRed;
    u8 peGreen;
    u8 peBlue;
    u8 peFlags;
};

class CImagePalette {
public:
    static constexpr int kMaxEntries = 256;

    // count entries of the three component arrays, flags 0. Fails for a
    // count outside 1..256.
    bool Create(int count, const u8* red, const u8* green, const u8* blue);
    // The entries as given, flags included.
    bool Create(std::span<const PALETTEENTRY> entries);

    // The entry closest to the colour; the first of equally close ones.
    int GetNearestIndex(u8 r, u8 g, u8 b) const;
    // Fails for an index the palette does not have.
    bool GetEntry(int index, u8* r, u8* g, u8* b) const;

    int GetEntryCount() const { return int(m_entries.size()); }
    std::span<const PALETTEENTRY> Entries() const { return m_entries; }

private:
    std::vector<PALETTEENTRY> m_entries;
};

// The index of the closest colour; the first of equally close ones.
int NearestColorIndex(std::span<const PALETTEENTRY> colors, u8 r, u8 g, u8 b);
