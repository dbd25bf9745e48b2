// The current group and frame of the open document, for the handlers: null
// when the derived condition that they exist does not hold.
#pragma once

#include "document/document_state.h"

inline Group *doc_current_group(DocumentState &doc)
{
    return doc_has_group(doc) ? &doc.animation.groups[doc.current_group] : nullptr;
}

inline Frame *doc_current_frame(DocumentState &doc)
{
    return doc_has_frame(doc) ? &doc.animation.groups[doc.current_group].frames[doc.current_frame] : nullptr;
}

// The handlers that must have a group to work on make one when the
// document has none ("[no group]") and bring an index that points past the
// end back to group 0.
Group *doc_ensure_group(DocumentState &doc);
// The same, and a current group without frames is given one fresh frame,
// which becomes the current frame (Paste and Acquire).
Frame *doc_ensure_frame(DocumentState &doc);
