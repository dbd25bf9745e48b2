#include "views/logic/group_name_logic.h"

#include "platform/platform.h"

bool group_name_accept(const std::string &text)
{
    if (!text.empty())
        return true;
    show_warning(GROUP_NAME_INVALID_MESSAGE);
    return false;
}
