// GIF pictures: GIF87a and GIF89a read into an 8-bit palette image with
// interlaced rows and a transparent colour; written as GIF87a.
#pragma once

#include "image/imageimpl.h"

class GifDecoder;
class GifInput;

class CGifImage : public CFileImageImpl {
public:
    using CFileImageImpl::CFileImageImpl;

    // True when the file starts like a GIF, also when it holds no image or
    // ends early (the picture keeps what was decoded); false for a picture
    // too big to hold or whose first image cannot be decoded. Several
    // images make the picture they leave on the file's screen.
    bool ReadBytes(std::span<const u8> data) override;
    // Shows what went wrong when the file cannot be written.
    bool Write(const std::string& name) override;
    // Fails above 8 bits per pixel and for sizes a GIF cannot hold.
    bool WriteTo(QIODevice& out) override;

private:
    struct ReadState;
    enum class BlockResult { Next, Stop, Fail };
    BlockResult ReadImage(GifInput& in, ReadState& state);
    // The picture the images left on the screen.
    bool MakePicture(const ReadState& state);
    bool MakePictureOfColours(const ReadState& state, bool transparency);
    void MakePalette(const u8* table, int count, int transparent);
};
