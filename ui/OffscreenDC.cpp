// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/OffscreenDC.h"

#include <cassert>

COffscreenDC::COffscreenDC(CDC* target) : m_previousBitmap(nullptr), m_targetDC(target), m_offscreen(FALSE)
{
    assert(target != nullptr);
    m_offscreen = !target->IsPrinting();
    if (m_offscreen) {
        target->GetClipBox(&m_clipBox);
        CreateCompatibleDC(target);
        // An empty clip box gives no bitmap: drawing then reaches nothing and
        // the copy below moves nothing.
        m_offscreenBitmap.CreateCompatibleBitmap(target, m_clipBox.Width(), m_clipBox.Height());
        m_previousBitmap = SelectObject(&m_offscreenBitmap);
        SetWindowOrg(m_clipBox.left, m_clipBox.top);
    } else {
        m_bPrinting = target->m_bPrinting;
        m_hDC = target->m_hDC;
        m_hAttribDC = target->m_hAttribDC;
    }
}

COffscreenDC::~COffscreenDC()
{
    if (m_offscreen) {
        m_targetDC->BitBlt(m_clipBox.left, m_clipBox.top, m_clipBox.Width(), m_clipBox.Height(), this, m_clipBox.left,
                           m_clipBox.top, SRCCOPY);
        SelectObject(m_previousBitmap);
    } else {
        // The handles are the target's: the base must not delete them.
        m_hAttribDC = nullptr;
        m_hDC = nullptr;
    }
    // No longer selected anywhere; the base then deletes the memory context.
    m_offscreenBitmap.DeleteObject();
}
