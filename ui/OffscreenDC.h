// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A context that a paint handler lays over the context it paints on (the
// target) and draws into instead. Drawing goes to a bitmap covering exactly
// the target's clip box, copied to the target in one block when this object
// is destroyed, so the window never shows a half-drawn picture. A printing
// target is drawn on directly. Callers use the target's coordinates.
#include "framework/Dc.h"
#include "framework/Gdi.h"

class COffscreenDC : public CDC {
public:
    explicit COffscreenDC(CDC* target);
    ~COffscreenDC() override;

private:
    CBitmap m_offscreenBitmap;
    CBitmap* m_previousBitmap;
    CDC* m_targetDC;
    CRect m_clipBox;
    BOOL m_offscreen;
};
