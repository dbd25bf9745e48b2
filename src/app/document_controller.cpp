#include "app/document_controller.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "app/document_view.h"
#include "archive/archive.h"
#include "views/logic/save_type.h"
#include "views/logic/editor_host.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "image/image_limits.h"
#include "platform/platform.h"

namespace {

// The one worker thread. A finished worker is joined when the next one
// starts, by file_worker_wait, or at exit.
struct WorkerSlot {
    std::mutex mutex;
    std::thread thread;
    ~WorkerSlot()
    {
        if (thread.joinable())
            thread.join();
    }
};

WorkerSlot &slot()
{
    static WorkerSlot worker;
    return worker;
}

std::atomic<bool> busy{false};

// Sets the busy mark, then starts the thread, so that a worker that ends at
// once still finds the mark to clear.
template <class Body>
int start_worker(Body body)
{
    WorkerSlot &worker = slot();
    std::lock_guard<std::mutex> lock(worker.mutex);
    bool expected = false;
    if (!busy.compare_exchange_strong(expected, true))
        return 0;
    // The previous worker cleared the mark as its last action: it has
    // nothing left to do but return.
    if (worker.thread.joinable())
        worker.thread.join();
    try {
        worker.thread = std::thread(std::move(body));
    } catch (const std::system_error &) {
        busy.store(false);
        return 0;
    }
    return 1;
}

void end_worker() { busy.store(false); }

void set_document_name(const std::string &path)
{
    DocumentState &doc = doc_state();
    std::memset(doc.file_name, 0, sizeof doc.file_name);
    std::strncpy(doc.file_name, path.c_str(), sizeof doc.file_name - 1);
}

bool is_document(const Animation *anim) { return anim == &doc_state().animation; }

DocumentFileHook document_file_hook = nullptr;
std::function<void()> document_opened_hook;

void tell_document_file(const std::string &path)
{
    if (document_file_hook)
        document_file_hook(path);
}

// Runs the save and, for the document, marks it saved only when the file
// was written.
void save_and_settle(const std::string &path, Animation *anim)
{
    const bool document = is_document(anim);
    const int written = file_save(path.c_str(), anim);
    if (written && document) {
        platform().run_on_ui_thread([&path] {
            set_document_name(path);
            doc_mark_saved();
            tell_document_file(path);
        });
    }
    report_progress(0, 0);
}

// The folder of the document's file with its slash (of its archive, for
// an entry inside one), or "" when the document has no file name with a
// folder.
std::string document_folder() { return folder_for_dialog(doc_state().file_name); }

// The open dialog, starting in the document's folder when it has one.
std::string ask_file_to_open()
{
    const std::string filter = build_file_filter(FILE_OP_LOAD_IMAGE);
    const std::string folder = document_folder();
    return folder.empty() ? editor_host().open_file_dialog(filter, "Open")
                          : editor_host().open_file_dialog_named(filter, "Open", folder);
}

// The save dialog: for the document on its own name, for anything else in
// the document's folder with no name, so that an exported frame is never
// offered the document's file to overwrite.
// `type` receives the type the user picked, when the dialog tells it.
std::string ask_file_to_save(const Animation *anim, std::string *type = nullptr)
{
    const std::string filter = build_file_filter(FILE_OP_SAVE_IMAGE);
    const std::string folder = document_folder();
    const std::string initial = folder.empty() ? std::string() : is_document(anim) ? doc_state().file_name : folder;
    std::string picked;
    const std::string path = editor_host().save_file_dialog_typed(filter, "Save As", initial, picked);
    if (type)
        *type = picked;
    return path;
}

// The document, replaced by `loaded` (which it takes over) read from
// `path`, and the window refreshed. On the user-interface thread.
void install_document(Animation &loaded, const std::string &path)
{
    // The user has agreed to drop the unsaved changes, or has saved them:
    // the close asks nothing more.
    doc_begin_edit(0);
    doc_close();
    DocumentState &doc = doc_state();
    doc.animation = loaded;
    anim_init(&loaded);
    set_document_name(path);
    DocumentView &view = doc_view();
    view.update_title();
    view.preview_refresh();
    view.layout();
    doc_fill_group_list(0);
    doc_update_commands();
    if (doc.animation.group_count > 0)
        tell_document_file(path);
    if (document_opened_hook)
        document_opened_hook();
}

} // namespace

bool file_worker_busy() { return busy.load(); }

void set_document_opened_hook(std::function<void()> hook) { document_opened_hook = std::move(hook); }

void set_document_file_hook(DocumentFileHook hook) { document_file_hook = hook; }

void file_worker_wait()
{
    WorkerSlot &worker = slot();
    std::lock_guard<std::mutex> lock(worker.mutex);
    if (worker.thread.joinable())
        worker.thread.join();
}

bool settle_unsaved_changes()
{
    DocumentState &doc = doc_state();
    if (!doc.modified)
        return true;
    switch (editor_host().ask_yes_no_save(DOC_MODIFIED_QUESTION)) {
    case QuestionAnswer::Yes: return true;
    case QuestionAnswer::No: return false;
    case QuestionAnswer::Save: break;
    }
    const std::string target = doc.file_name[0] ? std::string(doc.file_name) : ask_file_to_save(&doc.animation);
    if (target.empty())
        return false;
    save_and_settle(target, &doc.animation);
    // A save that failed has been reported and left the mark.
    return !doc.modified;
}

int close_document()
{
    if (!settle_unsaved_changes())
        return 0;
    doc_begin_edit(0);
    return doc_close();
}

int open_document()
{
    if (file_worker_busy())
        return 0;
    const std::string path = ask_file_to_open();
    if (path.empty())
        return 0;
    return start_load_worker(path);
}

int start_load_worker(const std::string &path)
{
    // An archive opens on the entry the user picks in its browser.
    if (!file_worker_busy() && is_archive_file(path)) {
        const std::string entry = editor_host().choose_archive_entry(path);
        if (entry.empty())
            return 0;
        const std::string inside = path + "/" + entry;
        return start_worker([inside] { load_worker(inside); });
    }
    return start_worker([path] { load_worker(path); });
}

void load_worker(const std::string &path)
{
    // The question about unsaved changes happens on the user-interface
    // thread, before anything is loaded.
    bool go_on = false;
    platform().run_on_ui_thread([&go_on] { go_on = settle_unsaved_changes(); });
    if (go_on) {
        // The file is read beside the document, which it replaces only when
        // it was not refused: a file that gave nothing and said why leaves
        // the document, its name and its history as they were. An archive
        // that is merely empty opens as an empty document.
        Animation loaded;
        anim_init(&loaded);
        const bool refused = file_load_result(path.c_str(), &loaded).status == LoadStatus::Refused;
        platform().run_on_ui_thread([&loaded, &path, refused] {
            if (!refused)
                install_document(loaded, path);
        });
        anim_destroy(&loaded);
    }
    report_progress(0, 0);
    end_worker();
}

int save_document(const char *path, Animation *anim, bool synchronous)
{
    if (file_worker_busy())
        return 0;
    std::string target = path ? path : "";
    if (target.empty()) {
        std::string type;
        target = ask_file_to_save(anim, &type);
        // The type picked chooses between formats that share an extension.
        if (target.empty() || !apply_save_type(anim, target, type))
            return 0;
    }
    if (synchronous) {
        save_and_settle(target, anim);
        return 1;
    }
    return start_worker([target, anim] { save_worker(target, anim); });
}

void save_worker(const std::string &path, Animation *anim)
{
    save_and_settle(path, anim);
    end_worker();
}

int load_via_dialog(Animation *anim)
{
    const std::string path = editor_host().open_file_dialog(build_file_filter(FILE_OP_LOAD_IMAGE), "Open");
    if (path.empty())
        return 0;
    const FirstFrameScope first_frame;
    file_load(path.c_str(), anim);
    return 1;
}

int import_frames_via_dialog(Animation *anim)
{
    anim_init(anim);
    anim_add_group(anim, NO_GROUP_NAME);
    const std::vector<std::string> paths =
        editor_host().open_files_dialog(build_file_filter(FILE_OP_LOAD_IMAGE), "Import Frames");
    if (paths.empty())
        return 0;
    for (const std::string &path : paths) {
        Animation scratch;
        anim_init(&scratch);
        // A file that cannot be read reports itself and adds no frames.
        file_load(path.c_str(), &scratch);
        // The frames imported together stay within the pixel budget.
        if (scratch.groups && scratch.group_count > 0
            && fits_pixel_budget(anim_pixel_bytes(anim), &scratch, path.c_str()))
            group_append_frames(&anim->groups[0], &scratch.groups[0]);
        anim_destroy(&scratch);
    }
    return 1;
}

void report_progress(int done, int total)
{
    if (total == 0) {
        // The work has ended: the bar goes away.
        platform().set_status_text("Ready.");
        platform().set_progress(-1);
        return;
    }
    const int percent = static_cast<int>(static_cast<int64_t>(done) * 100 / total);
    platform().set_status_text(format_text("File Operation: %i%%", percent));
    platform().set_progress(percent);
}
