#include "ServiceData.h"

#include "UiResources.h"

#include <QJsonArray>
#include <QJsonObject>

namespace ServiceData {

const char placeholderFlagPath[] = ":/resources/common/images/Flags/UN@2x.png";

namespace {

// Strings only: numbers, booleans, null and containers read as empty text.
QString text(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : QString();
}

// QJsonValue::toObject() already gives an empty object for anything else.
QJsonObject member(const QJsonObject &object, const QString &key)
{
    return object.value(key).toObject();
}

} // namespace

QJsonDocument parseReplyBody(const QByteArray &body)
{
    return QJsonDocument::fromJson(body);
}

void readStartupReply(const QJsonDocument &reply, StartupData &startupData)
{
    // A top-level array reads as an object without members.
    const QJsonObject top = reply.object();
    startupData[QStringLiteral("app_title")] = text(top, QStringLiteral("app_title"));
    startupData[QStringLiteral("corp_title")] = text(top, QStringLiteral("corp_title"));
    startupData[QStringLiteral("version")] = text(top, QStringLiteral("version"));

    const QJsonObject links = member(top, QStringLiteral("links"));
    const QString domain = text(links, QStringLiteral("domain"));
    startupData[QStringLiteral("domain")] = domain;
    for (const QString &key : {QStringLiteral("account"), QStringLiteral("signup"), QStringLiteral("support"),
                               QStringLiteral("forgot_password"), QStringLiteral("download")})
        startupData[key] = domain + text(links, key);
}

void readLoginReply(const QJsonDocument &reply, const QString &accountEmail, const QString &accountPassword,
                    LoginData &loginData, AccessFlags &accessFlags)
{
    const QJsonObject top = reply.object();
    const QJsonObject access = member(top, QStringLiteral("access"));
    accessFlags[QStringLiteral("login")] = access.value(QStringLiteral("login")).toBool(false);
    accessFlags[QStringLiteral("connection")] = access.value(QStringLiteral("connection")).toBool(false);

    loginData[QStringLiteral("message")] = text(top, QStringLiteral("message"));
    loginData[QStringLiteral("account")] = accountEmail;
    loginData[QStringLiteral("password")] = accountPassword;
}

void readServerListReply(const QJsonDocument &reply, ServerList &serverList)
{
    const QJsonArray servers = reply.object().value(QStringLiteral("servers")).toArray();
    serverList.resize(servers.size());
    for (int i = 0; i < servers.size(); ++i) {
        const QJsonObject entry = servers.at(i).toObject();
        ServerRecord &record = serverList[i];
        for (const QString &key : {QStringLiteral("name"), QStringLiteral("hostname"), QStringLiteral("country_code"),
                                   QStringLiteral("country"), QStringLiteral("latitude"), QStringLiteral("longitude")})
            record[key] = text(entry, key);
        const QJsonObject files = member(entry, QStringLiteral("files"));
        for (const QString &key : {QStringLiteral("ovpn"), QStringLiteral("crt"), QStringLiteral("image")})
            record[key] = text(files, key);
    }
}

QPixmap flagImageFromReply(bool replyFailed, const QByteArray &body)
{
    QPixmap image;
    if (replyFailed) {
        ensureUiResources();
        image.load(QString::fromLatin1(placeholderFlagPath));
    } else {
        image.loadFromData(body);
    }
    // A body that does not decode stays an empty image.
    if (image.isNull())
        return image;
    return image.scaled(32, 24, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void storeFlagImage(const QString &hostname, const QPixmap &image, const ServerList &serverList, FlagImages &flagImages)
{
    for (const ServerRecord &record : serverList) {
        if (record.value(QStringLiteral("hostname")) == hostname) {
            flagImages[hostname] = image;
            return;
        }
    }
}

} // namespace ServiceData
