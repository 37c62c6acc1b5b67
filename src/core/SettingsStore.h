#pragma once

#include <QString>
#include <QVariant>

// What the client remembers between runs: the login group, the main
// window's options and the start-with-the-system entry. Plain functions;
// each call opens and closes its own QSettings, so nothing is cached.

enum LoginSetting { UserName = 0, Password = 1, Remember = 2 };

enum MainWindowSetting { Autorun = 0, TrayIcon = 1, SetDns = 2, LastServer = 3 };

void writeLoginSettings(const QString &userName, const QString &password, bool remember, const QString &organisation,
                        const QString &application);

QVariant readLoginSetting(LoginSetting which, const QString &organisation, const QString &application);

void writeMainWindowSettings(bool autorun, bool trayIcon, bool setDns, const QString &lastServer,
                             const QString &organisation, const QString &application);

QVariant readMainWindowSetting(MainWindowSetting which, const QString &organisation, const QString &application);

// Light obfuscation of the stored password (not encryption). Its own inverse
// for texts up to U+00FF; characters above that become U+0000.
QString scramblePassword(const QString &text);
