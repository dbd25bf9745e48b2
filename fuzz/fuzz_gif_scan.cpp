// libFuzzer harness for the GIF block walk: it must stay inside the bytes it
// is given, and any prefix it names must lie within them, hold at least a
// header and an image, and end with a block terminator.
#include <cstdint>
#include <cstdlib>

#include "sniff/sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t length = gif_first_image_length(data, size);
    if (length > size || (length > 0 && (length < 25 || data[length - 1] != 0)))
        std::abort();
    return 0;
}
