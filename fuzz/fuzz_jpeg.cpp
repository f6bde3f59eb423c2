// Feeds arbitrary bytes to the JPEG decoder wrapper at both scales, keeping and dropping the
// pixels. Any outcome is fine except a crash, a leak, a hang or an unbounded allocation.
#include "imaging/JpegDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TDecodeOptions options;
    options.maxPixels = 4'000'000;  // keeps every input quick; the limit itself is tested
    for (TDecodeScale scale : {TDecodeScale::Full, TDecodeScale::Eighth}) {
        options.scale = scale;
        options.keepPicture = scale == TDecodeScale::Full;
        const TDecodeResult result = DecodeJpegData(data, size, options);
        if (result.ok() && options.keepPicture
            && (result.picture.width() != result.imageWidth || result.picture.height() != result.imageHeight))
            __builtin_trap();
    }
    return 0;
}
