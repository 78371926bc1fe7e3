#include "image/gifcodec.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

std::size_t GifInput::Read(u8* out, std::size_t count)
{
    const std::size_t n = std::min(count, m_data.size() - m_pos);
    std::memcpy(out, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

bool GifInput::Skip(std::size_t count)
{
    if (m_data.size() - m_pos < count) {
        m_pos = m_data.size();
        return false;
    }
    m_pos += count;
    return true;
}

bool GifInput::SkipSubBlocks()
{
    for (;;) {
        const int size = ReadByte();
        if (size < 0)
            return false;
        if (size == 0)
            return true;
        if (!Skip(std::size_t(size)))
            return false;
    }
}

void GifInput::ReadSubBlocks(std::vector<u8>& out)
{
    for (;;) {
        const int size = ReadByte();
        if (size <= 0)
            return;
        const std::size_t at = out.size();
        out.resize(at + std::size_t(size));
        const std::size_t got = Read(out.data() + at, std::size_t(size));
        if (got < std::size_t(size)) {
            out.resize(at + got);
            return;
        }
    }
}

int GifDecoder::Decode(GifInput& in, int lineWidth, const GifRowSink& sink)
{
    const int size = in.ReadByte();
    if (size < 0)
        return kGifDecodeDone;
    // The whole data is taken at once, so whatever ends decoding, the next
    // block starts behind it.
    m_data.clear();
    in.ReadSubBlocks(m_data);
    // The clear and end codes follow the pixels and the table holds 12-bit
    // codes: code size 12 leaves no room for the codes, and a code size of
    // 0 has no pixels.
    if (size < 1 || size >= kGifMaxCodeBits)
        return kGifBadCodeSize;
    if (lineWidth < 1)
        return kGifDecodeDone;
    std::unique_ptr<u8[]> line(new (std::nothrow) u8[std::size_t(lineWidth) + 1]);
    if (!line)
        return kGifNoMemory;
    const std::size_t dataBits = m_data.size() * 8;
    m_data.resize(m_data.size() + 4);
    return DecodeCodes(size, dataBits, line.get(), lineWidth, sink);
}

int GifDecoder::DecodeCodes(
    int codeSize, std::size_t dataBits, u8* line, int lineWidth, const GifRowSink& sink)
{
    const int clearCode = 1 << codeSize;
    const int endCode = clearCode + 1;
    const int firstFree = clearCode + 2;
    for (int i = 0; i < clearCode; ++i)
        m_length[i] = 1;
    int bits = codeSize + 1;
    int topSlot = 1 << bits;
    int nextFree = firstFree;
    int oldCode = -1;
    int firstChar = 0;
    int filled = 0;
    std::size_t bitPos = 0;
    u8* const stackEnd = m_stack + sizeof m_stack;
    // A full line goes to the sink, which may stop decoding.
    const auto lineDone = [&] {
        filled = 0;
        return sink(line, lineWidth) >= 0;
    };
    for (;;) {
        if (bitPos + std::size_t(bits) > dataBits)
            break;
        u32 word;
        std::memcpy(&word, m_data.data() + (bitPos >> 3), sizeof word);
        int code = int((word >> (bitPos & 7)) & ((1u << bits) - 1));
        bitPos += std::size_t(bits);
        if (code == endCode)
            break;
        if (code == clearCode) {
            bits = codeSize + 1;
            topSlot = 1 << bits;
            nextFree = firstFree;
            oldCode = -1;
            continue;
        }
        // Code sizes above 8 have codes for pixels no palette holds: the
        // data is damaged from there on.
        if (code >= kGifMaxPixels && code < clearCode)
            break;
        if (oldCode < 0) {
            // The first code after a clear stands for itself.
            if (code >= nextFree)
                code = 0;
            firstChar = oldCode = code;
            // The next code may be the entry about to be made: with code
            // size 1 that is 4, which needs a wider code at once.
            if (nextFree == topSlot && bits < kGifMaxCodeBits) {
                topSlot <<= 1;
                ++bits;
            }
            line[filled++] = u8(code);
            if (filled == lineWidth && !lineDone())
                return kGifDecodeDone;
            continue;
        }
        // Only the code about to be made may be used before it exists;
        // anything beyond is damage, and following it would read entries
        // that were never made.
        if (code > nextFree)
            break;
        const bool unmade = code == nextFree;
        int c = unmade ? oldCode : code;
        const int length = m_length[c] + (unmade ? 1 : 0);
        // Every entry's prefix is a smaller code and its length one more than
        // the prefix's, so the walk writes exactly length characters: straight
        // into the line when they fit, else into the stack.
        const bool fits = filled + length <= lineWidth;
        u8* p = fits ? line + filled + length : stackEnd;
        if (unmade)
            *--p = u8(firstChar);
        while (c >= firstFree) {
            *--p = m_suffix[c];
            c = m_prefix[c];
        }
        *--p = u8(c);
        if (nextFree < topSlot) {
            m_prefix[nextFree] = u16(oldCode);
            m_suffix[nextFree] = u8(c);
            m_length[nextFree] = u16(m_length[oldCode] + 1);
            ++nextFree;
            if (nextFree == topSlot && bits < kGifMaxCodeBits) {
                topSlot <<= 1;
                ++bits;
            }
        }
        firstChar = c;
        oldCode = code;
        if (fits) {
            filled += length;
            if (filled == lineWidth && !lineDone())
                return kGifDecodeDone;
            continue;
        }
        while (p < stackEnd) {
            const int n = std::min(int(stackEnd - p), lineWidth - filled);
            std::memcpy(line + filled, p, std::size_t(n));
            p += n;
            filled += n;
            if (filled == lineWidth && !lineDone())
                return kGifDecodeDone;
        }
    }
    if (filled > 0)
        sink(line, filled);
    return kGifDecodeDone;
}

void GifEncoder::ClearHash()
{
    std::fill(std::begin(m_hash), std::end(m_hash), -1);
}

bool GifEncoder::Compress(const GifRowSource& pixels, int width, int height, QIODevice& out)
{
    // 8 - the number of doublings of the table size that reach 65536.
    constexpr int kHashShift = 4;
    m_out = &out;
    m_failed = false;
    m_packetLength = 0;
    m_accumulator = 0;
    m_accumulatedBits = 0;
    m_bits = kInitBits;
    m_maxCode = (1 << m_bits) - 1;
    m_freeCode = kClearCode + 2;
    m_clearFlag = false;
    ClearHash();
    Output(kClearCode);

    std::vector<u8> row(std::size_t(std::max(width, 0)));
    int ent = -1;
    for (int y = 0; y < height; ++y) {
        pixels(y, row.data());
        for (int x = 0; x < width; ++x) {
            const int c = row[std::size_t(x)];
            if (ent < 0) {
                ent = c;
                continue;
            }
            const i32 key = (i32(c) << kGifMaxCodeBits) + ent;
            int i = (c << kHashShift) ^ ent;
            bool found = m_hash[i] == key;
            if (!found && m_hash[i] >= 0) {
                const int displacement = i == 0 ? 1 : kHashSize - i;
                do {
                    i -= displacement;
                    if (i < 0)
                        i += kHashSize;
                    found = m_hash[i] == key;
                } while (!found && m_hash[i] >= 0);
            }
            if (found) {
                ent = m_codes[i];
                continue;
            }
            Output(ent);
            ent = c;
            if (m_freeCode < kGifMaxCodes) {
                m_codes[i] = u16(m_freeCode++);
                m_hash[i] = key;
            } else {
                ClearHash();
                m_freeCode = kClearCode + 2;
                m_clearFlag = true;
                Output(kClearCode);
            }
        }
    }
    if (ent >= 0)
        Output(ent);
    Output(kEndCode);
    return !m_failed;
}

void GifEncoder::Output(int code)
{
    m_accumulator &= (1u << m_accumulatedBits) - 1;
    m_accumulator |= u32(code) << m_accumulatedBits;
    m_accumulatedBits += m_bits;
    while (m_accumulatedBits >= 8) {
        PutByte(u8(m_accumulator));
        m_accumulator >>= 8;
        m_accumulatedBits -= 8;
    }
    // The width changes after the code that filled the last one.
    if (m_freeCode > m_maxCode || m_clearFlag) {
        if (m_clearFlag) {
            m_bits = kInitBits;
            m_maxCode = (1 << m_bits) - 1;
            m_clearFlag = false;
        } else {
            ++m_bits;
            m_maxCode = m_bits == kGifMaxCodeBits ? kGifMaxCodes : (1 << m_bits) - 1;
        }
    }
    if (code == kEndCode) {
        if (m_accumulatedBits > 0)
            PutByte(u8(m_accumulator));
        m_accumulatedBits = 0;
        FlushPacket();
    }
}

void GifEncoder::PutByte(u8 c)
{
    m_packet[m_packetLength++] = c;
    if (m_packetLength >= 254)
        FlushPacket();
}

void GifEncoder::FlushPacket()
{
    if (m_packetLength == 0)
        return;
    const char length = char(m_packetLength);
    if (m_out->write(&length, 1) != 1
        || m_out->write(reinterpret_cast<const char*>(m_packet), m_packetLength) != m_packetLength)
        m_failed = true;
    m_packetLength = 0;
}
