// BMP pictures: the DIB as it lies in the file.
#pragma once

#include "image/imageimpl.h"

class CBmpImage : public CFileImageImpl {
public:
    using CFileImageImpl::CFileImageImpl;

    bool ReadBytes(std::span<const u8> data) override;
    // Fails for 2-bit pictures, which a BMP file cannot hold.
    bool WriteTo(QIODevice& out) override;
};
