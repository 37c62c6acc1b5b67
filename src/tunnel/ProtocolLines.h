#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Pure readers of what OpenVPN sends the tunnel driver: management lines,
// console lines and its log. No state, no I/O; Protocol feeds them.
namespace ProtocolLines {

// Removes every complete line (ended by a line feed) from the front of
// buffer and returns them without their line ending (LF or CR LF). An
// incomplete last line stays in buffer until the rest of it arrives.
QList<QByteArray> takeCompleteLines(QByteArray &buffer);

// A byte-count report, read from a trimmed management line: the text after
// the 11 characters of ">BYTECOUNT:" must hold exactly two comma-separated
// fields, bytes in then bytes out. A field that is not a decimal number
// reads as 0. Returns false for any other line.
bool readByteCount(const QString &trimmedLine, quint64 *bytesIn, quint64 *bytesOut);

// Whether a trimmed management line reports the tunnel as up: a ">STATE:"
// notification or a reply line of the "state" command whose state is
// CONNECTED with the result SUCCESS.
bool reportsTunnelUp(const QString &trimmedLine);

// Whether a console or log line reports an error that ends the session.
bool isErrorLine(const QString &line);

// The last line of an OpenVPN log excerpt that isErrorLine() accepts, or
// an empty string when none does.
QString lastErrorLine(const QByteArray &logText);

} // namespace ProtocolLines
