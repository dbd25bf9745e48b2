// A main window on the offscreen platform, wired as the program wires it:
// messages, questions and file dialogs go to the scripted platform `ui`,
// status text, progress and the workers' hand-overs to the Qt back-end.
#pragma once

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/qt_platform.h"
#include "support/test_support.h"

class BridgePlatform : public Platform, public EditorHost {
public:
    BridgePlatform(ScriptedPlatform &script, QtPlatform &qt) : script_(script), qt_(qt) {}

    void show_message(const std::string &text, MessageIcon icon) override { script_.show_message(text, icon); }
    bool ask_yes_no(const std::string &text) override { return script_.ask_yes_no(text); }
    QuestionAnswer ask_yes_no_save(const std::string &text) override { return script_.ask_yes_no_save(text); }
    std::string open_file_dialog(const std::string &f, const std::string &t) override
    {
        return script_.open_file_dialog(f, t);
    }
    std::string save_file_dialog(const std::string &f, const std::string &t) override
    {
        return script_.save_file_dialog(f, t);
    }
    std::vector<std::string> open_files_dialog(const std::string &f, const std::string &t) override
    {
        return script_.open_files_dialog(f, t);
    }
    bool ask_group_name(const std::string &initial, std::string &name) override
    {
        return script_.ask_group_name(initial, name);
    }
    void show_property_editor(PropertyList *list, const std::string &title) override
    {
        script_.show_property_editor(list, title);
    }
    int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial) override
    {
        return script_.show_adjust_dialog(title, minimum, maximum, scale, initial);
    }
    bool choose_color(uint32_t &color, int32_t *custom_colors) override
    {
        return script_.choose_color(color, custom_colors);
    }
    bool ask_colormap_parameters(int32_t &fullbrights, float &range) override
    {
        return script_.ask_colormap_parameters(fullbrights, range);
    }
    std::string open_file_dialog_named(const std::string &f, const std::string &t, const std::string &i) override
    {
        return script_.open_file_dialog_named(f, t, i);
    }
    std::string save_file_dialog_named(const std::string &f, const std::string &t, const std::string &i) override
    {
        return script_.save_file_dialog_named(f, t, i);
    }
    bool put_clipboard_image(uint32_t image) override { return qt_.put_clipboard_image(image); }
    bool get_clipboard_image(uint32_t image) override { return qt_.get_clipboard_image(image); }
    void set_status_text(const std::string &text) override { qt_.set_status_text(text); }
    void set_progress(int percent) override { qt_.set_progress(percent); }
    void run_on_ui_thread(const std::function<void()> &work) override { qt_.run_on_ui_thread(work); }

private:
    ScriptedPlatform &script_;
    QtPlatform &qt_;
};

class EditorTest : public CoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the window (after the test has prepared settings and state).
    void open_window();
    // Makes the window, loads `path` into it and makes it the active window,
    // so that keys typed reach its shortcuts.
    void open_window_on(const std::string &path);
    // Runs the event loop until no file operation runs and the window has
    // seen the end of its load.
    void wait_for_file_operation();
    // Handles pending events (posted status text, repaints).
    static void pump();

    std::string status_text() const;
    std::string title() const;

    std::unique_ptr<QtPlatform> qt;
    std::unique_ptr<BridgePlatform> bridge;
    std::unique_ptr<MainWindow> window;
};
