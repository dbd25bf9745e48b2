// Image operations the program does in its own code rather than through the
// image library, where the library's own result is wrong or it crashes.
// They act on the bound image; the host table's rotate and convert slots
// use them.
#pragma once

#include <cstdint>

// Turns the bound image by `quarters` quarter turns counter-clockwise as it
// is shown (top row first), exactly: no resampling, every pixel moved, a
// colour-indexed image keeps its indexes and palette. False when no image
// with pixels is bound.
bool image_rotate_quarters(int quarters);

// Turns the bound image by `degrees`, counter-clockwise as shown. Whole
// multiples of 90 take image_rotate_quarters; other angles take the
// library's rotation (which resamples and grows the image), done on a
// true-colour copy for a colour-indexed image, which is then indexed again
// with image_to_indexed. A picture one pixel wide or high is not turned by
// such an angle (the library overruns its buffers on it): false.
bool image_rotate(float degrees);

// Converts the bound image to 8-bit colour index. An image of at most 256
// distinct colours (alpha counted) gets exactly those colours as its RGBA
// palette, in the order they first appear, and every pixel its own colour's
// index; beyond that the library's quantiser decides. An image that is
// colour-indexed already is left to the library (which keeps it).
bool image_to_indexed();
