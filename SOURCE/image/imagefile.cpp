#include "image/imagefile.h"

#include "image/bmpimage.h"
#include "image/gifimage.h"
#include "image/jpegimage.h"
#include "image/pngimage.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

namespace {

struct ExtensionRow {
    std::string_view extension;
    int type;
};

// Sorted by text for the binary search.
constexpr ExtensionRow kExtensions[] = {
    {"BMP", IMAGE_TYPE_BMP},
    {"GIF", IMAGE_TYPE_GIF},
    {"JPG", IMAGE_TYPE_JPEG},
    {"PNG", IMAGE_TYPE_PNG},
    {"XPM", IMAGE_TYPE_XPM},
};

int CompareNoCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::toupper(static_cast<unsigned char>(a[i]));
        const int cb = std::toupper(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

std::string GetFileExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return slash == std::string::npos ? name : name.substr(slash + 1);
    return name.substr(dot + 1);
}

int FindImageType(const std::string& extension)
{
    const auto it = std::lower_bound(std::begin(kExtensions), std::end(kExtensions), extension,
        [](const ExtensionRow& row, const std::string& ext) {
            return CompareNoCase(row.extension, ext) < 0;
        });
    return it != std::end(kExtensions) && CompareNoCase(it->extension, extension) == 0 ? it->type
                                                                                       : IMAGE_TYPE_UNKNOWN;
}

CImageFile::CImageFile(const std::string& name, int type)
{
    SetFile(name, type);
}

CImageFile::~CImageFile() = default;

bool CImageFile::SetFile(const std::string& name, int type)
{
    m_fileName = name;
    if (type == IMAGE_TYPE_UNKNOWN)
        type = FindImageType(GetFileExtension(name));
    if (!(m_impl && type == m_type) && !MakeImpl(name, type))
        return false;
    return m_impl->Read(name);
}

bool CImageFile::MakeImpl(const std::string& name, int type)
{
    m_impl.reset();
    switch (type) {
    case IMAGE_TYPE_BMP:
        m_impl = std::make_unique<CBmpImage>(name);
        break;
    case IMAGE_TYPE_JPEG:
        m_impl = std::make_unique<CJpegImage>(name);
        break;
    case IMAGE_TYPE_GIF:
        m_impl = std::make_unique<CGifImage>(name);
        break;
    case IMAGE_TYPE_PNG:
        m_impl = std::make_unique<CPngImage>(name);
        break;
    default:
        break;
    }
    m_type = type;
    return m_impl != nullptr;
}

int CImageFile::Create(int width, int height, int bpp, int colorType)
{
    if (!m_impl)
        MakeImpl(std::string(), IMAGE_TYPE_BMP);
    return m_impl->Create(width, height, bpp, colorType);
}

int CImageFile::GetEffWidth() const
{
    return m_impl ? m_impl->GetEffWidth() : 0;
}
int CImageFile::GetWidth() const
{
    return m_impl ? m_impl->GetWidth() : 0;
}
int CImageFile::GetHeight() const
{
    return m_impl ? m_impl->GetHeight() : 0;
}
int CImageFile::GetBpp() const
{
    return m_impl ? m_impl->GetBpp() : 0;
}
int CImageFile::GetColorType() const
{
    return m_impl ? m_impl->GetColorType() : 0;
}
bool CImageFile::Inside(int x, int y) const
{
    return m_impl && m_impl->Inside(x, y);
}
bool CImageFile::IsValid() const
{
    return m_impl && m_impl->IsValid();
}
u8* CImageFile::GetBits() const
{
    return m_impl ? m_impl->GetBits() : nullptr;
}

int CImageFile::GetPixelIndex(int x, int y) const
{
    return m_impl ? m_impl->GetPixelIndex(x, y) : -1;
}

bool CImageFile::GetPixelColor(int x, int y, u8* r, u8* g, u8* b) const
{
    return m_impl && m_impl->GetPixelColor(x, y, r, g, b);
}

void CImageFile::SetPixelIndex(int x, int y, int index)
{
    if (m_impl)
        m_impl->SetPixelIndex(x, y, index);
}

void CImageFile::SetPixelColor(int x, int y, u8 r, u8 g, u8 b)
{
    if (m_impl)
        m_impl->SetPixelColor(x, y, r, g, b);
}

void CImageFile::SetPaletteRGB(int count, const u8* red, const u8* green, const u8* blue)
{
    if (m_impl)
        m_impl->SetPaletteRGB(count, red, green, blue);
}

void CImageFile::SetPaletteEntries(int count, const u8* rgb)
{
    if (m_impl)
        m_impl->SetPaletteEntries(count, rgb);
}

void CImageFile::SetPalette(std::unique_ptr<CImagePalette> palette)
{
    if (m_impl)
        m_impl->SetPalette(std::move(palette));
}

CImagePalette* CImageFile::GetPalette() const
{
    return m_impl ? m_impl->GetPalette() : nullptr;
}
