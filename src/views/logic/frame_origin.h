// Setting the current frame's origin from a click in the preview.
#pragma once

// Sets "Origin X" and "Origin Y" of the current frame to x and y (integer
// properties, added when missing), recording an undo step first. Does nothing
// without a current frame. Returns whether it changed the document. The
// caller repaints the preview, and calls it only while no file operation
// runs (a worker may be changing the document).
bool frame_set_origin(int x, int y);
