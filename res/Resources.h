// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include "framework/Resources.h"

// The program's dialog templates, strings, icon and logo.
const ResourceTable& BrovikResources();
