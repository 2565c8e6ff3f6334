// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Qt forms of icons and pictures, for the framework's own .cpp files.
#include "framework/Wnd.h"

class ResourceTable;

class QIcon;
class QPixmap;

namespace fw {

QIcon IconOf(HICON icon);
const QPixmap& PixmapOf(HICON icon);
// The picture of an image resource, or null when the resource is missing.
const QPixmap* PixmapOfResource(int id);
// Drops the pictures loaded from table, which is going away. Handles to
// them are no longer valid; those of other tables stay.
void ForgetIconsOf(const ResourceTable* table);

} // namespace fw
