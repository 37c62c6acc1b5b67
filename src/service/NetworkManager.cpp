#include "NetworkManager.h"

#include "BuildConfig.h"
#include "ServiceRequest.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

Q_LOGGING_CATEGORY(lcService, "velmora.service")

namespace {

// The contents of a JSON string: quotation mark, backslash and control
// characters escaped, everything else as it is.
QString jsonStringContents(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

int httpStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// "key=value&..." with every value percent-encoded as a query component, so
// '+', '&', '=' and '%' in a value reach the service as typed.
QString encodedQuery(const QList<QPair<QString, QString>> &items)
{
    QStringList parts;
    for (const auto &item : items)
        parts << item.first + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(item.second));
    return parts.join(QLatin1Char('&'));
}

} // namespace

NetworkManager::NetworkManager(QObject *parent)
    : NetworkManager(BuildConfig::apiBaseUrl(), parent)
{
}

NetworkManager::NetworkManager(const QString &baseUrl, QObject *parent)
    : QObject(parent)
    , accessManager(new QNetworkAccessManager)
    , apiBaseUrl(baseUrl)
{
}

NetworkManager::~NetworkManager()
{
    delete accessManager;
}

void NetworkManager::setCredentials(const QString &userName, const QString &password)
{
    accountEmail = userName;
    accountPassword = password;
}

QString NetworkManager::errorMessage() const
{
    return currentErrorMessage;
}

StartupData NetworkManager::startupData() const
{
    return currentStartupData;
}

LoginData NetworkManager::loginData() const
{
    return currentLoginData;
}

AccessFlags NetworkManager::accessFlags() const
{
    return currentAccessFlags;
}

ServerList NetworkManager::serverList() const
{
    return currentServerList;
}

FlagImages NetworkManager::flagImages() const
{
    return currentFlagImages;
}

QUrl NetworkManager::serviceUrl(const QString &path) const
{
    return QUrl(apiBaseUrl + path, QUrl::TolerantMode);
}

QNetworkReply *NetworkManager::post(const QUrl &url, const QByteArray &body)
{
    return accessManager->post(ServiceRequest::make(url), body);
}

void NetworkManager::makeLoginRequest()
{
    const QString body = QStringLiteral("{\"email\": \"%1\", \"password\": \"%2\"}")
                             .arg(jsonStringContents(accountEmail), jsonStringContents(accountPassword));
    QNetworkReply *reply = post(serviceUrl(QStringLiteral("/v1/login")), body.toUtf8());
    connect(reply, &QNetworkReply::finished, reply, [this, reply] { onLoginReply(reply); });
}

void NetworkManager::makeServerListRequest()
{
    flagRepliesFinished = 0;
    QUrl url = serviceUrl(QStringLiteral("/v1/servers"));
    url.setQuery(encodedQuery({{QStringLiteral("email"), accountEmail}}), QUrl::StrictMode);
    QNetworkReply *reply = post(url, QByteArray());
    connect(reply, &QNetworkReply::finished, reply, [this, reply] { onServerListReply(reply); });
}

void NetworkManager::makeStartupRequest()
{
    QNetworkReply *reply = accessManager->get(ServiceRequest::make(serviceUrl(QStringLiteral("/v1/startup"))));
    connect(reply, &QNetworkReply::finished, reply, [this, reply] { onStartupReply(reply); });
}

void NetworkManager::makeReportRequest(QString errorServerHostname, QString errorServerMessage)
{
    QUrl url = serviceUrl(QStringLiteral("/v1/report"));
    url.setQuery(encodedQuery({{QStringLiteral("email"), accountEmail},
                               {QStringLiteral("server"), errorServerHostname},
                               {QStringLiteral("message"), errorServerMessage}}),
                 QUrl::StrictMode);
    // Sent and forgotten; the reply only has to be freed.
    QNetworkReply *reply = post(url, QByteArray());
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

void NetworkManager::onStartupReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qCWarning(lcService) << "Startup request failed:" << reply->error() << httpStatus(reply);
        currentErrorMessage
            = tr("Network error. Try again later.") + QStringLiteral("\nCode: ") + QString::number(httpStatus(reply));
        emit startupErrorOccurred();
        return;
    }
    const QJsonDocument document = ServiceData::parseReplyBody(reply->readAll());
    if (document.isNull()) {
        qCWarning(lcService) << "Startup reply is not JSON";
        currentErrorMessage = tr("Network error. Try again later.");
        emit startupErrorOccurred();
        return;
    }
    ServiceData::readStartupReply(document, currentStartupData);
    emit startUpResponceFinished();
}

void NetworkManager::onLoginReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        const int status = httpStatus(reply);
        qCWarning(lcService) << "Login request failed:" << reply->error() << status;
        if (status == 401)
            currentErrorMessage = tr("Invalid email or password.");
        else
            currentErrorMessage
                = tr("Network error. Try again later.") + QStringLiteral("\nCode: ") + QString::number(status);
        emit loginErrorOccurred();
        return;
    }
    const QJsonDocument document = ServiceData::parseReplyBody(reply->readAll());
    if (document.isNull()) {
        qCWarning(lcService) << "Login reply is not JSON";
        currentErrorMessage = tr("Network error. Try again later.");
        emit loginErrorOccurred();
        return;
    }
    ServiceData::readLoginReply(document, accountEmail, accountPassword, currentLoginData, currentAccessFlags);
    emit loginResponceFinished();
}

void NetworkManager::onServerListReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qCWarning(lcService) << "Server list request failed:" << reply->error() << httpStatus(reply);
        currentErrorMessage = tr("Service unaviable. Try again later.");
        emit serverListErrorOccured();
        return;
    }
    const QJsonDocument document = ServiceData::parseReplyBody(reply->readAll());
    if (document.isNull()) {
        qCWarning(lcService) << "Server list reply is not JSON";
        currentErrorMessage = tr("Network error. Try again later.");
        emit serverListErrorOccured();
        return;
    }
    ServiceData::readServerListReply(document, currentServerList);
    // An empty list has no flag replies to wait for.
    if (currentServerList.isEmpty()) {
        emit serverListResponceFinished();
        return;
    }
    requestFlagImages();
}

void NetworkManager::requestFlagImages()
{
    for (const ServerRecord &record : qAsConst(currentServerList))
        requestFlagImage(record.value(QStringLiteral("hostname")), record.value(QStringLiteral("image")));
}

void NetworkManager::requestFlagImage(const QString &hostname, const QString &url)
{
    QNetworkReply *reply = accessManager->get(ServiceRequest::make(QUrl(url, QUrl::TolerantMode)));
    connect(reply, &QNetworkReply::finished, reply, [this, hostname, reply] { onFlagImageReply(hostname, reply); });
}

void NetworkManager::onFlagImageReply(const QString &hostname, QNetworkReply *reply)
{
    reply->deleteLater();
    const bool failed = reply->error() != QNetworkReply::NoError;
    if (failed)
        qCDebug(lcService) << "Flag image request failed:" << reply->error();
    const QPixmap image = ServiceData::flagImageFromReply(failed, failed ? QByteArray() : reply->readAll());
    ServiceData::storeFlagImage(hostname, image, currentServerList, currentFlagImages);
    ++flagRepliesFinished;
    if (flagRepliesFinished == currentServerList.size())
        emit serverListResponceFinished();
}
