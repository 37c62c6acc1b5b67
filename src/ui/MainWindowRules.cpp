#include "MainWindowRules.h"

#include <QCoreApplication>

#include <algorithm>

namespace MainWindowRules {

int pingValue(const QString &ping)
{
    // A text that is not a number counts as 0 (toInt gives 0 on failure).
    return ping.split(QStringLiteral("ms"), Qt::KeepEmptyParts, Qt::CaseSensitive).value(0).toInt();
}

QColor tablePingColour(int value)
{
    if (value >= 250)
        return QColor(176, 31, 31);
    if (value >= 100)
        return QColor(227, 124, 41);
    return QColor(11, 161, 35);
}

QString panelPingStyleSheet(int value)
{
    QString colour;
    if (value > 249)
        colour = QStringLiteral("#b01f1f");
    else if (value >= 100)
        colour = QStringLiteral("#e37c29");
    else
        colour = QStringLiteral("#0ba123");
    const QString gap(50, QLatin1Char(' '));
    return QStringLiteral("QLabel {color: ") + colour + QLatin1Char(';') + gap + QStringLiteral("background: none;")
        + gap + QStringLiteral("border-image: none;}");
}

int bestServerIndex(const QStringList &pings)
{
    int best = -1;
    int bestPing = 999;
    for (int i = 0; i < pings.size(); ++i) {
        const int value = pingValue(pings.at(i));
        if (value < bestPing) {
            best = i;
            bestPing = value;
        }
    }
    return best;
}

QString sessionTimeText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds - 3600 * hours) / 60;
    const qint64 rest = seconds - 3600 * hours - 60 * minutes;
    const QLatin1Char zero('0');
    return QCoreApplication::translate("MainDialogWindow", "Session time: %1:%2:%3")
        .arg(hours, 2, 10, zero)
        .arg(minutes, 2, 10, zero)
        .arg(rest, 2, 10, zero);
}

double mebibits(quint64 bytes)
{
    return static_cast<double>(bytes) * 8.0 / 1048576.0;
}

quint64 wholeMebibytes(quint64 bytes)
{
    return bytes / 1048576;
}

qint64 wholeSecondMs(const QDateTime &timestamp)
{
    return timestamp.toMSecsSinceEpoch() / 1000 * 1000;
}

qint64 timeAxisMaxMs(qint64 firstMs, qint64 lastMs)
{
    return std::max(firstMs + 600 * 1000, lastMs);
}

} // namespace MainWindowRules
