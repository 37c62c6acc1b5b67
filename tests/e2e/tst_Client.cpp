// The whole client in one process: AppCore from the development build,
// the development service on the namespace's own loopback (the address the
// build points at), and for the connection scenarios the real OpenVPN
// client and server of the VPN testbed. Each scenario runs in a process of
// its own (one AppCore per process): tst_Client <scenario>.
#include "AppCore.h"
#include "ClientDriver.h"
#include "DevService.h"
#include "ModalBoxCloser.h"
#include "SettingsStore.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtCharts/QChartView>
#include <QtCharts/QXYSeries>

#include <cstdio>
#include <memory>

#include <unistd.h>

using namespace ClientDriver;

namespace {

const char demoUser[] = "demo@velmora.test";
const char demoPassword[] = "velmora-demo";
const QString organisation = QStringLiteral("Velmora Networks");
const QString application = QStringLiteral("velmora");

DevService *service = nullptr;
QTemporaryDir *sessionTmp = nullptr;

bool vpnAvailable()
{
    return qEnvironmentVariableIsSet("VELMORA_TESTBED");
}

// openvpn processes started by this test process.
int openVpnChildren()
{
    int count = 0;
    const QString self = QString::number(::getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QByteArray comm = text.mid(text.indexOf('(') + 1, text.lastIndexOf(')') - text.indexOf('(') - 1);
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (comm == "openvpn" && rest.value(1) == self.toLatin1())
            ++count;
    }
    return count;
}

// Files the tunnel driver left in the temporary folder.
QStringList sessionFiles()
{
    return QDir(sessionTmp->path()).entryList(QDir::Files | QDir::Hidden);
}

QAction *trayAction(const QString &initialText)
{
    // The actions are created in the order Show, Start, Stop, Exit.
    const QList<QAction *> actions = qApp->findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly);
    const QStringList names
        = {QStringLiteral("Show"), QStringLiteral("Start"), QStringLiteral("Stop"), QStringLiteral("Exit")};
    const int index = names.indexOf(initialText);
    return index >= 0 && index < actions.size() ? actions.at(index) : nullptr;
}

QSystemTrayIcon *trayIcon()
{
    return qApp->findChild<QSystemTrayIcon *>();
}

// Runs the application's own event loop until it quits; -1 if it doesn't.
int runUntilQuit(int timeoutMs)
{
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(99);
    });
    watchdog.start(timeoutMs);
    const int rc = QCoreApplication::exec();
    return timedOut ? -1 : rc;
}

} // namespace

class tst_Client : public QObject
{
    Q_OBJECT

    QWidget *login = nullptr;
    QWidget *main = nullptr;

    bool signInAs(const QString &user, const QString &password, bool remember = false)
    {
        login = waitForWindow("LoginDialogWindow");
        if (!login)
            return false;
        signIn(login, user, password, remember);
        main = waitForWindow("MainDialogWindow");
        return main != nullptr;
    }

    bool signInAndLoadServers()
    {
        return signInAs(QLatin1String(demoUser), QLatin1String(demoPassword))
            && waitForPage(main, "stackedWidgetMainWindow", 2, 30000);
    }

    bool connectCurrent()
    {
        return click(main, "pushButtonConnect") && waitForPage(main, "stackedWidgetConnectProccess", 2, 45000);
    }

    QVector<QPointF> chartPoints()
    {
        auto *view = main->findChild<QtCharts::QChartView *>(QStringLiteral("graphicsViewChart"));
        if (!view || view->chart()->series().isEmpty())
            return {};
        auto *series = qobject_cast<QtCharts::QXYSeries *>(view->chart()->series().constFirst());
        return series ? series->pointsVector() : QVector<QPointF>();
    }

    void setTrayOption(bool on) { click(main, on ? "pushButtonEnableTrayIcon" : "pushButtonDisableTrayIcon"); }

private slots:
    void startupEqualVersion()
    {
        QVERIFY(waitForWindow("LoginDialogWindow"));
        QVERIFY(!visibleWindow("NewUpdateDialogWindow"));
        QVERIFY(!visibleWindow("StartupWindow"));
        QCOMPARE(QCoreApplication::organizationName(), organisation);
        QCOMPARE(QCoreApplication::applicationName(), application);
    }

    void startupUpdateOffered()
    {
        // The offer runs its own modal loop, so it is answered from a timer.
        QString offerTitle;
        bool loginShownDuringOffer = false;
        QTimer answer;
        answer.setInterval(50);
        connect(&answer, &QTimer::timeout, [&] {
            QWidget *update = visibleWindow("NewUpdateDialogWindow");
            if (!update)
                return;
            answer.stop();
            offerTitle = update->windowTitle();
            loginShownDuringOffer = visibleWindow("LoginDialogWindow") != nullptr;
            click(update, "pushButtonCancel");
        });
        answer.start();
        QVERIFY(waitForWindow("LoginDialogWindow"));
        QCOMPARE(offerTitle, QStringLiteral("Version 1.0.1 aviable!"));
        QVERIFY(!loginShownDuringOffer);
        QVERIFY(!visibleWindow("NewUpdateDialogWindow"));
    }

    void startupFailure()
    {
        ModalBoxCloser closer;
        QCOMPARE(runUntilQuit(20000), 0);
        QCOMPARE(closer.boxes().size(), 1);
        QCOMPARE(closer.boxes().first().title, QStringLiteral("Network error"));
        QVERIFY(closer.boxes().first().text.contains(QStringLiteral("Code: 500")));
        QVERIFY(!visibleWindow("LoginDialogWindow"));
    }

    void wrongPasswordRefillsFromSettings()
    {
        writeLoginSettings(QLatin1String(demoUser), QLatin1String(demoPassword), true, organisation, application);
        login = waitForWindow("LoginDialogWindow");
        QVERIFY(login);
        auto *user = login->findChild<QLineEdit *>(QStringLiteral("lineEditUsername"));
        auto *password = login->findChild<QLineEdit *>(QStringLiteral("lineEditPassword"));
        QCOMPARE(user->text(), QLatin1String(demoUser));

        ModalBoxCloser closer;
        signIn(login, QStringLiteral("someone@velmora.test"), QStringLiteral("not-the-password"), false);
        QVERIFY(closer.waitForBoxes(1));
        QCOMPARE(closer.boxes().first().title, QStringLiteral("Network error"));
        QCOMPARE(closer.boxes().first().text, QStringLiteral("Invalid email or password."));
        QVERIFY(waitForWindow("LoginDialogWindow"));
        QTRY_COMPARE(user->text(), QLatin1String(demoUser));
        QCOMPARE(password->text(), QLatin1String(demoPassword));
        QVERIFY(!visibleWindow("MainDialogWindow"));
    }

    void rememberOnThenOff()
    {
        QVERIFY(signInAs(QLatin1String(demoUser), QLatin1String(demoPassword), true));
        QCOMPARE(readLoginSetting(UserName, organisation, application).toString(), QLatin1String(demoUser));
        QCOMPARE(readLoginSetting(Password, organisation, application).toString(), QLatin1String(demoPassword));
        QCOMPARE(readLoginSetting(Remember, organisation, application).toBool(), true);

        // Log out through the menu, then sign in again without remember-me.
        auto *logOut = main->findChild<QListWidget *>(QStringLiteral("listWidgetLogOut"));
        QVERIFY(logOut && logOut->count() > 0);
        emit logOut->itemClicked(logOut->item(0));
        login = waitForWindow("LoginDialogWindow");
        QVERIFY(login);
        QCOMPARE(login->findChild<QLineEdit *>(QStringLiteral("lineEditUsername"))->text(), QLatin1String(demoUser));
        QVERIFY(login->findChild<QCheckBox *>(QStringLiteral("checkBoxRemeberMe"))->isChecked());

        QVERIFY(signInAs(QLatin1String(demoUser), QLatin1String(demoPassword), false));
        QCOMPARE(readLoginSetting(UserName, organisation, application).toString(), QString());
        QCOMPARE(readLoginSetting(Password, organisation, application).toString(), QString());
        QCOMPARE(readLoginSetting(Remember, organisation, application).toBool(), false);
    }

    void accessWithoutConnection()
    {
        QVERIFY(signInAs(QStringLiteral("limited@velmora.test"), QStringLiteral("velmora-limited")));
        QVERIFY(waitForPage(main, "stackedWidgetMainWindow", 0));
        QCOMPARE(labelText(main, "labelBlockerMessage"),
                 QStringLiteral("Your subscription has ended. Renew it on your account page to connect."));
        QTest::qWait(500);
        QVERIFY(service->requests(QStringLiteral("/v1/servers")).isEmpty());

        QVERIFY(click(main, "pushButtonLogOut")); // "Login again"
        QVERIFY(waitForWindow("LoginDialogWindow"));
        QVERIFY(!visibleWindow("MainDialogWindow"));
    }

    void serversLoaded()
    {
        QVERIFY(signInAndLoadServers());
        QTableWidget *table = serverTable(main);
        QVERIFY(table->rowCount() >= 10);
        for (int row = 0; row < table->rowCount(); ++row) {
            QVERIFY(table->item(row, 2)->text().endsWith(QStringLiteral("ms")));
            QVERIFY2(!table->item(row, 0)->data(Qt::DecorationRole).value<QPixmap>().isNull(),
                     qPrintable(QStringLiteral("row %1 has no flag").arg(row)));
        }
        // Every flag was asked for after the list, and the list after the login.
        const QList<DevRequest> requests = service->requests();
        int login = -1, servers = -1, firstFlag = -1;
        for (int i = 0; i < requests.size(); ++i) {
            if (requests[i].path == QLatin1String("/v1/login"))
                login = i;
            else if (requests[i].path == QLatin1String("/v1/servers"))
                servers = i;
            else if (firstFlag < 0 && requests[i].method == QLatin1String("GET")
                     && requests[i].path.endsWith(QLatin1String(".png")))
                firstFlag = i;
        }
        QVERIFY(login >= 0 && login < servers && servers < firstFlag);

        // The best server is preselected and the tray offers it.
        const QString name = labelText(main, "labelCurrentServerName");
        QVERIFY(name.contains(QLatin1Char('\n')));
        const QString title
            = name.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('/') + name.section(QLatin1Char('\n'), 1, 1);
        QVERIFY(trayAction(QStringLiteral("Start"))->isEnabled());
        QCOMPARE(trayAction(QStringLiteral("Start"))->text(), QStringLiteral("Start"));
        QCOMPARE(trayAction(QStringLiteral("Stop"))->text(), title);
        QVERIFY(!trayAction(QStringLiteral("Stop"))->isEnabled());
    }

    void connectTrafficDisconnect()
    {
        if (!vpnAvailable())
            QSKIP("needs the VPN testbed");
        QVERIFY(signInAndLoadServers());
        const QString title = trayAction(QStringLiteral("Stop"))->text(); // the chosen server
        QVERIFY(connectCurrent());
        QCOMPARE(trayAction(QStringLiteral("Start"))->text(), QStringLiteral("Connected to ") + title);
        QVERIFY(trayAction(QStringLiteral("Stop"))->isEnabled());
        QCOMPARE(openVpnChildren(), 1);

        QProcess traffic;
        startTunnelTraffic(traffic, 6);
        const QString clockBefore = labelText(main, "labelSessionTime");
        QTest::qWait(7000);
        traffic.waitForFinished(3000);
        QCOMPARE(traffic.exitCode(), 0); // the tunnel answered
        QVERIFY(chartPoints().size() >= 3);
        QVERIFY(labelText(main, "labelSessionTime") != clockBefore);
        QVERIFY(labelText(main, "labelSessionTime").startsWith(QStringLiteral("Session time: 00:00:")));
        QVERIFY(labelText(main, "labelSent").startsWith(QStringLiteral("Sent: ")));

        QVERIFY(click(main, "pushButtonDisconect"));
        QVERIFY(waitForPage(main, "stackedWidgetConnectProccess", 0));
        QCOMPARE(trayAction(QStringLiteral("Start"))->text(), QStringLiteral("Start"));
        QTRY_COMPARE(openVpnChildren(), 0);
        QTRY_VERIFY(sessionFiles().isEmpty());
        QVERIFY(service->requests(QStringLiteral("/v1/report")).isEmpty());
    }

    void connectRefusedByVpnServer()
    {
        if (!vpnAvailable())
            QSKIP("needs the VPN testbed");
        QVERIFY(signInAndLoadServers());
        ModalBoxCloser closer;
        QVERIFY(click(main, "pushButtonConnect"));
        QVERIFY(waitForPage(main, "stackedWidgetConnectProccess", 0, 45000));
        QVERIFY(closer.waitForBoxes(1));
        QVERIFY2(closer.boxes().first().text.contains(QStringLiteral("AUTH")), qPrintable(closer.boxes().first().text));
        QTest::qWait(1000);
        QCOMPARE(closer.boxes().size(), 1);
        QTRY_COMPARE(service->requests(QStringLiteral("/v1/report")).size(), 1);
        QVERIFY(!trayAction(QStringLiteral("Start"))->text().startsWith(QStringLiteral("Connected to ")));
        QTRY_COMPARE(openVpnChildren(), 0);
        QTRY_VERIFY(sessionFiles().isEmpty());
    }

    void connectToStoppedServer()
    {
        if (!vpnAvailable())
            QSKIP("needs the VPN testbed");
        QProcess stop;
        stop.start(QStringLiteral("sh"),
                   {qEnvironmentVariable("VELMORA_TESTBED_SCRIPT"), QStringLiteral("server-stop"),
                    qEnvironmentVariable("VELMORA_TESTBED")});
        QVERIFY(stop.waitForFinished(20000));
        QCOMPARE(stop.exitCode(), 0);

        QVERIFY(signInAndLoadServers());
        ModalBoxCloser closer;
        QVERIFY(click(main, "pushButtonConnect"));
        QCOMPARE(page(main, "stackedWidgetConnectProccess"), 1);
        QVERIFY(waitForPage(main, "stackedWidgetConnectProccess", 0, 60000));
        QVERIFY(closer.waitForBoxes(1));
        QVERIFY(closer.boxes().first().text.contains(QStringLiteral("could not be reached")));
        QVERIFY(!trayAction(QStringLiteral("Start"))->text().startsWith(QStringLiteral("Connected to ")));
        QTRY_COMPARE(openVpnChildren(), 0);
    }

    void trayOnCloseKeepsRunning()
    {
        QVERIFY(signInAndLoadServers());
        setTrayOption(true);
        QVERIFY(trayIcon()->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable());
        QSignalSpy quit(qApp, SIGNAL(quitAction()));
        main->showMinimized();
        main->close();
        QTest::qWait(500);
        QVERIFY(!main->isVisible());
        QCOMPARE(quit.count(), 0);

        emit trayIcon()->activated(QSystemTrayIcon::Trigger);
        QTest::qWait(200);
        QVERIFY(!main->isVisible());
        emit trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(main->isVisible());
        QVERIFY(!(main->windowState() & Qt::WindowMinimized));
    }

    void trayOffCloseEndsAndReleases()
    {
        if (!vpnAvailable())
            QSKIP("needs the VPN testbed");
        QVERIFY(signInAndLoadServers());
        QVERIFY(connectCurrent());
        QCOMPARE(openVpnChildren(), 1);
        QTimer::singleShot(0, main, [this] { main->close(); });
        QCOMPARE(runUntilQuit(20000), 0);
        QCOMPARE(openVpnChildren(), 0);
        QVERIFY(sessionFiles().isEmpty());
    }

    void exitWhileConnected()
    {
        if (!vpnAvailable())
            QSKIP("needs the VPN testbed");
        QVERIFY(signInAndLoadServers());
        setTrayOption(true);
        QVERIFY(connectCurrent());
        QTimer::singleShot(0, qApp, [] { trayAction(QStringLiteral("Exit"))->trigger(); });
        QCOMPARE(runUntilQuit(20000), 0);
        QCOMPARE(openVpnChildren(), 0);
        QVERIFY(sessionFiles().isEmpty());
    }

    void trayActionsConnectedOnce()
    {
        QVERIFY(signInAndLoadServers());
        for (int i = 0; i < 5; ++i) {
            setTrayOption(true);
            setTrayOption(false);
        }
        setTrayOption(true);

        // One Start click asks for one configuration.
        service->clearRequests();
        trayAction(QStringLiteral("Start"))->trigger();
        QTest::qWait(1500);
        int configRequests = 0;
        for (const DevRequest &request : service->requests()) {
            if (request.path.endsWith(QLatin1String(".ovpn")))
                ++configRequests;
        }
        QCOMPARE(configRequests, 1);
        trayAction(QStringLiteral("Stop"))->trigger();
        QTRY_COMPARE(openVpnChildren(), 0);

        QSignalSpy quit(qApp, SIGNAL(quitAction()));
        QTimer::singleShot(0, qApp, [] { trayAction(QStringLiteral("Exit"))->trigger(); });
        QCOMPARE(runUntilQuit(20000), 0);
        QCOMPARE(quit.count(), 1);
    }
};

int main(int argc, char *argv[])
{
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    // The tunnel driver's files go to a folder this test can look into.
    QTemporaryDir tmp;
    sessionTmp = &tmp;
    qputenv("TMPDIR", tmp.path().toLocal8Bit());

    DevService::Options options = DevService::defaultOptions();
    if (scenario == QLatin1String("startupUpdateOffered"))
        options.offerVersion = QStringLiteral("1.0.1");
    DevService devService(options);
    if (!devService.loadError().isEmpty()) {
        std::fprintf(stderr, "development service: %s\n", qPrintable(devService.loadError()));
        return 1;
    }
    if (scenario == QLatin1String("startupFailure"))
        devService.setStatus(QStringLiteral("startup"), 500);
    // The development build talks to https://localhost:18443; each scenario
    // runs in a network namespace of its own, so the port is free.
    if (!devService.start({QStringLiteral("127.0.0.1"), QStringLiteral("::1")}, 18443)) {
        std::fprintf(stderr, "development service: %s\n", qPrintable(devService.lastError()));
        return 1;
    }
    service = &devService;

    AppCore app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    tst_Client test;
    const int rc = QTest::qExec(&test, argc, argv);
    service = nullptr;
    return rc;
}

#include "tst_Client.moc"
