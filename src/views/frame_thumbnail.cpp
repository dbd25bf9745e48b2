#include "views/frame_thumbnail.h"

#include <QPainter>

#include "views/qt_image.h"
#include "views/logic/group_browser_logic.h"

QPixmap blank_thumbnail(int box)
{
    QPixmap blank(box, box);
    blank.fill(Qt::transparent);
    return blank;
}

QPixmap frame_thumbnail(const Frame *frame, int box, int texture_format)
{
    if (!frame || frame->image == 0)
        return blank_thumbnail(box);
    const QImage picture = qimage_from_image(frame->image, texture_format);
    const ThumbnailRect r = group_browser_thumbnail_rect(picture.width(), picture.height(), box);
    if (picture.isNull() || r.w <= 0)
        return blank_thumbnail(box);
    // Pixel art grows with hard edges; large textures shrink smoothly.
    const Qt::TransformationMode mode =
        r.w >= picture.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
    QImage boxed(box, box, QImage::Format_ARGB32_Premultiplied);
    boxed.fill(Qt::transparent);
    QPainter painter(&boxed);
    painter.drawImage(r.x, r.y, picture.scaled(r.w, r.h, Qt::IgnoreAspectRatio, mode));
    painter.end();
    return QPixmap::fromImage(boxed);
}
