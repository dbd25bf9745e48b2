#include "views/qt_image.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

#include <IL/il.h>

#include "image/image_limits.h"
#include "image/host_table.h"
#include "image/texture_format.h"

QImage qimage_from_image(uint32_t image, int texture_format)
{
    const HostTable &h = host();
    // Work on a copy so that the frame keeps its own layout and palette.
    const uint32_t scratch = h.gen_image();
    h.bind_image(scratch);
    QImage picture;
    if (h.copy_image(image))
        picture = qimage_from_bound_image(texture_format);
    h.delete_image(scratch);
    return picture;
}

namespace {

// The bound 8-bit image drawn in `texture_format`; null when it is not
// 8-bit.
QImage composed_bound_image(int texture_format)
{
    const HostTable &h = host();
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 1)
        return QImage();
    const int w = h.width();
    const int ht = h.height();
    const uint8_t *indexes = h.get_data();
    if (!indexes || w <= 0 || ht <= 0)
        return QImage();
    // Entries the image's palette lacks are black.
    uint8_t palette[1024] = {};
    int count = h.palette_size();
    count = count > 256 ? 256 : count;
    if (count > 0) {
        h.convert_palette(IMAGE_RGBA);
        if (const uint8_t *own = h.get_palette())
            std::memcpy(palette, own, static_cast<size_t>(count) * 4);
    }
    QImage picture(w, ht, QImage::Format_RGBA8888);
    for (int y = 0; y < ht; ++y)
        compose_texture_format(texture_format, indexes + static_cast<size_t>(y) * static_cast<size_t>(w),
                               static_cast<size_t>(w), palette, picture.scanLine(y));
    return picture;
}

} // namespace

QImage qimage_from_bound_image(int texture_format)
{
    const HostTable &h = host();
    if (texture_format >= 0) {
        const QImage composed = composed_bound_image(texture_format);
        if (!composed.isNull())
            return composed;
    }
    if (!h.convert_image(IMAGE_RGBA))
        return QImage();
    const int w = h.width();
    const int ht = h.height();
    const uint8_t *data = h.get_data();
    if (!data || w <= 0 || ht <= 0)
        return QImage();
    // The QImage only wraps the library's buffer: copy it before it goes.
    return QImage(data, w, ht, w * 4, QImage::Format_RGBA8888).copy();
}

bool image_from_qimage(uint32_t image, const QImage &picture)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return false;
    // Pictures from the clipboard or a scanner are held to the same limits as
    // images read from files.
    if (picture.width() > GENERIC_MAX_SIDE || picture.height() > GENERIC_MAX_SIDE
        || static_cast<uint64_t>(picture.width()) * static_cast<uint64_t>(picture.height()) * 4 > pixel_budget())
        return false;
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    // ilTexImage wants tightly packed rows.
    QByteArray packed(static_cast<qsizetype>(rgba.width()) * rgba.height() * 4, Qt::Uninitialized);
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(packed.data() + static_cast<qsizetype>(y) * rgba.width() * 4, rgba.constScanLine(y),
                    static_cast<size_t>(rgba.width()) * 4);
    host().bind_image(image);
    const bool ok = ilTexImage(static_cast<ILuint>(rgba.width()), static_cast<ILuint>(rgba.height()), 1, 4, IL_RGBA,
                               IL_UNSIGNED_BYTE, packed.data()) == IL_TRUE;
    // ilTexImage labels the new image lower-left; its rows are top first.
    if (ok)
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    return ok;
}

bool clipboard_put_image(uint32_t image)
{
    const QImage picture = qimage_from_image(image);
    if (picture.isNull())
        return false;
    QGuiApplication::clipboard()->setImage(picture);
    return true;
}

bool clipboard_get_image(uint32_t image)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return false;
    return image_from_qimage(image, QGuiApplication::clipboard()->image());
}
