#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The system command that measures the round-trip time to one host, and the
// reading of its output into a ping text ("23ms", or "999ms" when there is no
// average). The program, its arguments and its environment differ per OS
// (PingCommand_win.cpp, PingCommand_unix.cpp); both readers are compiled
// everywhere (PingOutput.cpp) so each can be tested on any machine.
namespace PingCommand {

// Ping text for a host without a measured average.
QString noAverage();

// Program to start and its arguments for one host. The host name must have
// passed isProbeableHostName() (PingHostName.h) first.
QString program();
QStringList arguments(const QString &hostName);

// Environment the program runs with.
QProcessEnvironment environment();

// Ping text from the standard output of program(), for this OS.
QString pingText(const QByteArray &output);

// Windows "ping" run through "cmd.exe": the text between "Average = " and the
// next "ms", followed by "ms".
QString windowsPingText(const QByteArray &output);

// iputils "ping" in the C locale: the average of the
// "rtt min/avg/max/mdev = a/b/c/d ms" summary, rounded to whole milliseconds.
QString iputilsPingText(const QByteArray &output);

} // namespace PingCommand
