#include "formats/gif_writer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <gif_lib.h>

#include "document/props.h"
#include "image/frame_pixels.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "quake/quake_layout.h"

namespace {

using namespace sprite_layout;

// A frame as the GIF holds it: indexes into its own colour table.
struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<GifColorType> colours; // a power of two from 2 to 256 entries
    std::vector<GifByteType> indexes;
    int transparent = NO_TRANSPARENT_COLOR;
    int delay = 10; // hundredths of a second
};

void pad_colours(std::vector<GifColorType> &colours, int needed)
{
    int size = 2;
    while (size < needed)
        size *= 2;
    colours.resize(static_cast<size_t>(size), GifColorType{0, 0, 0});
}

void from_indexed(const FramePixels &in, GifFrame &out)
{
    const int entries = static_cast<int>(in.palette.size() / 4);
    bool any_opaque = false;
    for (int i = 0; i < entries; ++i)
        any_opaque = any_opaque || in.palette[static_cast<size_t>(i) * 4 + 3] != 0;
    out.transparent = in.transparent >= 0 ? in.transparent : NO_TRANSPARENT_COLOR;
    int largest = entries - 1;
    out.indexes.assign(in.pixels.begin(), in.pixels.end());
    for (GifByteType &index : out.indexes) {
        // GIF has one transparent entry: other entries of alpha 0 become it.
        if (out.transparent >= 0 && any_opaque && index < entries && in.palette[static_cast<size_t>(index) * 4 + 3] == 0)
            index = static_cast<GifByteType>(out.transparent);
        largest = std::max(largest, static_cast<int>(index));
    }
    for (int i = 0; i < entries; ++i) {
        const uint8_t *c = &in.palette[static_cast<size_t>(i) * 4];
        out.colours.push_back(GifColorType{c[0], c[1], c[2]});
    }
    pad_colours(out.colours, std::max({largest + 1, out.transparent + 1, 2}));
}

bool from_rgba(const FramePixels &in, GifFrame &out, std::string &error)
{
    const size_t count = static_cast<size_t>(in.width) * in.height;
    std::unordered_map<uint32_t, int> exact;
    bool any_transparent = false;
    std::vector<GifByteType> red, green, blue; // the opaque pixels, in order
    for (size_t p = 0; p < count; ++p) {
        const uint8_t *c = &in.pixels[p * 4];
        if (c[3] == 0) {
            any_transparent = true;
            continue;
        }
        red.push_back(c[0]), green.push_back(c[1]), blue.push_back(c[2]);
        if (exact.size() <= 256)
            exact.emplace(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2], 0);
    }
    // The transparent entry, when needed, is the last of 256.
    const int room = any_transparent ? 255 : 256;
    std::vector<GifByteType> opaque(red.size());
    if (exact.size() <= static_cast<size_t>(room)) {
        std::vector<uint32_t> colours;
        for (const auto &entry : exact)
            colours.push_back(entry.first);
        std::sort(colours.begin(), colours.end());
        for (size_t i = 0; i < colours.size(); ++i) {
            exact[colours[i]] = static_cast<int>(i);
            out.colours.push_back(GifColorType{static_cast<GifByteType>(colours[i] >> 16),
                                               static_cast<GifByteType>(colours[i] >> 8),
                                               static_cast<GifByteType>(colours[i])});
        }
        for (size_t i = 0; i < red.size(); ++i)
            opaque[i] = static_cast<GifByteType>(exact[uint32_t(red[i]) << 16 | uint32_t(green[i]) << 8 | blue[i]]);
    } else {
        int size = room;
        out.colours.assign(256, GifColorType{0, 0, 0});
        if (red.size() > UINT_MAX
            || GifQuantizeBuffer(static_cast<unsigned>(red.size()), 1, &size, red.data(), green.data(), blue.data(),
                                 opaque.data(), out.colours.data()) != GIF_OK) {
            error = "its colours could not be reduced to a GIF's 256";
            return false;
        }
        out.colours.resize(static_cast<size_t>(room));
    }
    if (any_transparent) {
        out.transparent = static_cast<int>(out.colours.size());
        out.colours.push_back(GifColorType{0, 0, 0});
    }
    out.indexes.resize(count);
    for (size_t p = 0, next = 0; p < count; ++p)
        out.indexes[p] = in.pixels[p * 4 + 3] == 0 ? static_cast<GifByteType>(out.transparent) : opaque[next++];
    pad_colours(out.colours, static_cast<int>(out.colours.size()));
    return true;
}

int delay_of(const PropertyList &props)
{
    const float seconds = props_get_float(&props, PROP_DURATION);
    if (!props_find(&props, PROP_DURATION) || !std::isfinite(seconds) || seconds <= 0)
        return 10;
    // A delay of 0 is played at a browser's own pace: the shortest is 1.
    return static_cast<int>(std::clamp(std::lround(seconds * 100.0), 1L, 65535L));
}

int append_bytes(GifFileType *gif, const GifByteType *data, int size)
{
    auto *bytes = static_cast<std::vector<uint8_t> *>(gif->UserData);
    bytes->insert(bytes->end(), data, data + size);
    return size;
}

// Encodes `frames` on a canvas of `width` x `height`; false with `error`.
bool encode(const std::vector<GifFrame> &frames, int width, int height, std::vector<uint8_t> &bytes,
            std::string &error)
{
    int code = 0;
    GifFileType *gif = EGifOpen(&bytes, append_bytes, &code);
    if (!gif) {
        error = GifErrorString(code);
        return false;
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK;
    // Loop for ever.
    static const GifByteType NETSCAPE[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType LOOP[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
         && EGifPutExtensionBlock(gif, sizeof NETSCAPE, NETSCAPE) == GIF_OK
         && EGifPutExtensionBlock(gif, sizeof LOOP, LOOP) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
    for (const GifFrame &frame : frames) {
        if (!ok)
            break;
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_BACKGROUND;
        control.DelayTime = frame.delay;
        control.TransparentColor = frame.transparent;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ColorMapObject *map = GifMakeMapObject(static_cast<int>(frame.colours.size()), frame.colours.data());
        ok = map && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK
             && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, map) == GIF_OK;
        GifFreeMapObject(map);
        for (int y = 0; y < frame.height && ok; ++y)
            ok = EGifPutLine(gif, const_cast<GifByteType *>(frame.indexes.data()) + static_cast<size_t>(y) * frame.width,
                             frame.width) == GIF_OK;
    }
    if (!ok)
        error = GifErrorString(gif->Error);
    if (EGifCloseFile(gif, &code) != GIF_OK && ok) {
        error = GifErrorString(code);
        ok = false;
    }
    return ok;
}

} // namespace

bool gif_write_group(const Animation &anim, int group_index, const std::string &path, std::string &error)
{
    if (group_index < 0 || group_index >= anim.group_count) {
        error = "there is no group " + std::to_string(group_index);
        return false;
    }
    const Group &group = anim.groups[group_index];
    if (group.frame_count <= 0) {
        error = "group " + std::to_string(group_index) + " has no frames";
        return false;
    }
    std::vector<GifFrame> frames(static_cast<size_t>(group.frame_count));
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    std::vector<int64_t> lefts, tops;
    for (int f = 0; f < group.frame_count; ++f) {
        FramePixels pixels;
        const std::string where = "frame " + std::to_string(f);
        if (!frame_pixels(group.frames[f].image, pixels)) {
            error = where + " has no pixels";
            return false;
        }
        GifFrame &frame = frames[static_cast<size_t>(f)];
        frame.width = pixels.width;
        frame.height = pixels.height;
        if (pixels.indexed)
            from_indexed(pixels, frame);
        else if (!from_rgba(pixels, frame, error)) {
            error = where + ": " + error;
            return false;
        }
        const PropertyList &props = group.frames[f].props;
        frame.delay = delay_of(props);
        const bool has_origin = props_find(&props, PROP_ORIGIN_X) && props_find(&props, PROP_ORIGIN_Y);
        lefts.push_back(has_origin ? -int64_t(props_get_int(&props, PROP_ORIGIN_X)) : 0);
        tops.push_back(has_origin ? -int64_t(props_get_int(&props, PROP_ORIGIN_Y)) : 0);
        left = std::min(left, lefts.back());
        top = std::min(top, tops.back());
        right = std::max(right, lefts.back() + frame.width);
        bottom = std::max(bottom, tops.back() + frame.height);
    }
    if (right - left > 65535 || bottom - top > 65535) {
        error = "the frames placed by their origins span " + std::to_string(right - left) + "x"
                + std::to_string(bottom - top) + " pixels, more than a GIF's 65535";
        return false;
    }
    for (size_t f = 0; f < frames.size(); ++f) {
        frames[f].left = static_cast<int>(lefts[f] - left);
        frames[f].top = static_cast<int>(tops[f] - top);
    }
    std::vector<uint8_t> bytes;
    if (!encode(frames, static_cast<int>(right - left), static_cast<int>(bottom - top), bytes, error))
        return false;
    if (!write_file(path.c_str(), bytes)) {
        error = save_error_text(path.c_str(), errno ? errno : EIO);
        return false;
    }
    return true;
}
