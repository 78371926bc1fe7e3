// A contact picture: the file name, its format and the decoded image. The
// format is chosen by the file's extension unless the caller names it.
#pragma once

#include "image/imageimpl.h"

#include <memory>
#include <string>

class QPainter;

enum ImageType : int {
    IMAGE_TYPE_UNKNOWN = -1,
    IMAGE_TYPE_BMP = 0,
    IMAGE_TYPE_JPEG = 1,
    IMAGE_TYPE_GIF = 2,
    IMAGE_TYPE_XPM = 3,  // recognised, but no format reads it
    IMAGE_TYPE_PNG = 4,
};

// The text after the last "." of the file name ("" when the name ends in
// "."); a name without "." is its own extension.
std::string GetFileExtension(const std::string& name);
// The type of an extension, compared without regard to case; -1 for none.
int FindImageType(const std::string& extension);

class CImageFile {
public:
    CImageFile() = default;
    // type -1 chooses the format by the name's extension.
    explicit CImageFile(const std::string& name, int type = IMAGE_TYPE_UNKNOWN);
    ~CImageFile();
    CImageFile(const CImageFile&) = delete;
    CImageFile& operator=(const CImageFile&) = delete;

    // Reads the file; true when it was read.
    bool SetFile(const std::string& name, int type = IMAGE_TYPE_UNKNOWN);
    // A new empty implementation of the type; false (and none) for a type
    // without a format class.
    bool MakeImpl(const std::string& name, int type);
    // A new picture; a BMP implementation is made first when there is none.
    int Create(int width, int height, int bpp, int colorType);

    int GetType() const { return m_type; }
    const std::string& GetFileName() const { return m_fileName; }
    int GetEffWidth() const;
    int GetWidth() const;
    int GetHeight() const;
    int GetBpp() const;
    int GetColorType() const;
    bool Inside(int x, int y) const;
    bool IsValid() const;
    CImageImpl* GetImpl() const { return m_impl.get(); }
    u8* GetBits() const;

    // Draws unscaled: the source rectangle (width and height -1 for the
    // picture's own) at x, y. The source origin counts from the top left.
    // 0 when there is nothing to draw.
    int Draw(QPainter* dc, int x, int y, int width = -1, int height = -1, int srcX = 0, int srcY = 0);
    // Draws the source rectangle stretched onto the destination, nearest
    // pixel, with the transparent index letting the destination show through.
    // Destination -1 means the picture's size, source -1 the rest of the
    // picture from the source origin.
    int StretchDIB(QPainter* dc, int x, int y, int width = -1, int height = -1, int srcX = 0, int srcY = 0,
        int srcWidth = -1, int srcHeight = -1);
    int Stretch(QPainter& dc, int x, int y, int width = -1, int height = -1, int srcX = 0, int srcY = 0,
        int srcWidth = -1, int srcHeight = -1);

    int GetPixelIndex(int x, int y) const;
    bool GetPixelColor(int x, int y, u8* r, u8* g, u8* b) const;
    void SetPixelIndex(int x, int y, int index);
    void SetPixelColor(int x, int y, u8 r, u8 g, u8 b);

    void SetPaletteRGB(int count, const u8* red, const u8* green = nullptr, const u8* blue = nullptr);
    void SetPaletteEntries(int count, const u8* rgb);
    void SetPalette(std::unique_ptr<CImagePalette> palette);
    CImagePalette* GetPalette() const;

private:
    int m_type = IMAGE_TYPE_UNKNOWN;
    std::string m_fileName;
    std::unique_ptr<CImageImpl> m_impl;
};
