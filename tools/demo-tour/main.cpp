// Runs the client and walks through it like a new user: sign in with the
// demo account, look at the servers, connect, watch the traffic, look at
// the settings and about pages, disconnect and exit. Saves a screenshot of
// each step. With --figures it prints start-up time and memory instead.
#include "AppCore.h"
#include "ClientDriver.h"

#include <QAction>
#include <QCommandLineParser>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

const char demoUser[] = "demo@velmora.test";
const char demoPassword[] = "velmora-demo";

int fail(const char *what)
{
    std::fprintf(stderr, "tour: %s\n", what);
    QCoreApplication::exit(1);
    return 1;
}

void shot(QWidget *window, const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return;
    const QString path = ClientDriver::screenshot(window, dir, name);
    std::printf("tour: %s\n", path.isEmpty() ? "screenshot failed" : qPrintable(path));
}

void chooseMenuRow(QWidget *mainWindow, int row)
{
    if (auto *menu = mainWindow->findChild<QListWidget *>(QStringLiteral("listWidgetMenuItems"))) {
        menu->setCurrentRow(row);
        if (QListWidgetItem *item = menu->item(row))
            emit menu->itemClicked(item);
    }
}

// The steps run from the event loop so the client behaves as in real use.
int tour(AppCore &app, const QString &dir, bool figures, int trafficSeconds)
{
    using namespace ClientDriver;
    QWidget *login = waitForWindow("LoginDialogWindow", 20000);
    if (!login)
        return fail("the login window did not appear");
    const double toLogin = secondsSinceProcessStart();
    shot(login, dir, QStringLiteral("01-login"));

    signIn(login, QLatin1String(demoUser), QLatin1String(demoPassword), true);
    shot(login, dir, QStringLiteral("02-signing-in"));

    QWidget *main = waitForWindow("MainDialogWindow", 20000);
    if (!main || !waitForPage(main, "stackedWidgetMainWindow", 2, 30000))
        return fail("the server list did not arrive");
    QTest::qWait(300);
    const long afterLogin = residentKiB();
    shot(main, dir, QStringLiteral("03-servers"));

    if (!click(main, "pushButtonConnect"))
        return fail("the connect button is not enabled");
    shot(main, dir, QStringLiteral("04-connecting"));
    if (!waitForPage(main, "stackedWidgetConnectProccess", 2, 40000))
        return fail("the tunnel did not come up");

    // Traffic through the tunnel so the chart has something to show.
    QProcess traffic;
    startTunnelTraffic(traffic, trafficSeconds);
    QTest::qWait(trafficSeconds * 1000 + 1500);
    const long whileConnected = residentKiB();
    shot(main, dir, QStringLiteral("05-connected"));
    traffic.waitForFinished(3000);

    // Keep the client in the tray: its menu is how the tour leaves at the end.
    chooseMenuRow(main, 1);
    click(main, "pushButtonEnableTrayIcon");
    shot(main, dir, QStringLiteral("06-settings"));
    chooseMenuRow(main, 2);
    shot(main, dir, QStringLiteral("07-about"));
    chooseMenuRow(main, 0);

    if (!click(main, "pushButtonDisconect") || !waitForPage(main, "stackedWidgetConnectProccess", 0, 15000))
        return fail("the session did not end");
    shot(main, dir, QStringLiteral("08-disconnected"));

    if (figures) {
        std::printf("figures: login_window_s=%.3f rss_after_login_kib=%ld rss_connected_kib=%ld\n", toLogin, afterLogin,
                    whileConnected);
    }

    // Leave through the tray's Exit, which releases everything first.
    for (QAction *action : app.findChildren<QAction *>()) {
        if (action->text() == QLatin1String("Exit")) {
            action->trigger();
            return 0;
        }
    }
    return fail("no Exit action");
}

} // namespace

int main(int argc, char *argv[])
{
    AppCore app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("output"), QStringLiteral("Folder for the screenshots."), QStringLiteral("dir")});
    parser.addOption({QStringLiteral("figures"), QStringLiteral("Print start-up time and memory.")});
    parser.addOption({QStringLiteral("traffic"), QStringLiteral("Seconds of traffic while connected."),
                      QStringLiteral("s"), QStringLiteral("20")});
    parser.process(app);

    const QString dir = parser.value(QStringLiteral("output"));
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    QTimer::singleShot(0, &app, [&] {
        tour(app, dir, parser.isSet(QStringLiteral("figures")), parser.value(QStringLiteral("traffic")).toInt());
    });
    return app.exec();
}
