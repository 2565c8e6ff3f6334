// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/TestHost.h"

#include <numeric>

#include "framework/Dialog.h"
#include "framework/Presentation.h"

namespace test {
TestHost::TestHost() : m_ini(m_dir.File("brovik.INI")) {}

INT_PTR TestHost::RunModal(CDialog& dialog)
{
    modalTemplates.push_back(dialog.TemplateId());
    journal.push_back({Event::Modal, std::to_string(dialog.TemplateId()), 0});
    return onModal ? onModal(dialog) : IDOK;
}

int TestHost::MessageBox(CWnd*, const std::string& text, const std::string& caption, UINT type)
{
    boxes.push_back({text, caption, type & MB_ICONMASK});
    journal.push_back({Event::Box, text, 0});
    if (onBox)
        onBox(boxes.back());
    return IDOK;
}

bool TestHost::GetOpenFileName(CWnd*, const std::string& filter, std::string& path)
{
    journal.push_back({Event::FileDialog, filter, 0});
    return onOpenFile && onOpenFile(path);
}

void TestHost::Sleep(std::uint32_t ms)
{
    fw::PresentPaints();
    sleeps.push_back(ms);
    journal.push_back({Event::Sleep, {}, ms});
    m_clock.Advance(ms);
}

std::uint32_t TestHost::TotalSleptMs() const { return std::accumulate(sleeps.begin(), sleeps.end(), 0u); }

std::vector<std::string> TestHost::BoxTexts() const
{
    std::vector<std::string> texts;
    for (const auto& box : boxes)
        texts.push_back(box.text);
    return texts;
}

} // namespace test
