#pragma once
#include "framework/Resources.h"

// The program's dialog templates, strings, icon and logo.
const ResourceTable& BrovikResources();
