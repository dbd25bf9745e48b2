// Pictures between the image library and Qt: RGBA, rows top first (every
// image the program holds has its top row first). These functions use the
// image library, so they belong to the user-interface thread while no file
// operation runs.
#pragma once

#include <QImage>

#include <cstdint>

// A copy of `image` as a QImage (Format_RGBA8888, alpha kept); a null
// QImage when the image is empty. `image` itself is not changed; the
// library's binding is left on no particular image. A `texture_format` of
// 0 or more (a Half-Life sprite's, image/texture_format.h) draws an 8-bit
// image the way the game does; other images ignore it.
QImage qimage_from_image(uint32_t image, int texture_format = -1);

// The bound image as a QImage: converts the bound image itself to RGBA
// first (callers bind a scratch copy). A null QImage when that fails.
QImage qimage_from_bound_image(int texture_format = -1);

// Replaces the contents of `image` by `picture` as a 32-bit RGBA image.
// Returns false (and leaves `image` unchanged) for a null picture.
bool image_from_qimage(uint32_t image, const QImage &picture);

// The clipboard transfer of the Edit commands. `clipboard_put_image` puts a
// copy of `image` on the clipboard; `clipboard_get_image` replaces `image`
// by the clipboard's picture and returns false, leaving it unchanged, when
// the clipboard holds none.
bool clipboard_put_image(uint32_t image);
bool clipboard_get_image(uint32_t image);
