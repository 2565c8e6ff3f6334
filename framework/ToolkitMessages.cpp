#include "framework/ToolkitMessages.h"

#include <QtGlobal>
#include <QString>

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
        // Qt gives up only when no platform could be opened: no display.
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
