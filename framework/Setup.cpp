// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Setup.h"

#include <utility>

#include "framework/Host.h"
#include "framework/IconImpl.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace fw {

Setup::Setup(IHost& host, const ResourceTable* resources, std::string helpText)
    : m_previousHost(InstallHost(&host)), m_resources(resources), m_previousResources(InstalledResources()),
      m_previousHelpText(SetHelpText(std::move(helpText)))
{
    InstallResources(resources);
}

Setup::~Setup()
{
    SetCommandHooks({});
    if (m_resources != m_previousResources)
        ForgetIconsOf(m_resources);
    InstallResources(m_previousResources);
    SetHelpText(std::move(m_previousHelpText));
    InstallHost(m_previousHost);
}

} // namespace fw
