// The editor's platform back-end: the Qt one, with the editor's own dialogs
// (Enter Group Name, the property editor, Adjust, Resize, Image
// Information) that the command handlers ask for.
#pragma once

#include "platform/qt/qt_platform.h"

class EditorPlatform : public QtPlatform {
public:
    bool ask_group_name(const std::string &initial, std::string &name) override;
    void show_property_editor(PropertyList *list, const std::string &title) override;
    int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial) override;
    bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice) override;
    void show_image_information(const std::string &text) override;
};
