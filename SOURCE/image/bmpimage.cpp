#include "image/bmpimage.h"

bool CBmpImage::ReadBytes(std::span<const u8> data)
{
    BeginRead();
    DibSize tooLarge;
    DibBlock dib = ReadDIB(data, &tooLarge);
    if (dib.IsNull())
        return CheckPictureSize(tooLarge.width, tooLarge.height) && FailRead(ImageReadFault::Damaged);
    auto palette = CreateDIBPalette(dib, 0);
    AttachDib(std::move(dib), 0);
    SetPalette(std::move(palette));
    return true;
}

bool CBmpImage::WriteTo(QIODevice& out)
{
    if (!IsValid() || m_bpp == 2)
        return false;
    // The file holds colours where memory holds palette indexes.
    if (m_palette)
        SetDIBPalette(m_dib, m_palette.get(), DIB_RGB_COLORS);
    const bool saved = SaveDIB(out, m_dib);
    if (m_palette)
        SetDIBPalette(m_dib, m_palette.get(), DIB_PAL_COLORS);
    return saved;
}
