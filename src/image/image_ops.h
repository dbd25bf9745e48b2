// Image operations the program does in its own code rather than through the
// image library, where the library's own result is wrong or it crashes.
// They act on the bound image; the host table's rotate and convert slots
// use them.
#pragma once

#include <cstdint>
#include <functional>

// Turns the bound image by `quarters` quarter turns counter-clockwise as it
// is shown (top row first), exactly: no resampling, every pixel moved, a
// colour-indexed image keeps its indexes and palette. False when no image
// with pixels is bound.
bool image_rotate_quarters(int quarters);

// Turns the bound image by `degrees`, counter-clockwise as shown. Whole
// multiples of 90 take image_rotate_quarters; other angles take the
// library's rotation (which resamples and grows the image), done for a
// colour-indexed image through image_edit_in_true_colour, so that it keeps
// its palette and its transparency. A picture one pixel wide or high is not
// turned by such an angle (the library overruns its buffers on it): false.
bool image_rotate(float degrees);

// Converts the bound image to 8-bit colour index. An image of at most 256
// distinct colours (alpha counted) gets exactly those colours as its RGBA
// palette, in the order they first appear, and every pixel its own colour's
// index; beyond that the library's quantiser decides. An image that is
// colour-indexed already is left to the library (which keeps it).
bool image_to_indexed();

// How an edit moves the pixels of a colour-indexed image, which decides
// where its transparent pixels are afterwards.
enum class PixelMotion {
    InPlace, // every pixel stays where it was (filters): so does transparency
    Scaled,  // the picture is stretched to a new size: the transparency
             // mask is stretched by its nearest pixel, centre to centre
    Resampled, // any other change (turns by other angles): a pixel whose
               // resampled alpha is below one half is transparent
};

// Runs `edit` on the bound image and returns what it returns. A colour-
// indexed image is not given to the library as it is (its quantiser knows
// nothing of transparent entries and renumbers the palette): `edit` gets a
// true-colour picture of the image's own palette colours, and the result is
// matched back to that palette with the nearest-colour rule of the Quake
// code. Transparent entries are those whose alpha is 0. A transparent pixel
// keeps its index (scaled: the index of the pixel it came from; resampled:
// the palette's first transparent entry); opaque pixels are only ever
// matched to opaque entries, and keep their index where the edit left their
// colour as it was. Before the edit, transparent pixels take the colour of
// the nearest opaque pixel, so that filters do not smear the transparent
// entry's colour into the picture's edges. Any other image is edited as it
// is. When `edit` fails, a colour-indexed image is left as it was.
bool image_edit_in_true_colour(PixelMotion motion, const std::function<bool()> &edit);
