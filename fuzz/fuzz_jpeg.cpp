#include "image/jpegimage.h"
#include "imagefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzImageFormat<CJpegImage>(data, size, false);
    return 0;
}
