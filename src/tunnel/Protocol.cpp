#include "Protocol.h"

#include "Platform.h"
#include "ProtocolLog.h"
#include "ServiceRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcTunnel, "velmora.tunnel")

namespace {

const int defaultTunnelUpTimeout = 30000;
const int processStartTimeout = 30000;

// Both session files hold secrets (the password, the configuration's keys),
// so only their owner may read them.
void restrictToOwner(const QString &fileName)
{
    QFile file(fileName);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

Protocol::Protocol(QObject *parent)
    : QObject(parent)
    , downloadManager(new QNetworkAccessManager)
    , tunnelUpTimer(new QTimer(this))
{
    tunnelUpTimer->setSingleShot(true);
    tunnelUpTimer->setInterval(defaultTunnelUpTimeout);
    connect(tunnelUpTimer, &QTimer::timeout, this, [this] {
        if (process && !tunnelUp)
            release(tr("The VPN server could not be reached."));
    });
}

Protocol::~Protocol()
{
    // Normally released already; never leave an orphaned OpenVPN behind.
    if (process) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
    delete downloadManager;
}

void Protocol::setTunnelUpTimeout(int msec)
{
    tunnelUpTimer->setInterval(msec);
}

void Protocol::startConnection(const QString &accountName, const QString &password, const QString &configUrl)
{
    this->accountName = accountName;
    this->password = password;
    this->configUrl = configUrl;

    if (process || managementSocket || authFile || configFile)
        tryToDisconect();

    isConnected = false;
    readyToConnect = true;

    if (!ownSignalsConnected) {
        connect(this, &Protocol::connectionError, this, &Protocol::errorRaised);
        connect(this, &Protocol::filesDownloaded, this, &Protocol::tryToConnect);
        ownSignalsConnected = true;
    }

    startDownload();
}

void Protocol::startDownload()
{
    // Only the newest download may start a session; an older one would
    // leave a second configuration file behind.
    if (pendingReply) {
        QNetworkReply *old = pendingReply;
        pendingReply = nullptr;
        old->abort();
        old->deleteLater();
    }

    const QNetworkRequest request = ServiceRequest::make(QUrl(configUrl, QUrl::TolerantMode));
    QNetworkReply *reply = downloadManager->get(request);
    pendingReply = reply;
    connect(reply, &QNetworkReply::finished, reply, [this, reply] { processReply(reply); });
}

void Protocol::processReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != pendingReply)
        return;
    pendingReply = nullptr;

    if (reply->error() != QNetworkReply::NoError) {
        emit connectionError();
        tryToDisconect();
        return;
    }

    QByteArray body = reply->readAll();
    const int nul = body.indexOf('\0');
    if (nul >= 0)
        body.truncate(nul);
    const QString text = QString::fromUtf8(body) + QLatin1String("log-append openvpn.log");

    delete configFile;
    configFile = new QTemporaryFile(this);
    if (!configFile->open()) {
        tryToDisconect();
        return;
    }
    restrictToOwner(configFile->fileName());

    // The text carries the server's keys; only its size goes to the log.
    qCDebug(lcTunnel) << "Configuration downloaded," << body.size() << "bytes";
    configFile->write(text.toUtf8());
    configFile->close();
    emit filesDownloaded();
}

void Protocol::errorRaised()
{
    readyToConnect = true;
}

void Protocol::tryToConnect()
{
    if (isConnected || process)
        return;
    if (!readyToConnect || !configFile) {
        emit serverError(tr("Something goes wrong..."));
        return;
    }

    process = new QProcess;
    connect(process, &QProcess::readyReadStandardOutput, this, &Protocol::readProcessOutput, Qt::DirectConnection);
    connect(process, &QProcess::readyReadStandardError, this, &Protocol::readProcessErrorOutput, Qt::DirectConnection);
    connect(process, &QProcess::errorOccurred, this, &Protocol::processErrorOccurred, Qt::DirectConnection);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &Protocol::processFinished,
            Qt::DirectConnection);

    authFile = new QTemporaryFile(this);
    if (!authFile->open()) {
        qCCritical(lcTunnel) << "Unable to create temporary auth file";
        tryToDisconect();
        return;
    }
    restrictToOwner(authFile->fileName());
    const QByteArray credentials = accountName.toLatin1() + '\n' + password.toLatin1();
    if (authFile->write(credentials) == -1) {
        qCCritical(lcTunnel) << "Unable to write temporary auth file";
        tryToDisconect();
        return;
    }
    authFile->close();

    const QStringList arguments = {QStringLiteral("--config"), configFile->fileName(),
                                   QStringLiteral("--auth-user-pass"), authFile->fileName()};

    // What OpenVPN logs in this session starts here; on an unexpected end
    // the reason is read from that part only.
    logStartSize = QFileInfo(QStringLiteral("openvpn.log")).size();

    starting = true;
    process->start(Platform::openVpnProgramPath(), arguments, QIODevice::ReadWrite);
    if (!process->waitForStarted(processStartTimeout)) {
        qCCritical(lcTunnel) << "Unable to start";
        const QString reason = startupError;
        release(reason);
        return;
    }
    tunnelUpTimer->start();

    const bool managementOpen = openManagement();
    starting = false;

    if (!startupError.isEmpty()) {
        const QString reason = startupError;
        release(reason);
        return;
    }
    if (process->state() == QProcess::NotRunning) {
        release(endingReasonFromLog());
        return;
    }
    if (!managementOpen) {
        tryToDisconect();
        return;
    }
    isConnected = true;
}

void Protocol::tryToDisconect()
{
    release(QString());
}

void Protocol::release(QString reason)
{
    // A release can be reached again from notifications of the objects it
    // is stopping; the first one does the work.
    if (releasing)
        return;
    releasing = true;

    tunnelUpTimer->stop();
    closeManagement();

    if (process) {
        QProcess *stopping = process;
        process = nullptr;
        // Detached first, so our own terminate or kill is not reported as
        // an OpenVPN failure.
        stopping->disconnect(this);
        if (stopping->state() != QProcess::NotRunning) {
            stopping->terminate();
            if (!stopping->waitForFinished(60)) {
                stopping->kill();
                stopping->waitForFinished(5000);
            }
        }
        // We may be inside one of its own notifications.
        stopping->deleteLater();
    }

    delete authFile;
    authFile = nullptr;
    delete configFile;
    configFile = nullptr;

    isConnected = false;
    tunnelUp = false;
    starting = false;
    startupError.clear();
    managementBuffer.clear();
    outputBuffer.clear();
    releasing = false;

    if (!reason.isEmpty())
        emit serverError(reason);
    emit disconnected();
}
