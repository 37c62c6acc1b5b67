#include "PingHostName.h"

bool isProbeableHostName(const QString &hostName)
{
    if (hostName.isEmpty() || hostName.size() > 253 || hostName.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : hostName) {
        const ushort u = c.unicode();
        const bool allowed = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.'
            || u == '-' || u == ':';
        if (!allowed)
            return false;
    }
    return true;
}
