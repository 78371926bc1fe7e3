#include "image/imageimpl.h"

#include "core/utilities.h"
#include "image/imagefileio.h"

#include <QByteArray>
#include <algorithm>

CImageImpl::~CImageImpl() = default;

bool CImageImpl::Inside(int x, int y) const
{
    return x >= 0 && x < m_width && y >= 0 && y < m_height;
}

int CImageImpl::Create(int width, int height, int bpp, int colorType)
{
    if (colorType < 0)
        colorType = bpp < 9 ? 0 : COLOR_TYPE_COLOR;
    Clear();
    DibBlock dib = CreateDIB(bpp, width, height);
    if (dib.IsNull())
        return 0;
    AttachDib(std::move(dib), colorType);
    return m_effWidth;
}

void CImageImpl::AttachDib(DibBlock dib, int colorType)
{
    const BITMAPINFOHEADER& h = dib.Header();
    m_width = h.biWidth;
    m_height = h.biHeight;
    m_bpp = h.biBitCount;
    m_effWidth = int(DibRowBytes(m_bpp, m_width));
    m_colorType = colorType;
    m_dib = std::move(dib);
    m_bits = m_dib.Bits();
}

void CImageImpl::Clear()
{
    m_dib = DibBlock();
    m_palette.reset();
    m_bits = nullptr;
    m_width = m_height = m_bpp = m_colorType = m_effWidth = 0;
    m_transparentIndex = -1;
}

void CImageImpl::BeginRead()
{
    Clear();
    m_readError = {};
}

bool CImageImpl::FailRead(ImageReadFault fault, std::string reason)
{
    Clear();
    if (m_readError.fault == ImageReadFault::None) {
        m_readError.fault = fault;
        m_readError.reason = std::move(reason);
    }
    return false;
}

bool CImageImpl::CheckPictureSize(u64 width, u64 height)
{
    if (width == 0 || height == 0 || width * height <= kMaxImagePixels)
        return true;
    FailRead(ImageReadFault::TooLarge);
    m_readError.width = width;
    m_readError.height = height;
    return false;
}

int CImageImpl::GetPixelIndex(int x, int y) const
{
    if (!Inside(x, y) || m_bpp > 8)
        return -1;
    return DibReadIndex(RowBits(y), m_bpp, x);
}

void CImageImpl::SetPixelIndex(int x, int y, int index)
{
    if (Inside(x, y) && m_bpp <= 8)
        DibWriteIndex(RowBits(y), m_bpp, x, index);
}

bool CImageImpl::GetPixelColor(int x, int y, u8* r, u8* g, u8* b) const
{
    if (!Inside(x, y))
        return false;
    if (m_bpp == 24) {
        const u8* p = RowBits(y) + 3 * std::size_t(x);
        *b = p[0];
        *g = p[1];
        *r = p[2];
        return true;
    }
    const PALETTEENTRY e = ColorOf(GetPixelIndex(x, y));
    *r = e.peRed;
    *g = e.peGreen;
    *b = e.peBlue;
    return true;
}

void CImageImpl::SetPixelColor(int x, int y, u8 r, u8 g, u8 b)
{
    if (!Inside(x, y))
        return;
    if (m_bpp == 24) {
        u8* p = RowBits(y) + 3 * std::size_t(x);
        p[0] = b;
        p[1] = g;
        p[2] = r;
    } else if (m_palette) {
        SetPixelIndex(x, y, m_palette->GetNearestIndex(r, g, b));
    } else if (!(m_colorType & COLOR_TYPE_PALETTE)) {
        // Without a palette the colour table holds the colours themselves.
        const ImageColors colors = GetColors();
        SetPixelIndex(x, y, NearestColorIndex({colors.data(), std::size_t(1) << m_bpp}, r, g, b));
    }
}

bool CImageImpl::Read(const std::string&)
{
    return false;
}
bool CImageImpl::Write(const std::string&)
{
    return false;
}

void CImageImpl::SetPaletteRGB(int count, const u8* red, const u8* green, const u8* blue)
{
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    auto palette = std::make_unique<CImagePalette>();
    if (red && palette->Create(count, red, green, blue))
        SetPalette(std::move(palette));
}

void CImageImpl::SetPaletteEntries(int count, const u8* rgb)
{
    if (m_palette)
        MsgWarningText("CImageImpl::imagePalette already exists!");
    count = std::clamp(count, 0, CImagePalette::kMaxEntries);
    u8 red[CImagePalette::kMaxEntries];
    u8 green[CImagePalette::kMaxEntries];
    u8 blue[CImagePalette::kMaxEntries];
    for (int i = 0; i < count; ++i) {
        red[i] = rgb[3 * i];
        green[i] = rgb[3 * i + 1];
        blue[i] = rgb[3 * i + 2];
    }
    SetPaletteRGB(count, red, green, blue);
}

void CImageImpl::SetPalette(std::unique_ptr<CImagePalette> palette)
{
    if (!palette)
        return;
    m_palette = std::move(palette);
    m_colorType |= COLOR_TYPE_PALETTE | COLOR_TYPE_COLOR;
    SetDIBPalette(m_dib, m_palette.get(), DIB_PAL_COLORS);
}

PALETTEENTRY CImageImpl::ColorOf(int index) const
{
    PALETTEENTRY c{0, 0, 0, 0};
    if (m_palette) {
        m_palette->GetEntry(index, &c.peRed, &c.peGreen, &c.peBlue);
    } else if (!m_dib.IsNull() && !(m_colorType & COLOR_TYPE_PALETTE)
        && index < std::min(DibNumColors(m_dib.Header()), CImagePalette::kMaxEntries)) {
        const RGBQUAD& q = m_dib.ColorTable()[index];
        c = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    return c;
}

ImageColors CImageImpl::GetColors() const
{
    ImageColors colors;
    for (int i = 0; i < int(colors.size()); ++i)
        colors[std::size_t(i)] = ColorOf(i);
    return colors;
}

bool CImageImpl::HasGreyColors() const
{
    if (m_bpp > 8)
        return false;
    const ImageColors colors = GetColors();
    return std::all_of(colors.begin(), colors.begin() + (1 << m_bpp),
        [](const PALETTEENTRY& c) { return c.peRed == c.peGreen && c.peGreen == c.peBlue; });
}

void CFileImageImpl::RememberName(const std::string& name)
{
    if (name != m_fileName)
        m_fileName = name;
}

bool CFileImageImpl::Read(const std::string& name)
{
    RememberName(name);
    QByteArray bytes;
    BeginRead();
    if (!ReadImageFileBytes(name, bytes))
        return FailRead(ImageReadFault::Damaged);
    if (ReadBytes({reinterpret_cast<const u8*>(bytes.constData()), std::size_t(bytes.size())}))
        return true;
    // Every failure has a fault, whether or not the format named one.
    return FailRead(ImageReadFault::Damaged);
}

bool CFileImageImpl::Write(const std::string& name)
{
    RememberName(name);
    return IsValid()
        && SaveImageFileBytes(name, [this](QIODevice& out) { return WriteTo(out); }) == SaveStatus::Saved;
}
