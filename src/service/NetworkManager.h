#pragma once

#include "ServiceData.h"

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// The client of the service API: sends the startup, login, server-list and
// report requests and one flag-image request per server, and keeps the
// records built from the replies. Everything runs on the GUI thread; the
// signals are emitted from the reply handlers there.
class NetworkManager : public QObject
{
    Q_OBJECT

public:
    // Talks to BuildConfig::apiBaseUrl().
    explicit NetworkManager(QObject *parent = nullptr);
    // Talks to another base URL ("https://host:port", no trailing slash).
    explicit NetworkManager(const QString &apiBaseUrl, QObject *parent = nullptr);
    ~NetworkManager() override;

    void setCredentials(const QString &userName, const QString &password);

    QString errorMessage() const;
    StartupData startupData() const;
    LoginData loginData() const;
    AccessFlags accessFlags() const;
    ServerList serverList() const;
    FlagImages flagImages() const;

public slots:
    void makeLoginRequest();
    void makeServerListRequest();
    void makeStartupRequest();
    void makeReportRequest(QString errorServerHostname, QString errorServerMessage);

signals:
    void loginResponceFinished();
    void serverListResponceFinished();
    void startUpResponceFinished();
    void loginErrorOccurred();
    void serverListErrorOccured();
    void startupErrorOccurred();

private:
    QNetworkReply *post(const QUrl &url, const QByteArray &body);
    void onStartupReply(QNetworkReply *reply);
    void onLoginReply(QNetworkReply *reply);
    void onServerListReply(QNetworkReply *reply);
    void requestFlagImages();
    void requestFlagImage(const QString &hostname, const QString &url);
    void onFlagImageReply(const QString &hostname, QNetworkReply *reply);
    QUrl serviceUrl(const QString &path) const;

    // The accessors carry the record names, so the members that hold the
    // records are called current...
    int flagRepliesFinished = 0;
    QNetworkAccessManager *accessManager = nullptr;
    LoginData currentLoginData;
    AccessFlags currentAccessFlags;
    ServerList currentServerList;
    FlagImages currentFlagImages;
    StartupData currentStartupData;
    QString currentErrorMessage;
    QString accountPassword;
    QString accountEmail;
    QString apiBaseUrl;
};
