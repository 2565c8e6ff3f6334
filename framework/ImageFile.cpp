// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/ImageFile.h"

#include <QImage>
#include <QString>

namespace fw {

bool SaveImageAsPng(const ImageResource& image, const std::string& path)
{
    const QImage picture(reinterpret_cast<const uchar*>(image.pixels), image.width, image.height, image.width * 4,
                         QImage::Format_ARGB32);
    return picture.save(QString::fromStdString(path), "PNG");
}

} // namespace fw
