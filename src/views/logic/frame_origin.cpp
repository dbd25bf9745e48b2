#include "views/logic/frame_origin.h"

#include "document/document_state.h"
#include "document/props.h"

bool frame_set_origin(int x, int y)
{
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return false;
    doc_begin_edit(1);
    Frame &frame = doc.animation.groups[doc.current_group].frames[doc.current_frame];
    props_set_int(&frame.props, "Origin X", x, PROPERTY_INTEGER);
    props_set_int(&frame.props, "Origin Y", y, PROPERTY_INTEGER);
    return true;
}
