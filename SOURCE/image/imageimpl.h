// The base of the picture formats: the DIB with its size, depth, colour type,
// palette and transparent index, and pixel access. Pixel y counts rows from
// the bottom of the picture, as the DIB stores them.
#pragma once

#include "image/dib.h"
#include "image/imagepalette.h"

#include <array>
#include <memory>
#include <span>
#include <string>

class QIODevice;

// Colour type bits, numbered as in PNG: 0 grey, 2 true colour, 3 palette.
constexpr int COLOR_TYPE_PALETTE = 1;
constexpr int COLOR_TYPE_COLOR = 2;
constexpr int COLOR_TYPE_ALPHA = 4;

using ImageColors = std::array<PALETTEENTRY, 256>;

// Why a picture file was not read, for the message that tells the user.
enum class ImageReadFault {
    None,
    Damaged,  // damaged, cut short or of another kind
    TooLarge,  // more pixels than kMaxImagePixels
    Unsupported,  // a valid file of a kind the decoder does not handle
};

struct ImageReadError {
    ImageReadFault fault = ImageReadFault::None;
    // The decoder's own words, when it has any.
    std::string reason;
    // The size the file declares, for TooLarge.
    u64 width = 0;
    u64 height = 0;
};

class CImageImpl {
public:
    CImageImpl() = default;
    virtual ~CImageImpl();
    CImageImpl(const CImageImpl&) = delete;
    CImageImpl& operator=(const CImageImpl&) = delete;

    virtual bool Inside(int x, int y) const;
    // A new zero-filled picture; a negative colour type means grey up to 8
    // bits and true colour above. Returns the row size, 0 when the picture
    // cannot be held (the image is then empty).
    virtual int Create(int width, int height, int bpp, int colorType);
    // -1 outside the picture or for true colour.
    virtual int GetPixelIndex(int x, int y) const;
    virtual bool GetPixelColor(int x, int y, u8* r, u8* g, u8* b) const;
    virtual void SetPixelIndex(int x, int y, int index);
    virtual void SetPixelColor(int x, int y, u8 r, u8 g, u8 b);
    virtual bool Read(const std::string& name);
    virtual bool Write(const std::string& name);

    // A missing green array is the red one, a missing blue array the green one.
    void SetPaletteRGB(int count, const u8* red, const u8* green, const u8* blue);
    // count red-green-blue triples.
    void SetPaletteEntries(int count, const u8* rgb);
    void SetPalette(std::unique_ptr<CImagePalette> palette);
    CImagePalette* GetPalette() const { return m_palette.get(); }

    // The colour of every index the depth can address, from the palette or,
    // without one, from the colour table; black where neither has an entry.
    ImageColors GetColors() const;
    // True when every index the depth addresses is a grey.
    bool HasGreyColors() const;

    bool IsValid() const { return !m_dib.IsNull(); }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetBpp() const { return m_bpp; }
    int GetColorType() const { return m_colorType; }
    int GetEffWidth() const { return m_effWidth; }
    u8* GetBits() const { return m_bits; }
    u8* RowBits(int y) const { return m_bits + std::size_t(m_effWidth) * std::size_t(y); }
    const DibBlock& GetDib() const { return m_dib; }
    int GetTransparentIndex() const { return m_transparentIndex; }
    void SetTransparentIndex(int index) { m_transparentIndex = index; }

    // Back to the state of a new implementation: no DIB, no palette, size 0.
    void Clear();

    // Why the last read failed; fault None after a read that succeeded.
    const ImageReadError& GetReadError() const { return m_readError; }

protected:
    void AttachDib(DibBlock dib, int colorType);
    // A read starts with an empty image and no fault.
    void BeginRead();
    // Records why the read failed and empties the image; returns false for
    // the read to return. A later call does not replace the first fault.
    bool FailRead(ImageReadFault fault, std::string reason = {});
    // False (and the read failed as too large) for a size beyond kMaxImagePixels.
    bool CheckPictureSize(u64 width, u64 height);
    PALETTEENTRY ColorOf(int index) const;

    u8* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_bpp = 0;
    int m_colorType = 0;
    int m_effWidth = 0;
    DibBlock m_dib;
    int m_transparentIndex = -1;
    std::unique_ptr<CImagePalette> m_palette;
    ImageReadError m_readError;
};

// A format read from and written to a file. The file is read whole and
// decoded from memory; writing goes through a temporary file.
class CFileImageImpl : public CImageImpl {
public:
    explicit CFileImageImpl(std::string fileName)
        : m_fileName(std::move(fileName))
    {
    }

    bool Read(const std::string& name) override;
    bool Write(const std::string& name) override;

    // Decodes a whole file. On failure the image is left empty.
    virtual bool ReadBytes(std::span<const u8> data) = 0;
    virtual bool WriteTo(QIODevice& out) = 0;

    const std::string& GetFileName() const { return m_fileName; }

protected:
    void RememberName(const std::string& name);

    std::string m_fileName;
};
