#pragma once
// Qt forms of icons and pictures, for the framework's own .cpp files.
#include "framework/Wnd.h"

class QIcon;
class QPixmap;

namespace fw {

QIcon IconOf(HICON icon);
const QPixmap& PixmapOf(HICON icon);
// The picture of an image resource, or null when the resource is missing.
const QPixmap* PixmapOfResource(int id);
// Drops every picture loaded from resources: the icons of a table that is
// being replaced. Handles given out before then are no longer valid.
void ForgetLoadedIcons();

} // namespace fw
