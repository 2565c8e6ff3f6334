// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The commands of the main dialog that work the chip: each is one operation
// on it.
#include "framework/Types.h"

bool WorksTheChip(UINT id);
