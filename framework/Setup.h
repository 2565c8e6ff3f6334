// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a program, a test or a benchmark installs into the framework, stated in
// one place: the host (which brings the port back end), the resource table and
// the help text. They stay installed for the life of the Setup object. When it
// ends, the state the framework keeps for the whole process is put back: the
// previous host, resources and help text, no command hooks, and no icons
// loaded from the resources it brought (those of the previous resources stay
// valid throughout).
#include <string>

class ResourceTable;

namespace fw {

class IHost;

class Setup {
public:
    explicit Setup(IHost& host, const ResourceTable* resources = nullptr, std::string helpText = {});
    ~Setup();
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

private:
    IHost* m_previousHost;
    const ResourceTable* m_resources;
    const ResourceTable* m_previousResources;
    std::string m_previousHelpText;
};

} // namespace fw
