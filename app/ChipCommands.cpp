// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ChipCommands.h"

#include "res/resource.h"

bool WorksTheChip(UINT id)
{
    switch (id) {
    case IDC_ERASE:
    case IDC_BLANK:
    case IDC_PROGRAM:
    case IDC_VERIFY:
    case IDC_AUTO:
    case IDC_LOCKBIT:
        return true;
    default:
        return false;
    }
}
