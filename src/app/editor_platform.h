// The editor's platform back-end: the Qt one, with the editor's own dialogs
// (Enter Group Name, the property editor) that the command handlers ask for.
#pragma once

#include "platform/qt/qt_platform.h"

class EditorPlatform : public QtPlatform {
public:
    bool ask_group_name(const std::string &initial, std::string &name) override;
    void show_property_editor(PropertyList *list, const std::string &title) override;
};
