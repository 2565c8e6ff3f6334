// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Icon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <map>
#include <memory>
#include <utility>

#include "framework/IconImpl.h"
#include "framework/Resources.h"

struct FwIcon {
    QPixmap pixmap;
};

namespace fw {
namespace {

// Loaded pictures by table and id: two tables never share a picture.
using IconKey = std::pair<const ResourceTable*, int>;

std::map<IconKey, std::unique_ptr<FwIcon>>& Loaded()
{
    static std::map<IconKey, std::unique_ptr<FwIcon>> icons;
    return icons;
}

FwIcon* LoadedIcon(int id)
{
    const ResourceTable* table = InstalledResources();
    auto& loaded = Loaded();
    if (auto it = loaded.find({table, id}); it != loaded.end())
        return it->second.get();
    const ImageResource* image = table ? table->Image(id) : nullptr;
    if (!image)
        return nullptr;
    const QImage picture(reinterpret_cast<const uchar*>(image->pixels), image->width, image->height,
                         image->width * 4, QImage::Format_ARGB32);
    auto icon = std::make_unique<FwIcon>();
    icon->pixmap = QPixmap::fromImage(picture.copy());
    return loaded.emplace(IconKey{table, id}, std::move(icon)).first->second.get();
}

} // namespace

void ForgetIconsOf(const ResourceTable* table)
{
    std::erase_if(Loaded(), [table](const auto& entry) { return entry.first.first == table; });
}

const QPixmap* PixmapOfResource(int id)
{
    FwIcon* icon = LoadedIcon(id);
    return icon ? &icon->pixmap : nullptr;
}

HICON LoadIconResource(int id) { return LoadedIcon(id); }

QIcon IconOf(HICON icon) { return icon ? QIcon(icon->pixmap) : QIcon(); }
const QPixmap& PixmapOf(HICON icon) { return icon->pixmap; }

} // namespace fw
