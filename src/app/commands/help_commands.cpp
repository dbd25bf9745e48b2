#include "app/commands/help_commands.h"

#include <sys/stat.h>

#include "views/logic/editor_host.h"
#include "platform/platform.h"
#include "platform/program_folder.h"

std::string help_start_page() { return program_file_folder("help") + "/help/aboutvorn.htm"; }

void help_contents(CommandHost &)
{
    const std::string page = help_start_page();
    struct stat st;
    if (stat(page.c_str(), &st) != 0) {
        show_warning(format_text("The help is missing: %s was not found", page.c_str()));
        return;
    }
    if (!editor_host().open_in_browser(page))
        show_warning(format_text("The help could not be opened with the desktop's browser: %s", page.c_str()));
}

void help_about(CommandHost &)
{
    show_warning(format_text("Vorn\tVersion %s\nBuilt\t%s %s\nBy\tthe Vorn developers", VORN_VERSION, __DATE__, __TIME__));
}
