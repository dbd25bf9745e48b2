#include "app/editor_platform.h"

#include "views/adjust_dialog.h"
#include "views/group_name_dialog.h"
#include "views/image_information_dialog.h"
#include "views/property_editor_dialog.h"
#include "views/resize_dialog.h"

bool EditorPlatform::ask_group_name(const std::string &initial, std::string &name)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::ask_group_name(initial, name, owner()); });
    return ok;
}

void EditorPlatform::show_property_editor(PropertyList *list, const std::string &title)
{
    run_on_ui_thread([&] { ::show_property_editor(list, title, owner()); });
}

int EditorPlatform::show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial)
{
    int value = initial;
    run_on_ui_thread([&] { value = ::show_adjust_dialog(title, minimum, maximum, scale, initial, owner()); });
    return value;
}

bool EditorPlatform::show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice)
{
    bool ok = false;
    run_on_ui_thread([&] { ok = ::show_resize_dialog(width, height, indexed, choice, owner()); });
    return ok;
}

void EditorPlatform::show_image_information(const std::string &text)
{
    run_on_ui_thread([&] { ::show_image_information(text, owner()); });
}
