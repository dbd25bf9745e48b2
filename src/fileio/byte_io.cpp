#include "fileio/byte_io.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "fileio/safe_save.h"

uint64_t checked_area(int64_t width, int64_t height, int64_t max_side, int64_t bytes_per_pixel)
{
    if (width < 1 || height < 1 || width > max_side || height > max_side || bytes_per_pixel < 1)
        return 0;
    const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (area > UINT64_MAX / static_cast<uint64_t>(bytes_per_pixel))
        return 0;
    return area * static_cast<uint64_t>(bytes_per_pixel);
}

bool read_file(const char *path, std::vector<uint8_t> &out, size_t max_bytes)
{
    out.clear();
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    uint8_t chunk[65536];
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (n == 0)
            break;
        if (out.size() + n > max_bytes) {
            std::fclose(file);
            errno = EFBIG;
            return false;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(file) != 0;
    const int saved = errno;
    std::fclose(file);
    if (failed) {
        errno = saved ? saved : EIO;
        return false;
    }
    return true;
}

bool write_file(const char *path, const void *data, size_t size)
{
    OutputFile file;
    return file.open(path) && file.write(data, size) && file.finish();
}

std::string lower_extension(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    const char *dot = std::strrchr(name, '.');
    std::string ext = dot ? dot : "";
    for (char &c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}
