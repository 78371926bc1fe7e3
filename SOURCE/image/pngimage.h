// PNG pictures through libpng: palette and grey pictures keep their depth,
// everything else becomes 24-bit true colour with transparency laid over a
// fixed background colour.
#pragma once

#include "image/imageimpl.h"

class CPngImage : public CFileImageImpl {
public:
    // What transparent parts of a picture show (red, green, blue).
    static constexpr u8 kBackground[3] = {0x1F, 0x7F, 0xFF};

    using CFileImageImpl::CFileImageImpl;

    bool ReadBytes(std::span<const u8> data) override;
    // Grey, palette or RGB by the picture held, at its own depth.
    bool WriteTo(QIODevice& out) override;
};
