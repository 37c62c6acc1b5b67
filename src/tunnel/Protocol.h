#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QProcess>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QTcpSocket;
class QTemporaryFile;
class QTimer;

// Runs one OpenVPN session at a time: downloads the server's configuration,
// writes it and the credentials to two owner-only temporary files, starts
// the OpenVPN program beside the client and follows it through its
// management channel. Owns the process, the socket and both files of the
// current session. Lives on the GUI thread; all signals are emitted there.
class Protocol : public QObject
{
    Q_OBJECT

public:
    explicit Protocol(QObject *parent = nullptr);
    ~Protocol() override;

    void startConnection(const QString &accountName, const QString &password, const QString &configUrl);

    // How long a started session may take to report the tunnel up before
    // it is given up (30 s unless changed).
    void setTunnelUpTimeout(int msec);

signals:
    void newTspSocketStats(QDateTime timestamp, quint64 bytesSent, quint64 bytesReceived);
    void connected();
    void connectionError();
    void serverError(QString message);
    void filesDownloaded();
    void disconnected();

public slots:
    void processReply(QNetworkReply *reply);
    void errorRaised();
    void tryToConnect();
    void tryToDisconect();

private:
    // Management channel (ProtocolManagement.cpp).
    bool openManagement();
    void closeManagement();
    void readManagement();
    void handleManagementLine(const QByteArray &line);
    void managementClosed();

    // Process output (ProtocolOutput.cpp).
    void readProcessOutput();
    void readProcessErrorOutput();
    void processErrorOccurred(QProcess::ProcessError error);
    void processFinished();
    void handleOutputLine(const QString &line);
    QString endingReasonFromLog() const;

    void startDownload();
    void release(QString reason);

    QString accountName;
    QString password;
    QString configUrl;
    QNetworkAccessManager *downloadManager = nullptr;
    bool readyToConnect = false;
    bool isConnected = false;
    QProcess *process = nullptr;
    QTcpSocket *managementSocket = nullptr;
    QTemporaryFile *authFile = nullptr;
    QTemporaryFile *configFile = nullptr;

    bool ownSignalsConnected = false;
    QNetworkReply *pendingReply = nullptr;
    QTimer *tunnelUpTimer = nullptr;
    bool tunnelUp = false;
    bool starting = false;
    bool releasing = false;
    QString startupError;
    QByteArray managementBuffer;
    QByteArray outputBuffer;
    qint64 logStartSize = 0;
};
