#include "quake/content_sniff.h"

#include <string>

#include "fileio/format_table.h"
#include "fileio/sniff.h"
#include "platform/platform.h"

bool refuse_foreign_file(const char *path, const uint8_t *data, size_t size, const char *format,
                         bool damaged_otherwise)
{
    const ByteReader bytes(data, size);
    const std::string what = sniff_foreign_content(bytes);
    if (!what.empty()) {
        show_warning(format_text("%s is not a %s (it is %s)", path, format, what.c_str()));
        load_refused();
        return true;
    }
    if (!damaged_otherwise || sniff_common_image(bytes))
        return false;
    show_warning(format_text("%s is not a %s: its header is damaged", path, format));
    load_refused();
    return true;
}
