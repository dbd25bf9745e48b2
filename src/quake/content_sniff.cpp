#include "quake/content_sniff.h"

#include <string>

#include "sniff/sniff.h"
#include "platform/platform.h"

LoadResult refuse_foreign_file(const char *path, const uint8_t *data, size_t size, const char *format,
                               bool damaged_otherwise)
{
    const ByteReader bytes(data, size);
    const std::string what = sniff_foreign_content(bytes);
    if (!what.empty())
        return load_refusal(format_text("%s is not a %s (it is %s)", path, format, what.c_str()));
    if (!damaged_otherwise || sniff_common_image(bytes))
        return load_not_mine();
    return load_refusal(format_text("%s is not a %s: its header is damaged", path, format));
}
