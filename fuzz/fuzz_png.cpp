#include "image/pngimage.h"
#include "imagefuzz.h"

#include <vector>
#include <zlib.h>

// Mutated chunks almost never keep a valid checksum, and the library drops
// them before any of our code runs; the checksums are mended first so the
// fuzzer reaches the decoding.
static void MendChunkChecksums(std::vector<u8>& png)
{
    std::size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const u32 length
            = u32(png[pos]) << 24 | u32(png[pos + 1]) << 16 | u32(png[pos + 2]) << 8 | png[pos + 3];
        if (length > png.size() - pos - 12)
            return;
        const u32 crc = u32(crc32(0, png.data() + pos + 4, length + 4));
        for (int i = 0; i < 4; ++i)
            png[pos + 8 + length + i] = u8(crc >> (24 - 8 * i));
        pos += 12 + length;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<u8> png(data, data + size);
    MendChunkChecksums(png);
    FuzzImageFormat<CPngImage>(png.data(), png.size(), true);
    return 0;
}
