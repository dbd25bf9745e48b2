// Row operations of the format table wrapped so that no exception leaves a
// codec: an allocation that fails (std::bad_alloc), a size a container
// refuses (std::length_error) or any other std::exception becomes a message
// and a refusal, and a loader leaves the animation empty again, as the next
// candidate expects.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "document/animation.h"
#include "document/load_result.h"
#include "platform/platform.h"
#include "plugins/vorn_plugin.h"

namespace codec_guard {

inline void report(const char *action, const char *path, const std::exception *error)
{
    try {
        if (!error)
            show_warning(format_text("Unable to %s %s: not enough memory", action, path ? path : ""));
        else
            show_warning(format_text("Unable to %s %s: %s", action, path ? path : "", error->what()));
    } catch (...) {
        // Not even the message could be made; the refusal still stands.
    }
}

template <int32_t (*Load)(const char *, Animation *)>
int32_t load(const char *path, Animation *anim) noexcept
{
    try {
        return Load(path, anim);
    } catch (const std::bad_alloc &) {
        report("read", path, nullptr);
    } catch (const std::exception &error) {
        report("read", path, &error);
    }
    anim_destroy(anim);
    anim_init(anim);
    return 0;
}

// A reader that ends in an exception refuses the file, with the exception
// as its reason.
template <LoadResult (*Read)(const char *, Animation *)>
LoadResult read(const char *path, Animation *anim) noexcept
{
    LoadResult refusal{LoadStatus::Refused, {}};
    try {
        return Read(path, anim);
    } catch (const std::bad_alloc &) {
        try {
            refusal.reasons.push_back(format_text("Unable to read %s: not enough memory", path ? path : ""));
        } catch (...) {
            // Not even the message could be made; the refusal still stands.
        }
    } catch (const std::exception &error) {
        try {
            refusal.reasons.push_back(format_text("Unable to read %s: %s", path ? path : "", error.what()));
        } catch (...) {
        }
    }
    anim_destroy(anim);
    anim_init(anim);
    return refusal;
}

template <int32_t (*Save)(const char *, Animation *)>
int32_t save(const char *path, Animation *anim) noexcept
{
    try {
        return Save(path, anim);
    } catch (const std::bad_alloc &) {
        report("write", path, nullptr);
    } catch (const std::exception &error) {
        report("write", path, &error);
    }
    return 0;
}

template <int32_t (*LoadPalette)(const char *, uint8_t *)>
int32_t load_palette(const char *path, uint8_t *rgba1024) noexcept
{
    try {
        return LoadPalette(path, rgba1024);
    } catch (const std::bad_alloc &) {
        report("read", path, nullptr);
    } catch (const std::exception &error) {
        report("read", path, &error);
    }
    return 0;
}

template <int32_t (*SavePalette)(const char *, const uint8_t *, int32_t)>
int32_t save_palette(const char *path, const uint8_t *rgba, int32_t count) noexcept
{
    try {
        return SavePalette(path, rgba, count);
    } catch (const std::bad_alloc &) {
        report("write", path, nullptr);
    } catch (const std::exception &error) {
        report("write", path, &error);
    }
    return 0;
}

} // namespace codec_guard
