#include "framework/ToolkitMessages.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace fw {
namespace {

std::string& Prefix()
{
    static std::string prefix;
    return prefix;
}

void WithPrefix(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%s%s\n", Prefix().c_str(), message.toLocal8Bit().constData());
}

} // namespace

void PrefixToolkitMessages(const std::string& prefix)
{
    Prefix() = prefix;
    qInstallMessageHandler(WithPrefix);
}

} // namespace fw
