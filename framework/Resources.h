// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Resources by number: dialog templates as control tables in dialog units,
// strings, and pictures given as pixels. A program installs its table through
// fw::Setup.
#include <cstdint>
#include <span>
#include <string>

#include "framework/Types.h"

enum class ControlKind { PushButton, AutoRadioButton, Edit, GroupBox, Static, Picture, ProgressBar };

struct ControlTemplate {
    int id;             // -1 for controls without an id
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;   // dialog units
    DWORD style;        // WS_TABSTOP, WS_GROUP, BS_DEFPUSHBUTTON, SS_SUNKEN, ...
    int imageId = 0;    // pictures: the bitmap resource shown
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontName;
    int pointSize;
    int cx, cy;         // client area, dialog units
    DWORD style;        // WS_*, DS_*
    DWORD exStyle;      // WS_EX_*
    std::span<const ControlTemplate> controls;
};

// A picture: width x height pixels, 0xAARRGGBB, rows top to bottom.
struct ImageResource {
    int width;
    int height;
    const std::uint32_t* pixels;
};

class ResourceTable {
public:
    virtual ~ResourceTable() = default;
    virtual const DialogTemplate* Dialog(int id) const = 0;
    virtual std::string String(UINT id) const = 0;         // empty when missing
    virtual const ImageResource* Image(int id) const = 0;  // icons and bitmaps
};

namespace fw {

void InstallResources(const ResourceTable* table);
const ResourceTable* InstalledResources();

} // namespace fw
