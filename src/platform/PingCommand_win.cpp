#include "PingCommand.h"

namespace PingCommand {

QString program()
{
    return QStringLiteral("cmd.exe");
}

QStringList arguments(const QString &hostName)
{
    // Code page 861 first, then two requests with a 500 ms reply timeout.
    return {QStringLiteral("/c"),   QStringLiteral("chcp 861"), QStringLiteral("&&"),
            QStringLiteral("ping"), QStringLiteral("-n"),       QStringLiteral("2"),
            QStringLiteral("-w"),   QStringLiteral("500"),      hostName};
}

QProcessEnvironment environment()
{
    return QProcessEnvironment::systemEnvironment();
}

QString pingText(const QByteArray &output)
{
    return windowsPingText(output);
}

} // namespace PingCommand
