#include "image/bmpimage.h"
#include "imagefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzImageFormat<CBmpImage>(data, size, true);
    return 0;
}
