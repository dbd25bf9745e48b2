// What the core tells or asks the user goes through this interface:
// message boxes, yes/no questions, status text and progress, and handing
// work to the user-interface thread. The editor installs a Qt back-end, the
// batch tool a console back-end and the tests a scripted one. The editor's
// own dialogs are not here: see views/logic/editor_host.h.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>
#include <vector>

inline constexpr const char *APP_CAPTION = "Vorn";

enum class MessageIcon { Warning, Question, Information };

// The kinds of file operation; they pick a row column and a dialog filter.
enum FileOpKind : int {
    FILE_OP_LOAD_IMAGE = 0,
    FILE_OP_SAVE_IMAGE = 1,
    FILE_OP_LOAD_PALETTE = 2,
    FILE_OP_SAVE_PALETTE = 3,
};

class Platform {
public:
    virtual ~Platform() = default;

    // A message box captioned "Vorn" with an OK button.
    virtual void show_message(const std::string &text, MessageIcon icon) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool ask_yes_no(const std::string &text) = 0;
    // A question whose answers are `choices` (buttons, the first one the
    // default), asked with `warning` and then `question`; the index of the
    // answer. A back-end that has no one to ask returns -1 at once, and the
    // caller tells `warning` when it suits it.
    virtual int ask_choice(const std::string &warning, const std::string &question,
                           const std::vector<std::string> &choices);

    virtual void set_status_text(const std::string &text);
    // Progress of a long operation in percent; a negative value hides it.
    virtual void set_progress(int percent);

    // Runs `work` on the user-interface thread and waits for it. Back-ends
    // without a separate UI thread run it at once.
    virtual void run_on_ui_thread(const std::function<void()> &work);
};

Platform &platform();
// Installs a back-end (not owned); nullptr restores the console back-end.
void set_platform(Platform *backend);

// While a MessageAlias lives on a thread, every message and question that
// thread shows says `shown` where it would say `real`: a file read or
// written under a stand-in name (an entry of an archive) is named as the
// user named it.
class MessageAlias {
public:
    MessageAlias(std::string real, std::string shown);
    ~MessageAlias();
    MessageAlias(const MessageAlias &) = delete;
    MessageAlias &operator=(const MessageAlias &) = delete;
};
// `text` with the aliases of this thread applied.
std::string with_message_aliases(std::string text);

// Shorthands for the two kinds of box the core uses.
void show_warning(const std::string &text);
bool ask_question(const std::string &text);

// printf-style formatting into a fresh string: safe on any thread.
std::string format_text(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string vformat_text(const char *format, va_list args);
