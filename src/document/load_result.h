// How a reader ended with a file, and why: the dispatcher, not the reader,
// decides what the user is told, and tells it once.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

enum class LoadStatus {
    Loaded,  // the file was read into the animation
    NotMine, // not this reader's format: the next candidate may try it
    Refused, // this reader's format, or said to be, and unreadable: the load ends here
};

struct LoadResult {
    LoadStatus status;
    // Refused: the messages for the user, in order, each naming the file.
    // None when a refusal has nothing more to say than the decline itself.
    std::vector<std::string> reasons;
};

inline LoadResult load_ok() { return {LoadStatus::Loaded, {}}; }
inline LoadResult load_not_mine() { return {LoadStatus::NotMine, {}}; }
inline LoadResult load_refusal(std::string reason) { return {LoadStatus::Refused, {std::move(reason)}}; }

// Shows a refusal's reason. 1 when the file was read, else 0: the contract
// of a format row's load operation, for callers that use a reader alone.
inline int32_t load_result_shown(const LoadResult &result)
{
    if (result.status == LoadStatus::Refused)
        for (const std::string &reason : result.reasons)
            show_warning(reason);
    return result.status == LoadStatus::Loaded ? 1 : 0;
}
