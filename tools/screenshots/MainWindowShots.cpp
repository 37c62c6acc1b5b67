// The main window in its main states.
#include "MainDialogWindow.h"
#include "Shots.h"

#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cmath>

namespace {

struct Server
{
    const char *name;
    const char *host;
    const char *countryCode;
    const char *ping;
};

const Server demoServers[] = {
    {"Frankfurt #1", "10.8.0.1", "de", "23ms"}, {"Amsterdam", "10.8.0.2", "nl", "31ms"},
    {"London", "10.8.0.3", "gb", "44ms"},       {"Paris", "10.8.0.4", "fr", "38ms"},
    {"Stockholm", "10.8.0.5", "se", "67ms"},    {"Zurich", "10.8.0.6", "ch", "52ms"},
    {"New York", "10.8.0.7", "us", "118ms"},    {"Toronto", "10.8.0.8", "ca", "131ms"},
    {"Tokyo", "10.8.0.9", "jp", "262ms"},       {"Singapore", "10.8.0.10", "sg", "999ms"},
};

StartupData demoMetadata()
{
    return {{"app_title", "Velmora VPN"},
            {"corp_title", "Velmora Networks Ltd."},
            {"domain", "https://localhost:18443/"},
            {"support", "https://localhost:18443/support"},
            {"account", "https://localhost:18443/account"}};
}

// A window set up as after a sign-in, optionally with the server data in.
void prepare(MainDialogWindow &window, bool withServers, bool access = true)
{
    const AccessFlags flags {{"login", true}, {"connection", access}};
    window.setupWindow(demoMetadata(), {{"message", "Your subscription has expired. Renew it and sign in again."}},
                       flags, true, true, false, {});
    if (!withServers)
        return;
    ServerList list;
    QMap<QString, QString> pings;
    FlagImages flags32;
    for (const Server &server : demoServers) {
        list.append({{"name", server.name}, {"hostname", server.host}, {"country_code", server.countryCode}});
        pings.insert(server.host, server.ping);
        const QString file = QStringLiteral("/usr/share/iso-flags-png-320x240/%1.png").arg(server.countryCode);
        flags32.insert(server.host, QPixmap(file).scaled(32, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    window.setServerList(list);
    window.setServerPings(pings);
    window.setServerFlags(flags32);
    window.processServerList();
}

} // namespace

VELMORA_SHOT("mainwindow-servers-current", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    Shots::save(&window, dir, "mainwindow-servers-current");
});

VELMORA_SHOT("mainwindow-servers-all", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    window.findChild<QTabWidget *>("tabWidgetServers")->setCurrentIndex(1);
    Shots::save(&window, dir, "mainwindow-servers-all");
});

VELMORA_SHOT("mainwindow-loading", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, false);
    Shots::save(&window, dir, "mainwindow-loading");
});

VELMORA_SHOT("mainwindow-blocker", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, false, false);
    Shots::save(&window, dir, "mainwindow-blocker");
});

VELMORA_SHOT("mainwindow-connecting", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    window.findChild<QPushButton *>("pushButtonConnect")->click();
    Shots::save(&window, dir, "mainwindow-connecting");
});

VELMORA_SHOT("mainwindow-connected-chart", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    window.connected();
    // A minute of traffic: a download with some bursts, a light upload.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-60);
    quint64 sent = 0;
    quint64 received = 0;
    for (int second = 0; second <= 60; ++second) {
        received += quint64(600000 + 400000 * std::sin(second / 6.0) + (second % 13 == 0 ? 900000 : 0));
        sent += quint64(120000 + 60000 * std::cos(second / 4.0));
        window.newStats(start.addSecs(second), sent, received);
    }
    QTest::qWait(600); // one tick of the session clock
    Shots::save(&window, dir, "mainwindow-connected-chart");
});

VELMORA_SHOT("mainwindow-settings", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    window.findChild<QListWidget *>("listWidgetMenuItems")->setCurrentRow(1);
    Shots::save(&window, dir, "mainwindow-settings");
});

VELMORA_SHOT("mainwindow-about", [](const QString &dir) {
    MainDialogWindow window;
    prepare(window, true);
    window.findChild<QListWidget *>("listWidgetMenuItems")->setCurrentRow(2);
    Shots::save(&window, dir, "mainwindow-about");
});
