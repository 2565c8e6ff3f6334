// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/ToolkitMessages.h"

#include <QtGlobal>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "framework/AppName.h"

namespace {

// The context's texts are Qt's own literals, so pointers to them keep.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler g_previous = nullptr;
std::string g_prefix;  // put before each message that goes on, when set
bool g_starting = false;
std::vector<HeldMessage> g_held;  // what start-up said, until it is known to have worked

bool IsRuntimeFolderWarning(const QString& text)
{
    return text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

// Qt's last word lists the platform plugins it has ("Available platform
// plugins are: eglfs, ..., xcb."); the Wayland ones are all named
// "wayland...".
bool WaylandPluginMissing(const QString& fatalText)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    static const QString listStart = QStringLiteral("Available platform plugins are:");
    const qsizetype at = fatalText.indexOf(listStart);
    if (at < 0)
        return false;
    const QStringList plugins = fatalText.mid(at + listStart.size()).split(QLatin1Char(','));
    for (const QString& plugin : plugins)
        if (plugin.trimmed().startsWith(QStringLiteral("wayland")))
            return false;
    return true;
}

void PassOn(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!g_prefix.empty())
        std::fprintf(stderr, "%s%s\n", g_prefix.c_str(), qPrintable(text));
    else if (g_previous)
        g_previous(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void OnToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (IsRuntimeFolderWarning(text))
        return;
    if (!g_starting) {
        PassOn(type, context, text);
        return;
    }
    if (type == QtFatalMsg) {
        // Qt gives up only when no platform could be opened: no display, or
        // none that an installed plugin can reach.
        if (WaylandPluginMissing(text))
            std::fprintf(stderr,
                         "%s: a Wayland display was found (WAYLAND_DISPLAY=%s), but Qt's Wayland plugin is not "
                         "installed; install the Debian package qt6-wayland, or set QT_QPA_PLATFORM=xcb to use X "
                         "instead\n",
                         fw::ApplicationName().c_str(), qgetenv("WAYLAND_DISPLAY").constData());
        else
            std::fprintf(stderr, "%s: no display found; set DISPLAY or WAYLAND_DISPLAY, or use brovik-cli\n",
                         fw::ApplicationName().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_held.push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

namespace fw {

void FilterToolkitMessages()
{
    if (!g_previous)
        g_previous = qInstallMessageHandler(OnToolkitMessage);
}

void PrefixToolkitMessages(const std::string& prefix)
{
    g_prefix = prefix;
    FilterToolkitMessages();
}

void StartToolkit(const std::function<void()>& start)
{
    FilterToolkitMessages();
    g_starting = true;
    start();
    g_starting = false;
    for (const HeldMessage& message : std::exchange(g_held, {}))
        PassOn(message.type, QMessageLogContext(message.file, message.line, message.function, message.category),
               message.text);
}

} // namespace fw
