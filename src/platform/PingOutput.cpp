#include "PingCommand.h"

#include <QtMath>

#include <cmath>

namespace PingCommand {

QString noAverage()
{
    return QStringLiteral("999ms");
}

QString windowsPingText(const QByteArray &output)
{
    // The console output may carry a NUL; nothing after it is text.
    const int nul = output.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? output : output.left(nul));
    const QLatin1String marker("Average = ");
    const int found = text.indexOf(marker);
    if (found < 0)
        return noAverage();
    const int valueStart = found + marker.size();
    const int valueEnd = text.indexOf(QLatin1String("ms"), valueStart);
    const QString value = valueEnd < 0 ? text.mid(valueStart) : text.mid(valueStart, valueEnd - valueStart);
    return value + QLatin1String("ms");
}

QString iputilsPingText(const QByteArray &output)
{
    const QByteArray marker("rtt min/avg/max/mdev = ");
    const int found = output.indexOf(marker);
    if (found < 0)
        return noAverage();
    int lineEnd = output.indexOf('\n', found);
    if (lineEnd < 0)
        lineEnd = output.size();
    const QByteArray values = output.mid(found + marker.size(), lineEnd - found - marker.size());
    const QList<QByteArray> parts = values.split('/');
    if (parts.size() < 4)
        return noAverage();
    bool ok = false;
    const double average = parts.at(1).trimmed().toDouble(&ok);
    // A negative, infinite or absurd figure is not a measurement.
    if (!ok || !std::isfinite(average) || average < 0 || average >= 1e6)
        return noAverage();
    return QString::number(qRound(average)) + QLatin1String("ms");
}

} // namespace PingCommand
