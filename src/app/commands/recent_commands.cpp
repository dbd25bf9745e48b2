#include "app/commands/recent_commands.h"

#include <string>

#include "app/document_controller.h"
#include "app/logic/recent_files.h"
#include "app/logic/settings.h"
#include "archive/archive.h"
#include "platform/platform.h"

void file_open_recent(CommandHost &host, int index)
{
    if (file_worker_busy())
        return;
    const std::vector<std::string> &list = settings().recent_files;
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return;
    // A copy: the list changes under the load and the removal.
    const std::string path = list[static_cast<size_t>(index)];
    if (!file_or_entry_exists(path)) {
        if (ask_question(format_text(RECENT_FILE_MISSING_QUESTION, path.c_str())))
            recent_files_forget(path);
        return;
    }
    // The load asks about unsaved changes and puts the path first once the
    // file has been read.
    if (start_load_worker(path))
        host.watch_file_operation();
}
