#include "platform/console_platform.h"

#include <cstdio>

void ConsolePlatform::show_message(const std::string &text, MessageIcon)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (progress_visible_) {
        std::fputc('\n', stderr);
        progress_visible_ = false;
    }
    std::fprintf(stderr, "%s: %s\n", APP_CAPTION, text.c_str());
}

bool ConsolePlatform::ask_yes_no(const std::string &text)
{
    const bool yes = answer_ == Answer::Yes;
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(stderr, "%s: %s [answered %s]\n", APP_CAPTION, text.c_str(), yes ? "Yes" : "No");
    return yes;
}

void ConsolePlatform::set_progress(int percent)
{
    if (!show_progress_)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (percent < 0) {
        if (progress_visible_)
            std::fputs("\r          \r", stderr);
        progress_visible_ = false;
        return;
    }
    std::fprintf(stderr, "\r%3d%%", percent > 100 ? 100 : percent);
    progress_visible_ = true;
}
