// Setting the current frame's origin from a click in the preview.
#pragma once

// Sets "Origin X" and "Origin Y" of the current frame to x and y (integer
// properties, added when missing), recording an undo step first. Does nothing
// without a current frame or while a file operation runs. Returns whether
// it changed the document. The caller repaints the preview.
bool frame_set_origin(int x, int y);
