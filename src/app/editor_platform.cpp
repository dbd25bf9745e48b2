#include "app/editor_platform.h"

#include "views/group_name_dialog.h"
#include "views/property_editor_dialog.h"

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
