#include "SettingsStore.h"

#include "Platform.h"

#include <QCoreApplication>
#include <QSettings>

namespace {
const char scrambleKey[] = "qvtrmlza";
}

void writeLoginSettings(const QString &userName, const QString &password, bool remember, const QString &organisation,
                        const QString &application)
{
    const QString scrambled = scramblePassword(password);

    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    settings.beginGroup(QStringLiteral("login"));
    settings.setValue(QStringLiteral("username"), userName);
    settings.setValue(QStringLiteral("password"), scrambled);
    settings.setValue(QStringLiteral("remember"), remember);
    settings.endGroup();
}

QVariant readLoginSetting(LoginSetting which, const QString &organisation, const QString &application)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    settings.beginGroup(QStringLiteral("login"));
    QVariant result;
    switch (which) {
    case UserName:
        result = settings.value(QStringLiteral("username"), QString()).toString();
        break;
    case Password:
        result = scramblePassword(settings.value(QStringLiteral("password"), QString()).toString());
        break;
    case Remember:
        result = settings.value(QStringLiteral("remember"), false).toBool();
        break;
    }
    settings.endGroup();
    return result;
}

void writeMainWindowSettings(bool autorun, bool trayIcon, bool setDns, const QString &lastServer,
                             const QString &organisation, const QString &application)
{
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
        settings.beginGroup(QStringLiteral("mainwindow"));
        settings.setValue(QStringLiteral("trayicon"), trayIcon);
        settings.setValue(QStringLiteral("setdns"), setDns);
        settings.setValue(QStringLiteral("lastserver"), lastServer);
        settings.endGroup();
    }
    Platform::setAutorunEntry(QCoreApplication::applicationName(), autorun);
}

QVariant readMainWindowSetting(MainWindowSetting which, const QString &organisation, const QString &application)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    settings.beginGroup(QStringLiteral("mainwindow"));
    QVariant result;
    switch (which) {
    case Autorun:
        result = Platform::autorunEntryExists(QCoreApplication::applicationName());
        break;
    case TrayIcon:
        result = settings.value(QStringLiteral("trayicon"), false).toBool();
        break;
    case SetDns:
        result = settings.value(QStringLiteral("setdns"), true).toBool();
        break;
    case LastServer:
        result = settings.value(QStringLiteral("lastserver"), QString()).toString();
        break;
    }
    settings.endGroup();
    return result;
}

QString scramblePassword(const QString &text)
{
    QString result = text;
    for (int i = 0; i < text.size(); ++i) {
        ushort c = text.at(i).unicode();
        if (c > 0xFF)
            c = 0;
        const int j = (i % 8) + 1;
        if (j < 8)
            c ^= static_cast<uchar>(scrambleKey[j]);
        result[i] = QChar(c);
    }
    return result;
}
