#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The main window's arithmetic and colour rules, kept apart from the widgets
// so they can be checked from tables.
namespace MainWindowRules {

// The number in front of "ms"; anything that does not read as a number is 0.
int pingValue(const QString &ping);

// Table cell colour for a round-trip time: green, orange or red.
QColor tablePingColour(int value);

// Style sheet of the current server's ping label for a round-trip time.
QString panelPingStyleSheet(int value);

// Index of the entry with the lowest round-trip time below 999 (ties go to
// the earlier entry), or -1 when no entry qualifies.
int bestServerIndex(const QStringList &pings);

// "Session time: HH:MM:SS" for a session of the given length; hours keep
// growing past 99.
QString sessionTimeText(qint64 seconds);

// Byte counter as mebibits, in double precision so large counts stay exact.
double mebibits(quint64 bytes);

// Whole mebibytes, truncated.
quint64 wholeMebibytes(quint64 bytes);

// The sample time truncated to its whole second, in ms since the epoch.
qint64 wholeSecondMs(const QDateTime &timestamp);

// The time axis spans at least ten minutes from the first point.
qint64 timeAxisMaxMs(qint64 firstMs, qint64 lastMs);

} // namespace MainWindowRules
