// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/DesktopHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <iostream>

#include "framework/AppName.h"
#include "framework/Dialog.h"
#include "framework/IniFile.h"
#include "framework/Presentation.h"
#include "framework/QtBridge.h"
#include "framework/Sleep.h"

namespace fw {
namespace {

QWidget* OwnerWidget(CWnd* owner)
{
    QWidget* widget = owner ? WidgetOf(owner->m_hWnd) : nullptr;
    return widget ? widget->window() : nullptr;
}

// "Name|pattern|Name|pattern||" as Qt name filters "Name (pattern)".
QStringList NameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

} // namespace

DesktopHost::DesktopHost(IPortBackend& port, const std::string& iniPath)
    : m_port(port), m_settings(std::make_unique<IniFile>(iniPath, MissingFolders::Create))
{
    m_settings->SetLockProblemHandler([this](const std::string& problem) { TellSettingsProblem(problem); });
}

void DesktopHost::TellSettingsProblem(const std::string& problem)
{
    if (problem == m_settingsProblemTold)
        return;
    m_settingsProblemTold = problem;
    const std::string text = "The settings cannot be saved: " + problem + ".";
    // Before the application object there is no box to show.
    if (!QApplication::instance()) {
        std::cerr << ApplicationName() << ": " << text << '\n';
        return;
    }
    MessageBox(nullptr, text, ApplicationName(), MB_OK | MB_ICONEXCLAMATION);
}

DesktopHost::~DesktopHost() = default;

INT_PTR DesktopHost::RunModal(CDialog& dialog) { return dialog.RunModalLoop(); }

int DesktopHost::MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONEXCLAMATION:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    OwnerWidget(owner));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return IDOK;
}

bool DesktopHost::GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path)
{
    QFileDialog dialog(OwnerWidget(owner));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name need not exist; it is used as typed, without a default
    // suffix. Native dialogs of some desktops insist on an existing file in
    // open mode, so Qt's own dialog is used.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The filter list shows the names only ("Hex File"), not the patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().first().toStdString();
    return true;
}

void DesktopHost::Sleep(std::uint32_t ms) { SleepPresenting(ms); }
std::int64_t DesktopHost::NowMicroseconds() { return MonotonicMicroseconds(); }

ISettingsStore& DesktopHost::Settings() { return *m_settings; }

} // namespace fw
