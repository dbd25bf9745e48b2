#include "app/document_view.h"

#include <cstring>
#include <string>
#include <vector>

#include "document/animation.h"
#include "document/document_state.h"
#include "platform/platform.h"

namespace {

DocumentView no_view;
DocumentView *current_view = nullptr;
bool scanner_available = false;

void refresh_after(DocChange change)
{
    DocumentView &view = doc_view();
    switch (change) {
    case DocChange::Edited:
    case DocChange::Saved:
        view.update_title();
        break;
    case DocChange::Replaced:
        view.document_replaced();
        view.update_title();
        break;
    case DocChange::HistoryMoved:
        view.update_title();
        doc_fill_group_list(doc_state().current_group);
        view.preview_refresh();
        break;
    }
    doc_update_commands();
}

} // namespace

void doc_set_view(DocumentView *view)
{
    doc_set_change_listener(refresh_after);
    current_view = view;
}

DocumentView &doc_view() { return current_view ? *current_view : no_view; }

void doc_set_scanner_available(bool available) { scanner_available = available; }

DocConditions doc_conditions(const DocumentState &doc)
{
    DocConditions c;
    c.has_group = doc_has_group(doc);
    c.has_more_groups = doc_has_more_groups(doc);
    c.has_frame = doc_has_frame(doc);
    c.has_more_frames = doc_has_more_frames(doc);
    c.undo_available = doc.undo_available != 0;
    c.redo_available = doc.redo_available != 0;
    c.scanner_found = scanner_available;
    return c;
}

int doc_close()
{
    DocumentState &doc = doc_state();
    if (doc.modified && !ask_question(DOC_MODIFIED_QUESTION))
        return 0;
    doc_begin_edit(0);
    doc_view().reset_zoom();
    anim_destroy(&doc.animation);
    doc.current_group = 0;
    doc.current_frame = 0;
    doc_view().preview_refresh();
    std::memset(doc.file_name, 0, sizeof doc.file_name);
    doc_view().update_title();
    doc_view().layout();
    doc_fill_group_list(0);
    // The commands must not stay enabled for frames that no longer exist.
    doc_update_commands();
    return 1;
}

void doc_fill_group_list(int selection)
{
    const DocumentState &doc = doc_state();
    std::vector<std::string> names;
    const int count = doc.animation.groups ? doc.animation.group_count : 0;
    names.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const char *name = doc.animation.groups[i].name;
        names.emplace_back(name ? name : "");
    }
    doc_select_group(selection);
    doc_view().set_group_list(names, doc.current_group);
    doc_sync_frame_slider();
}

void doc_sync_frame_slider()
{
    const int last = doc_clamp_frame();
    doc_view().set_frame_slider(last, doc_state().current_frame);
}

void doc_update_commands() { doc_view().update_commands(doc_conditions(doc_state())); }
