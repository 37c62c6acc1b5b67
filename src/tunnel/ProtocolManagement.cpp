#include "Protocol.h"

#include "ProtocolLines.h"
#include "ProtocolLog.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

const char managementHost[] = "localhost";
const quint16 managementPort = 60505;
const int managementAttempts = 5;
const int managementConnectTimeout = 30000;
const int managementRetryPause = 1000;
const int managementCloseTimeout = 30000;

} // namespace

bool Protocol::openManagement()
{
    managementSocket = new QTcpSocket(this);
    connect(managementSocket, &QTcpSocket::readyRead, this, &Protocol::readManagement, Qt::DirectConnection);
    managementSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    bool open = false;
    for (int attempt = 0; attempt < managementAttempts; ++attempt) {
        managementSocket->connectToHost(QLatin1String(managementHost), managementPort, QIODevice::ReadWrite,
                                        QAbstractSocket::AnyIPProtocol);
        if (managementSocket->waitForConnected(managementConnectTimeout)) {
            open = true;
            break;
        }
        const QAbstractSocket::SocketError error = managementSocket->error();
        const QString errorText = managementSocket->errorString();
        managementSocket->abort();
        // The pause doubles as a watch on the program: a refused password
        // makes OpenVPN exit before its management port ever opens.
        const bool ended = process->state() == QProcess::NotRunning || process->waitForFinished(managementRetryPause);
        qCWarning(lcTunnel) << "Retrying management...";
        if (ended || !startupError.isEmpty() || attempt == managementAttempts - 1) {
            qCCritical(lcTunnel) << "Unable to connect to management" << error << errorText;
            break;
        }
    }
    if (!open)
        return false;

    connect(managementSocket, &QTcpSocket::disconnected, this, &Protocol::managementClosed);
    qCDebug(lcTunnel) << "TcpSocketEnable";
    managementSocket->write("bytecount 1\n");
    // The tunnel may already be up, so ask for the current state as well.
    managementSocket->write("state on\n");
    managementSocket->write("state\n");
    managementSocket->flush();
    return true;
}

void Protocol::closeManagement()
{
    if (!managementSocket)
        return;
    QTcpSocket *socket = managementSocket;
    managementSocket = nullptr;
    socket->disconnect(this);
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
        socket->waitForDisconnected(managementCloseTimeout);
    // We may be inside its own readyRead.
    socket->deleteLater();
}

void Protocol::readManagement()
{
    if (!managementSocket)
        return;
    managementBuffer += managementSocket->readAll();
    const QList<QByteArray> lines = ProtocolLines::takeCompleteLines(managementBuffer);
    for (const QByteArray &line : lines) {
        handleManagementLine(line);
        // A receiver may have ended the session.
        if (!managementSocket)
            return;
    }
}

void Protocol::handleManagementLine(const QByteArray &line)
{
    qCDebug(lcTunnel) << line;
    const QString trimmed = QString::fromLatin1(line).trimmed();

    if (ProtocolLines::reportsTunnelUp(trimmed)) {
        if (!tunnelUp) {
            tunnelUp = true;
            tunnelUpTimer->stop();
            emit connected();
        }
        return;
    }

    quint64 bytesIn = 0;
    quint64 bytesOut = 0;
    if (ProtocolLines::readByteCount(trimmed, &bytesIn, &bytesOut))
        emit newTspSocketStats(QDateTime::currentDateTime(), bytesOut, bytesIn);
    else
        qCWarning(lcTunnel) << "Wrong line format";
}

void Protocol::managementClosed()
{
    // OpenVPN closes its end only when it is going away.
    if (process && !releasing)
        release(endingReasonFromLog());
}
