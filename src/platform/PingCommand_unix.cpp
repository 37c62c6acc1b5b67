#include "PingCommand.h"

namespace PingCommand {

QString program()
{
    return QStringLiteral("ping");
}

QStringList arguments(const QString &hostName)
{
    // Two echo requests 0.2 s apart (the shortest interval ping allows every
    // user; a round over many servers runs only two probes at a time), one
    // second for each reply, numeric output so ping never looks the address
    // up in reverse DNS.
    return {QStringLiteral("-n"), QStringLiteral("-c"),  QStringLiteral("2"),
            QStringLiteral("-i"), QStringLiteral("0.2"), QStringLiteral("-W"),
            QStringLiteral("1"),  QStringLiteral("--"),  hostName};
}

QProcessEnvironment environment()
{
    // The C locale gives the English summary with a decimal point.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return env;
}

QString pingText(const QByteArray &output)
{
    return iputilsPingText(output);
}

} // namespace PingCommand
