// JPEG pictures through libjpeg: read as 8-bit palette images (colour
// pictures reduced to at most 128 colours, grey ones with 256 grey levels),
// written as grey or colour JPEG depending on the picture held.
#pragma once

#include "image/imageimpl.h"

class CJpegImage : public CFileImageImpl {
public:
    static constexpr int kDefaultQuality = 30;

    using CFileImageImpl::CFileImageImpl;

    bool ReadBytes(std::span<const u8> data) override;
    bool WriteTo(QIODevice& out) override;

    int GetQuality() const { return m_quality; }
    void SetQuality(int quality) { m_quality = quality; }

private:
    int m_quality = kDefaultQuality;
};
