#include "app/commands/help_commands.h"

#include "platform/platform.h"

void help_about(CommandHost &)
{
    show_warning(format_text("Vorn\tVersion %s\nBuilt\t%s %s\nBy\tthe Vorn developers", VORN_VERSION, __DATE__, __TIME__));
}
