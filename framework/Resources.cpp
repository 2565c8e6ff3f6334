// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Resources.h"

namespace fw {
namespace {
const ResourceTable* g_resources = nullptr;
}

void InstallResources(const ResourceTable* table) { g_resources = table; }
const ResourceTable* InstalledResources() { return g_resources; }

} // namespace fw
