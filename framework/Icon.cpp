#include "framework/Icon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <map>
#include <memory>

#include "framework/IconImpl.h"
#include "framework/Resources.h"

struct FwIcon {
    QPixmap pixmap;
};

namespace fw {
namespace {

std::map<int, std::unique_ptr<FwIcon>>& Loaded()
{
    static std::map<int, std::unique_ptr<FwIcon>> icons;
    return icons;
}

} // namespace

void ForgetLoadedIcons() { Loaded().clear(); }

const QPixmap* PixmapOfResource(int id)
{
    auto& loaded = Loaded();
    if (auto it = loaded.find(id); it != loaded.end())
        return &it->second->pixmap;
    const ResourceTable* table = InstalledResources();
    const ImageResource* image = table ? table->Image(id) : nullptr;
    if (!image)
        return nullptr;
    const QImage picture(reinterpret_cast<const uchar*>(image->pixels), image->width, image->height,
                         image->width * 4, QImage::Format_ARGB32);
    auto icon = std::make_unique<FwIcon>();
    icon->pixmap = QPixmap::fromImage(picture.copy());
    return &loaded.emplace(id, std::move(icon)).first->second->pixmap;
}

HICON LoadIconResource(int id)
{
    if (!PixmapOfResource(id))
        return nullptr;
    return Loaded().at(id).get();
}

QIcon IconOf(HICON icon) { return icon ? QIcon(icon->pixmap) : QIcon(); }
const QPixmap& PixmapOf(HICON icon) { return icon->pixmap; }

} // namespace fw
