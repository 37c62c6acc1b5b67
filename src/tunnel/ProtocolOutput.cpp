#include "Protocol.h"

#include "ProtocolLines.h"
#include "ProtocolLog.h"

#include <QFile>

namespace {

// Enough to find the last error of a session without reading a huge log.
const qint64 logTailLimit = 1024 * 1024;

} // namespace

void Protocol::readProcessOutput()
{
    if (!process)
        return;
    const QByteArray bytes = process->readAllStandardOutput();
    qCDebug(lcTunnel) << "[OUTPUT:]" << bytes;
    outputBuffer += bytes;
    const QList<QByteArray> lines = ProtocolLines::takeCompleteLines(outputBuffer);
    for (const QByteArray &line : lines) {
        handleOutputLine(QString::fromLocal8Bit(line));
        if (!process)
            return;
    }
}

void Protocol::readProcessErrorOutput()
{
    if (!process)
        return;
    qCDebug(lcTunnel) << "[ERROR:]" << process->readAllStandardError();
}

void Protocol::handleOutputLine(const QString &line)
{
    if (!ProtocolLines::isErrorLine(line))
        return;
    // While the connect sequence is still blocking, it ends the session
    // itself once its wait returns.
    if (starting) {
        if (startupError.isEmpty())
            startupError = line;
        return;
    }
    release(line);
}

void Protocol::processErrorOccurred(QProcess::ProcessError error)
{
    qCCritical(lcTunnel) << "OpenVPN process error:" << error;
    // A crash ends the session; the finished handler reports it.
    if (error == QProcess::Crashed)
        return;
    if (starting) {
        if (startupError.isEmpty())
            startupError = tr("Something goes wrong...");
        return;
    }
    emit serverError(tr("Something goes wrong..."));
}

void Protocol::processFinished()
{
    if (starting || releasing || !process)
        return;
    readProcessOutput();
    // A last line without its line ending still counts once the program
    // is gone.
    if (process && !outputBuffer.isEmpty()) {
        const QString rest = QString::fromLocal8Bit(outputBuffer);
        outputBuffer.clear();
        handleOutputLine(rest);
    }
    if (process)
        release(endingReasonFromLog());
}

QString Protocol::endingReasonFromLog() const
{
    QFile log(QStringLiteral("openvpn.log"));
    QString line;
    if (log.open(QIODevice::ReadOnly)) {
        qint64 from = log.size() >= logStartSize ? logStartSize : 0;
        from = qMax(from, log.size() - logTailLimit);
        log.seek(from);
        line = ProtocolLines::lastErrorLine(log.readAll());
    }
    if (line.isEmpty())
        return tr("The VPN connection ended unexpectedly.");
    return line;
}
