// SPDX-License-Identifier: GPL-2.0-or-later
// Automatic radio-button groups: ticking one button clears the others of its
// group, and the arrow keys move within the group as a click would.
#include <QAbstractButton>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "framework/Styles.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

std::vector<HWND> RadioButtonsOfGroup(HWND control)
{
    const auto& siblings = control->parent->children;
    auto first = std::find(siblings.begin(), siblings.end(), control);
    while (first != siblings.begin() && !((*first)->style & WS_GROUP))
        --first;
    std::vector<HWND> radios;
    for (auto it = first; it != siblings.end(); ++it) {
        if (it != first && ((*it)->style & WS_GROUP))
            break;
        if ((*it)->kind == ControlKind::AutoRadioButton)
            radios.push_back(*it);
    }
    return radios;
}

} // namespace

void TickInGroup(HWND radio)
{
    for (HWND other : RadioButtonsOfGroup(radio))
        if (other != radio)
            SendMessageTo(other, BM_SETCHECK, BST_UNCHECKED);
    SendMessageTo(radio, BM_SETCHECK, BST_CHECKED);
}

bool MoveInGroup(HWND focus, int step)
{
    if (!focus || !focus->parent || focus->kind != ControlKind::AutoRadioButton)
        return false;
    std::vector<HWND> radios = RadioButtonsOfGroup(focus);
    std::erase_if(radios, [focus](HWND r) { return r != focus && !r->widget->isEnabled(); });
    const auto count = static_cast<long>(radios.size());
    const long here = std::find(radios.begin(), radios.end(), focus) - radios.begin();
    HWND next = radios[static_cast<std::size_t>(((here + step) % count + count) % count)];
    next->widget->setFocus(Qt::TabFocusReason);
    static_cast<QAbstractButton*>(next->widget)->click();
    return true;
}

} // namespace fw
