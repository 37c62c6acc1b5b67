#pragma once

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

// Reply parsing follows below.
