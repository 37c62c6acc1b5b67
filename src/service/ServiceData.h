#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <QVector>

// Records built from the service's replies, keyed by the service's own
// member names. Plain values; everyone gets copies.

using StartupData = QMap<QString, QString>;
using LoginData = QMap<QString, QString>;
using AccessFlags = QMap<QString, bool>;
using ServerRecord = QMap<QString, QString>;
using ServerList = QVector<ServerRecord>;
using FlagImages = QMap<QString, QPixmap>;

// Reply parsing. Plain functions over the parsed reply documents, called by
// NetworkManager on the GUI thread. Inside a valid document nothing is
// rejected: missing or mistyped members read as empty strings, false flags
// or empty records.
namespace ServiceData {

// The placeholder flag stored when a flag download fails.
extern const char placeholderFlagPath[];

// The reply body as a JSON document; a null document when the body is empty
// or not JSON (the caller's failure case).
QJsonDocument parseReplyBody(const QByteArray &body);

// Writes the nine startup keys; the link keys are the domain followed
// directly by the links member of the same name.
void readStartupReply(const QJsonDocument &reply, StartupData &startupData);

// Writes the access flags and the message; account and password are the
// credentials the request was sent with, not taken from the reply.
void readLoginReply(const QJsonDocument &reply, const QString &accountEmail, const QString &accountPassword,
                    LoginData &loginData, AccessFlags &accessFlags);

// Resizes serverList to the reply's servers and rewrites every record.
void readServerListReply(const QJsonDocument &reply, ServerList &serverList);

// The flag for one finished image reply: the placeholder when the reply
// failed, the decoded body otherwise (empty if it does not decode), scaled
// to exactly 32 by 24 pixels.
QPixmap flagImageFromReply(bool replyFailed, const QByteArray &body);

// Stores image under hostname only if some record of serverList has that
// host name.
void storeFlagImage(const QString &hostname, const QPixmap &image, const ServerList &serverList,
                    FlagImages &flagImages);

} // namespace ServiceData
