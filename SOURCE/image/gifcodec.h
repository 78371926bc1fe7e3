// The LZW coding of GIF image data, both directions, with variable code
// widths and clear and end codes.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

class QIODevice;

// Results of decoding one image.
constexpr int kGifDecodeDone = 0;
constexpr int kGifNoMemory = -10;
constexpr int kGifBadCodeSize = -20;

constexpr int kGifMaxCodeBits = 12;
constexpr int kGifMaxCodes = 1 << kGifMaxCodeBits;
// A palette has at most 256 colours.
constexpr int kGifMaxPixels = 256;

// The bytes of a GIF file held in memory. Reading past the end gives -1 and
// never anything made up.
class GifInput {
public:
    explicit GifInput(std::span<const u8> data)
        : m_data(data)
    {
    }

    int ReadByte() { return m_pos < m_data.size() ? m_data[m_pos++] : -1; }
    // The bytes read; fewer than asked at the end of the file.
    std::size_t Read(u8* out, std::size_t count);
    bool Skip(std::size_t count);
    // Skips data sub-blocks through the zero-length one; false when the file
    // ends first.
    bool SkipSubBlocks();
    // The same, keeping the blocks' bytes.
    void ReadSubBlocks(std::vector<u8>& out);

private:
    std::span<const u8> m_data;
    std::size_t m_pos = 0;
};

// Takes one decoded line; a negative result stops decoding.
using GifRowSink = std::function<int(const u8* row, int length)>;
// Gives one row of palette indexes, from the top of the picture down.
using GifRowSource = std::function<void(int row, u8* indexes)>;

class GifDecoder {
public:
    // Decodes one image: the code size byte and the data sub-blocks, which
    // are read through the zero-length one even when decoding stops early.
    // Lines of lineWidth pixels go to the sink; a last partial line with its
    // own length. A code beyond the next free one, the end of the data or of
    // the file end decoding with what was decoded. A code size outside 1 to
    // 11 gives kGifBadCodeSize and nothing to the sink.
    int Decode(GifInput& in, int lineWidth, const GifRowSink& sink);

private:
    int DecodeCodes(int codeSize, std::size_t dataBits, u8* line, int lineWidth, const GifRowSink& sink);

    // The image's data without its block lengths, followed by zero bytes so
    // a code can always be loaded whole.
    std::vector<u8> m_data;
    u16 m_prefix[kGifMaxCodes] = {};
    u8 m_suffix[kGifMaxCodes] = {};
    u16 m_length[kGifMaxCodes] = {};
    // A string that does not fit the rest of the line, written from the
    // end; the longest string has a character for each table entry.
    u8 m_stack[kGifMaxCodes + 1] = {};
};

class GifEncoder {
public:
    // Writes the data sub-blocks of width x height pixels with 8-bit codes,
    // without the zero-length block that ends them. False when the device
    // failed.
    bool Compress(const GifRowSource& pixels, int width, int height, QIODevice& out);

private:
    static constexpr int kHashSize = 5003;
    static constexpr int kInitBits = 9;
    static constexpr int kClearCode = 256;
    static constexpr int kEndCode = 257;

    void ClearHash();
    void Output(int code);
    void PutByte(u8 c);
    void FlushPacket();

    i32 m_hash[kHashSize] = {};
    u16 m_codes[kHashSize] = {};
    int m_bits = kInitBits;
    int m_maxCode = 0;
    int m_freeCode = 0;
    bool m_clearFlag = false;
    u32 m_accumulator = 0;
    int m_accumulatedBits = 0;
    u8 m_packet[256] = {};
    int m_packetLength = 0;
    QIODevice* m_out = nullptr;
    bool m_failed = false;
};
