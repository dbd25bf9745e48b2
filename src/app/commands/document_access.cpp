#include "app/commands/document_access.h"

#include "document/animation.h"

Group *doc_ensure_group(DocumentState &doc)
{
    if (doc.animation.group_count == 0)
        anim_add_group(&doc.animation, NO_GROUP_NAME);
    if (!doc_has_group(doc))
        doc.current_group = 0;
    return doc_current_group(doc);
}

Frame *doc_ensure_frame(DocumentState &doc)
{
    Group *group = doc_ensure_group(doc);
    if (group->frame_count == 0) {
        group_reset_frames(group, 1);
        doc.current_frame = 0;
    }
    if (!doc_has_frame(doc))
        doc.current_frame = 0;
    return doc_current_frame(doc);
}
