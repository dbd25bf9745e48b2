// The batch tool's back-end: messages go to standard error as "Vorn: TEXT",
// questions are answered by a fixed policy chosen on the command line.
#pragma once

#include <mutex>

#include "platform/platform.h"

class ConsolePlatform : public Platform {
public:
    enum class Answer { Yes, No };

    explicit ConsolePlatform(Answer answer) : answer_(answer) {}

    void show_message(const std::string &text, MessageIcon icon) override;
    bool ask_yes_no(const std::string &text) override;
    void set_progress(int percent) override;

    void set_answer(Answer answer) { answer_ = answer; }
    // Shows a progress line on standard error (only when it is a terminal).
    void set_show_progress(bool show) { show_progress_ = show; }

private:
    Answer answer_;
    bool show_progress_ = false;
    bool progress_visible_ = false;
    std::mutex mutex_;
};
