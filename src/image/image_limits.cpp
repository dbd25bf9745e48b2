#include "image/image_limits.h"

#include <atomic>

#include <IL/il.h>

#include "image/pixel_layout.h"
#include "io/safe_save.h"
#include "platform/platform.h"
#include "image/host_table.h"

namespace {

std::atomic<uint64_t> budget_bytes{DEFAULT_PIXEL_BUDGET};
std::atomic<uint64_t> most_pixels{DEFAULT_MAX_IMAGE_PIXELS};



// Why the bound image cannot be written; empty when it can.
std::string unsavable_reason(int32_t max_side, uint64_t &bytes)
{
    bytes = 0;
    const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint d = ilGetInteger(IL_IMAGE_DEPTH);
    if (w < 1 || h < 1 || w > max_side || h > max_side)
        return format_text("is %ix%i pixels; this format takes sides of 1 to %i pixels", w, h, max_side);
    if (d != 1)
        return format_text("has %i layers; only flat images can be written", d);
    const uint32_t bpp = channels_of(ilGetInteger(IL_IMAGE_FORMAT)) * channel_size_of(ilGetInteger(IL_IMAGE_TYPE));
    if (bpp == 0 || static_cast<ILint>(bpp) != ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL))
        return "has a pixel layout that cannot be written";
    bytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * bpp;
    const ILint held = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
    if (!ilGetData() || held < 0 || static_cast<uint64_t>(held) < bytes)
        return "holds fewer pixels than its size says";
    if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_PALETTE_TYPE) != IL_PAL_NONE) {
        const ILint entry = ilGetInteger(IL_PALETTE_BPP);
        const ILint entries = ilGetInteger(IL_PALETTE_NUM_COLS);
        if (!ilGetPalette() || entry < 3 || entry > 4 || entries < 0 || entries > 256)
            return "has a palette that cannot be written";
    }
    return {};
}

} // namespace

uint64_t pixel_budget() { return budget_bytes; }
void set_pixel_budget(uint64_t bytes) { budget_bytes = bytes ? bytes : DEFAULT_PIXEL_BUDGET; }

uint64_t max_image_pixels() { return most_pixels; }
void set_max_image_pixels(uint64_t pixels) { most_pixels = pixels ? pixels : DEFAULT_MAX_IMAGE_PIXELS; }

std::string max_pixels_advice()
{
    return format_text("images may have at most %llu pixels; to open a larger one on purpose, raise MaxPixels in "
                       "section [VORN] of vorn.ini or give vorn-cli --max-pixels N",
                       static_cast<unsigned long long>(max_image_pixels()));
}

std::string size_text(uint64_t bytes)
{
    const uint64_t kib = uint64_t(1) << 10;
    const uint64_t mib = uint64_t(1) << 20;
    const uint64_t gib = uint64_t(1) << 30;
    if (bytes >= 16 * gib || (bytes >= gib && bytes % gib == 0))
        return format_text("%llu GiB", static_cast<unsigned long long>((bytes + gib / 2) / gib));
    if (bytes >= mib)
        return format_text("%llu MiB", static_cast<unsigned long long>((bytes + mib / 2) / mib));
    if (bytes >= kib)
        return format_text("%llu KiB", static_cast<unsigned long long>((bytes + kib / 2) / kib));
    return format_text("%llu bytes", static_cast<unsigned long long>(bytes));
}

uint64_t bound_image_bytes()
{
    const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint d = ilGetInteger(IL_IMAGE_DEPTH);
    const ILint bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    if (w < 1 || h < 1 || d < 1 || bpp < 1)
        return 0;
    return static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * static_cast<uint64_t>(d) * static_cast<uint64_t>(bpp);
}

uint64_t anim_pixel_bytes(const Animation *anim)
{
    uint64_t total = 0;
    for (int g = 0; anim && g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            host().bind_image(anim->groups[g].frames[f].image);
            total += bound_image_bytes();
        }
    return total;
}

bool fits_pixel_budget(uint64_t held, const Animation *adding, const char *path)
{
    const uint64_t added = anim_pixel_bytes(adding);
    const uint64_t budget = pixel_budget();
    if (added <= budget && held <= budget - added)
        return true;
    show_warning(format_text("Cannot add the images of %s: with them the document would hold %s of pixel data; the "
                             "limit is %s",
                             path, size_text(held + added).c_str(), size_text(budget).c_str()));
    return false;
}

bool ReadAllowance::take(uint64_t bytes, uint64_t available)
{
    const uint64_t missing = bytes > available ? bytes - available : 0;
    if (missing > MAX_ZERO_FILL - zero_filled_) {
        over_zero_fill_ = true;
        return false;
    }
    over_zero_fill_ = false;
    if (bytes > budget_ - kept_)
        return false;
    zero_filled_ += missing;
    kept_ += bytes;
    return true;
}

std::string ReadAllowance::why(int64_t width, int64_t height, uint64_t bytes, uint64_t available) const
{
    if (over_zero_fill_)
        return format_text("claims %lldx%lld pixels, %s more than the file holds (at most %s may be missing)",
                           static_cast<long long>(width), static_cast<long long>(height),
                           size_text(bytes - (available < bytes ? available : bytes)).c_str(),
                           size_text(MAX_ZERO_FILL).c_str());
    return format_text("claims %lldx%lld pixels, which takes the file's images past the limit of %s",
                       static_cast<long long>(width), static_cast<long long>(height), size_text(budget_).c_str());
}

bool frames_fit_for_saving(const Animation *anim, int32_t max_side, bool first_only, uint64_t max_total)
{
    if (!anim)
        return true;
    uint64_t total = 0;
    for (int g = 0; g < anim->group_count; ++g) {
        const Group &group = anim->groups[g];
        for (int f = 0; f < group.frame_count; ++f) {
            host().bind_image(group.frames[f].image);
            uint64_t bytes = 0;
            const std::string reason = unsavable_reason(max_side, bytes);
            if (!reason.empty()) {
                show_warning(format_text("Unable to save: frame %i of group \"%s\" %s", f + 1,
                                         group.name ? group.name : "", reason.c_str()));
                save_refused();
                return false;
            }
            total += bytes;
            if (total > max_total) {
                show_warning(format_text("Unable to save: the frames hold %s of pixel data; at most %s can be written",
                                         size_text(total).c_str(), size_text(max_total).c_str()));
                save_refused();
                return false;
            }
            if (first_only)
                return true;
        }
    }
    return true;
}
