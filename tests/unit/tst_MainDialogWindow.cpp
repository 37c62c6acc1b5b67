#include "MainDialogWindow.h"
#include "ModalBoxCloser.h"

#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QSplineSeries>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

using Samples = QList<QList<qint64>>; // offset ms, bytes sent, bytes received
using Values = QList<double>;

// Records what the window announces, in order.
class SignalLog : public QObject
{
public:
    explicit SignalLog(MainDialogWindow *window)
        : window(window)
    {
        connect(window, &MainDialogWindow::tryToConnect, this, [this] { events << "tryToConnect"; });
        connect(window, &MainDialogWindow::tryToDisconect, this, [this] { events << "tryToDisconect"; });
        connect(window, &MainDialogWindow::currentServerChoosed, this, [this] { events << "currentServerChoosed"; });
        connect(window, &MainDialogWindow::serverListRequest, this, [this] { events << "serverListRequest"; });
        connect(window, &MainDialogWindow::saveSettingsAction, this, [this] {
            events << "saveSettingsAction";
            // What the controller would store at this moment.
            savedLastServer << this->window->getLastServer();
        });
        connect(window, &MainDialogWindow::quitAction, this,
                [this](bool needExit) { events << (needExit ? "quitAction(true)" : "quitAction(false)"); });
        connect(window, &MainDialogWindow::reportRequest, this,
                [this](const QString &host, const QString &message) { reports << host + "|" + message; });
    }

    int count(const QString &event) const { return events.count(event); }

    MainDialogWindow *window;
    QStringList events;
    QStringList savedLastServer;
    QStringList reports;
};

// Catches links the window opens instead of starting a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    }
    ~UrlCatcher() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

namespace {

StartupData metadata()
{
    return {{"app_title", "Velmora VPN"},
            {"corp_title", "Velmora Networks"},
            {"domain", "https://localhost:18443/"},
            {"support", "https://localhost:18443/support"},
            {"account", "https://localhost:18443/account"}};
}

const AccessFlags granted {{"login", true}, {"connection", true}};

ServerList serverList(const QStringList &hosts)
{
    ServerList list;
    for (int i = 0; i < hosts.size(); ++i) {
        list.append({{"name", QStringLiteral("Server %1").arg(i)},
                     {"hostname", hosts.at(i)},
                     {"country_code", "de"},
                     {"ovpn", QStringLiteral("https://localhost:18443/ovpn/%1").arg(i)}});
    }
    return list;
}

QStringList hostNames(int count)
{
    QStringList hosts;
    for (int i = 0; i < count; ++i)
        hosts << QStringLiteral("10.0.0.%1").arg(i + 1);
    return hosts;
}

// Hands the window a server list with these ping texts as the controller does.
void giveServers(MainDialogWindow &window, const QStringList &hosts, const QStringList &pings)
{
    window.setServerList(serverList(hosts));
    QMap<QString, QString> pingMap;
    FlagImages flags;
    for (int i = 0; i < hosts.size(); ++i) {
        pingMap.insert(hosts.at(i), pings.value(i));
        QPixmap flag(32, 24);
        flag.fill(Qt::blue);
        flags.insert(hosts.at(i), flag);
    }
    window.setServerPings(pingMap);
    window.setServerFlags(flags);
    window.processServerList();
}

template<typename T> T *child(MainDialogWindow &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

int page(MainDialogWindow &window, const char *stack)
{
    return child<QStackedWidget>(window, stack)->currentIndex();
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage();
}

} // namespace

class tst_MainDialogWindow : public QObject
{
    Q_OBJECT

    // A window that has been set up with access and a list of five servers.
    struct Ready
    {
        MainDialogWindow window;
        SignalLog log {&window};
        Ready(const QString &lastServer = QString())
        {
            window.setupWindow(metadata(), {}, granted, false, false, false, lastServer);
            giveServers(window, hostNames(5), {"80ms", "40ms", "120ms", "300ms", "60ms"});
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
    };

private slots:
    void accessCheck_data()
    {
        QTest::addColumn<AccessFlags>("flags");
        QTest::addColumn<bool>("granted");

        QTest::newRow("both true") << granted << true;
        QTest::newRow("connection false") << AccessFlags {{"login", true}, {"connection", false}} << false;
        QTest::newRow("connection missing") << AccessFlags {{"login", true}} << false;
        QTest::newRow("login false") << AccessFlags {{"login", false}, {"connection", true}} << false;
        QTest::newRow("nothing") << AccessFlags {} << false;
    }

    void accessCheck()
    {
        QFETCH(AccessFlags, flags);
        QFETCH(bool, granted);

        MainDialogWindow window;
        SignalLog log(&window);
        window.setupWindow(metadata(), {{"message", "Your subscription has ended"}}, flags, false, false, false, {});

        QCOMPARE(log.count("serverListRequest"), granted ? 1 : 0);
        QCOMPARE(page(window, "stackedWidgetMainWindow"), granted ? 1 : 0);
        if (!granted)
            QCOMPARE(child<QLabel>(window, "labelBlockerMessage")->text(),
                     QStringLiteral("Your subscription has ended"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Velmora VPN"));
    }

    void blockerAfterServerListError()
    {
        Ready ready;
        ready.window.setBlockerMessage(QStringLiteral("Server list unavailable"));
        ready.window.serverListErrorOcured();
        QCOMPARE(page(ready.window, "stackedWidgetMainWindow"), 0);
        QCOMPARE(child<QLabel>(ready.window, "labelBlockerMessage")->text(), QStringLiteral("Server list unavailable"));
    }

    void menuKeepsSixItemsOverRepeatedSetup()
    {
        MainDialogWindow window;
        for (int i = 0; i < 3; ++i)
            window.setupWindow(metadata(), {}, granted, false, false, false, {});
        auto *menu = child<QListWidget>(window, "listWidgetMenuItems");
        QCOMPARE(menu->count(), 5);
        QCOMPARE(child<QListWidget>(window, "listWidgetLogOut")->count(), 1);
        const QStringList texts {"Servers", "Settings", "About", "My profile", "Help"};
        for (int row = 0; row < texts.size(); ++row)
            QCOMPARE(menu->item(row)->text(), texts.at(row));
        QVERIFY(!window.styleSheet().isEmpty());
    }

    void menuNavigation_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("expectedPage");
        QTest::addColumn<QString>("activeIcon");
        QTest::addColumn<QString>("openedUrl");

        QTest::newRow("Servers") << 0 << 0 << ":/resources/common/images/ic_menu_main_active@2x.png"
                                 << "";
        QTest::newRow("Settings") << 1 << 1 << ":/resources/common/images/ic_menu_settings_active@2x.png"
                                  << "";
        QTest::newRow("About") << 2 << 2 << ":/resources/common/images/ic_menu_about_active@2x.png"
                               << "";
        QTest::newRow("My profile") << 3 << 2 << ":/resources/common/images/ic_menu_profile_active@2x.png"
                                    << "https://localhost:18443/account";
        QTest::newRow("Help") << 4 << 2 << ":/resources/common/images/ic_menu copy 11@2x.png"
                              << "https://localhost:18443/support";
    }

    void menuNavigation()
    {
        QFETCH(int, row);
        QFETCH(int, expectedPage);
        QFETCH(QString, activeIcon);
        QFETCH(QString, openedUrl);

        UrlCatcher urls;
        Ready ready;
        auto *menu = child<QListWidget>(ready.window, "listWidgetMenuItems");
        // Start from the About page so rows that only open a link show they leave the page alone.
        menu->setCurrentRow(2);
        QCOMPARE(page(ready.window, "stackedWidgetMainFrame"), 2);

        QListWidgetItem *item = menu->item(row);
        QTest::mouseClick(menu->viewport(), Qt::LeftButton, {}, menu->visualItemRect(item).center());

        QCOMPARE(menu->currentRow(), row);
        QCOMPARE(page(ready.window, "stackedWidgetMainFrame"), expectedPage);
        QVERIFY(!QImage(activeIcon).isNull());
        QCOMPARE(iconImage(item->icon()), iconImage(QIcon(activeIcon)));
        if (row != 2)
            QVERIFY(iconImage(menu->item(2)->icon())
                    != iconImage(QIcon(":/resources/common/images/ic_menu_about_active@2x.png")));
        if (openedUrl.isEmpty())
            QVERIFY(urls.opened.isEmpty());
        else
            QCOMPARE(urls.opened, QList<QUrl> {QUrl(openedUrl)});
    }

    void pingColours()
    {
        const QStringList pings {"35ms", "120ms", "480ms", "999ms", "", "n/a"};
        const QList<QColor> table {QColor(11, 161, 35), QColor(227, 124, 41), QColor(176, 31, 31),
                                   QColor(176, 31, 31), QColor(11, 161, 35),  QColor(11, 161, 35)};
        const QStringList panel {"#0ba123", "#e37c29", "#b01f1f", "#b01f1f", "#0ba123", "#0ba123"};

        MainDialogWindow window;
        window.setupWindow(metadata(), {}, granted, false, false, false, {});
        giveServers(window, hostNames(pings.size()), pings);
        auto *tableWidget = child<QTableWidget>(window, "tableWidgetAllServers");
        QCOMPARE(tableWidget->rowCount(), pings.size());
        QCOMPARE(tableWidget->columnCount(), 3);

        for (int row = 0; row < pings.size(); ++row) {
            QTableWidgetItem *pingItem = tableWidget->item(row, 2);
            QCOMPARE(pingItem->text(), pings.at(row));
            QCOMPARE(pingItem->foreground().color(), table.at(row));
            QCOMPARE(tableWidget->item(row, 1)->text(), QStringLiteral("Server %1").arg(row));
            QCOMPARE(tableWidget->item(row, 0)->data(Qt::DecorationRole).value<QPixmap>().size(), QSize(48, 36));

            // Choosing the row colours the panel label the same way.
            emit tableWidget->cellDoubleClicked(row, 0);
            auto *label = child<QLabel>(window, "labelCurrentServerPing");
            QCOMPARE(label->text(), pings.at(row));
            QVERIFY2(label->styleSheet().startsWith("QLabel {color: " + panel.at(row) + ";"),
                     qPrintable(label->styleSheet()));
        }
    }

    void preselection_data()
    {
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<QStringList>("pings");
        QTest::addColumn<QString>("lastServer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("choices");
        QTest::addColumn<QString>("lastServerAfter");

        QTest::newRow("lowest ping, ties to the earlier")
            << QStringList {"a", "b", "c"} << QStringList {"80ms", "40ms", "40ms"} << ""
            << "Server 1/b" << 1 << "b";
        QTest::newRow("last server wins over a lower ping")
            << QStringList {"a", "b", "c", "d", "e"} << QStringList {"10ms", "20ms", "300ms", "5ms", "30ms"} << "c"
            << "Server 2/c" << 1 << "c";
        QTest::newRow("two entries with the last server's host")
            << QStringList {"a", "c", "b", "c"} << QStringList {"10ms", "20ms", "30ms", "40ms"} << "c"
            << "Server 3/c" << 2 << "c";
        QTest::newRow("no entry below 999") << QStringList {"a", "b"} << QStringList {"999ms", "1500ms"} << ""
                                            << "/" << 1 << "";
        QTest::newRow("empty list") << QStringList {} << QStringList {} << ""
                                    << "/" << 1 << "";
        QTest::newRow("last server no longer listed")
            << QStringList {"a", "b"} << QStringList {"10ms", "20ms"} << "gone"
            << "/" << 0 << "gone";
    }

    void preselection()
    {
        QFETCH(QStringList, hosts);
        QFETCH(QStringList, pings);
        QFETCH(QString, lastServer);
        QFETCH(QString, title);
        QFETCH(int, choices);
        QFETCH(QString, lastServerAfter);

        MainDialogWindow window;
        SignalLog log(&window);
        window.setupWindow(metadata(), {}, granted, false, false, false, lastServer);
        giveServers(window, hosts, pings);

        QCOMPARE(window.getCurrentServerTitle(), title);
        QCOMPARE(log.count("currentServerChoosed"), choices);
        QCOMPARE(window.getLastServer(), lastServerAfter);
        QCOMPARE(page(window, "stackedWidgetMainWindow"), 2);
        auto *connect = child<QPushButton>(window, "pushButtonConnect");
        auto *name = child<QLabel>(window, "labelCurrentServerName");
        if (choices == 0) {
            QVERIFY(!connect->isEnabled());
            QCOMPARE(name->text(), QStringLiteral("Please chose\nserver first"));
        } else {
            QVERIFY(connect->isEnabled());
            const int slash = title.indexOf('/');
            QCOMPARE(name->text(), title.left(slash) + '\n' + title.mid(slash + 1));
        }
    }

    void doubleClickChoosesTheRow()
    {
        Ready ready;
        auto *tabs = child<QTabWidget>(ready.window, "tabWidgetServers");
        tabs->setCurrentIndex(1);
        auto *table = child<QTableWidget>(ready.window, "tableWidgetAllServers");
        ready.log.events.clear();
        // Let the table lay out now that its tab shows.
        QTRY_VERIFY(table->isVisible() && table->viewport()->rect().contains(table->visualItemRect(table->item(3, 1))));

        const QPoint cell = table->visualItemRect(table->item(3, 1)).center();
        // A real double click: the first click, then the second as a double click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);

        QCOMPARE(ready.log.events, (QStringList {"currentServerChoosed", "tryToDisconect"}));
        QCOMPARE(ready.window.getCurrentServerTitle(), QStringLiteral("Server 3/10.0.0.4"));
        QCOMPARE(ready.window.getCurrentServerOvpn(), QStringLiteral("https://localhost:18443/ovpn/3"));
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void connectShowsBusyUntilTheDriverAnswers_data()
    {
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("connected") << true;
        QTest::newRow("failed start") << false;
    }

    void connectShowsBusyUntilTheDriverAnswers()
    {
        QFETCH(bool, succeeds);
        Ready ready;
        ready.log.events.clear();

        QTest::mouseClick(child<QPushButton>(ready.window, "pushButtonConnect"), Qt::LeftButton);
        QCOMPARE(ready.log.events, QStringList {"tryToConnect"});
        QCOMPARE(page(ready.window, "stackedWidgetConnectProccess"), 1);
        QCOMPARE(child<QLabel>(ready.window, "labelHostNameCountry")->text(), QStringLiteral("Server 1/10.0.0.2"));

        if (succeeds) {
            ready.window.connected();
            QCOMPARE(page(ready.window, "stackedWidgetConnectProccess"), 2);
            QCOMPARE(page(ready.window, "stackedWidgetConnectedState"), 1);
            QTRY_VERIFY(child<QLabel>(ready.window, "labelSessionTime")->text().startsWith("Session time: 00:00:0"));

            QTest::mouseClick(child<QPushButton>(ready.window, "pushButtonDisconect"), Qt::LeftButton);
            QCOMPARE(ready.log.events.last(), QStringLiteral("tryToDisconect"));
            QCOMPARE(page(ready.window, "stackedWidgetConnectProccess"), 1);
        }
        ready.window.disconnected();
        QCOMPARE(page(ready.window, "stackedWidgetConnectProccess"), 0);
        QCOMPARE(page(ready.window, "stackedWidgetConnectedState"), 0);
    }

    void logOutWhileConnected()
    {
        Ready ready;
        ready.window.connected();
        ready.log.events.clear();

        auto *logOut = child<QListWidget>(ready.window, "listWidgetLogOut");
        QListWidgetItem *item = logOut->item(0);
        QCOMPARE(item->text(), QStringLiteral("Log out"));
        QTest::mouseClick(logOut->viewport(), Qt::LeftButton, {}, logOut->visualItemRect(item).center());

        QCOMPARE(ready.log.events, (QStringList {"tryToDisconect", "saveSettingsAction", "quitAction(false)"}));
        QCOMPARE(ready.log.savedLastServer, QStringList {"10.0.0.2"});
        QVERIFY(ready.window.isHidden());
        QCOMPARE(iconImage(item->icon()), iconImage(QIcon(":/resources/common/images/ic_menu_logout_active@2x.png")));
    }

    void closingBeforeAnyChoiceStoresNoServer()
    {
        MainDialogWindow window;
        SignalLog log(&window);
        window.setupWindow(metadata(), {}, AccessFlags {{"login", true}}, false, false, false, "10.0.0.9");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QVERIFY(!window.close()); // the event is ignored: the window object stays
        QCOMPARE(log.events, (QStringList {"saveSettingsAction", "quitAction(true)"}));
        QCOMPARE(log.savedLastServer, QStringList {""});
        QVERIFY(window.isHidden());
    }

    void loginAgainAfterLogOutWithAccessDenied()
    {
        Ready ready;
        auto *logOut = child<QListWidget>(ready.window, "listWidgetLogOut");
        QTest::mouseClick(logOut->viewport(), Qt::LeftButton, {}, logOut->visualItemRect(logOut->item(0)).center());

        // Signed in again, but the account may not connect.
        ready.window.setupWindow(metadata(), {{"message", "Blocked"}}, AccessFlags {{"login", true}}, false, false,
                                 false, {});
        ready.window.show();
        QCOMPARE(page(ready.window, "stackedWidgetMainWindow"), 0);
        ready.log.events.clear();
        ready.window.close();
        QCOMPARE(ready.log.events, (QStringList {"saveSettingsAction", "quitAction(false)"}));

        // "Login again" on the blocker page goes back to the login window too.
        ready.window.setupWindow(metadata(), {{"message", "Blocked"}}, AccessFlags {}, false, false, false, {});
        ready.window.show();
        ready.log.events.clear();
        QTest::mouseClick(child<QPushButton>(ready.window, "pushButtonLogOut"), Qt::LeftButton);
        QCOMPARE(ready.log.events, (QStringList {"saveSettingsAction", "quitAction(false)"}));
    }

    void serverErrorIsShownOnceAndReturnsToIdle()
    {
        ModalBoxCloser closer;
        Ready ready;
        ready.window.connected();
        child<QListWidget>(ready.window, "listWidgetMenuItems")->setCurrentRow(1);
        ready.window.newStats(QDateTime::currentDateTime(), 1048576, 1048576);

        const QString refused = QStringLiteral("AUTH: Received control message: AUTH_FAILED");
        ready.window.serverErrorOcured(refused);
        // The release of the session that follows reports once more.
        ready.window.serverErrorOcured(QStringLiteral("Something goes wrong..."));

        QVERIFY(closer.waitForBoxes(1));
        QTest::qWait(200);
        QCOMPARE(closer.boxes().size(), 1);
        QCOMPARE(closer.boxes().first().text, refused);
        QCOMPARE(ready.log.reports, QStringList {"10.0.0.2|" + refused});
        QCOMPARE(page(ready.window, "stackedWidgetMainFrame"), 0);
        QCOMPARE(page(ready.window, "stackedWidgetConnectProccess"), 0);
        QCOMPARE(page(ready.window, "stackedWidgetConnectedState"), 0);
        auto *chartView = child<QChartView>(ready.window, "graphicsViewChart");
        QCOMPARE(qobject_cast<QSplineSeries *>(chartView->chart()->series().first())->count(), 0);

        // A later failure is a new one and is shown again.
        ready.window.serverErrorOcured(QStringLiteral("Something goes wrong..."));
        QVERIFY(closer.waitForBoxes(2));
        QCOMPARE(ready.log.reports.size(), 2);
    }

    void chartArithmetic_data()
    {
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<Values>("sent");
        QTest::addColumn<Values>("received");
        QTest::addColumn<double>("axisMax");

        QTest::newRow("first sample") << Samples {{0, 2097152, 1048576}} << Values {16} << Values {8} << 10.0;
        QTest::newRow("next second adds the increment")
            << Samples {{0, 2097152, 1048576}, {1000, 3145728, 1048576}} << Values {16, 8} << Values {8, 0} << 16.0;
        QTest::newRow("same second merges into the last point")
            << Samples {{0, 2097152, 1048576}, {900, 3145728, 2097152}} << Values {24} << Values {16} << 16.0;
        QTest::newRow("600 000 000 bytes")
            << Samples {{0, 600000000, 0}} << Values {600000000 * 8.0 / 1048576} << Values {0} << 10.0;
        QTest::newRow("large point counts on the next call")
            << Samples {{0, 600000000, 0}, {1000, 600000000, 0}} << Values {600000000 * 8.0 / 1048576, 0}
            << Values {0, 0} << 600000000 * 8.0 / 1048576;
        QTest::newRow("5 GiB") << Samples {{0, 5LL << 30, 5LL << 30}} << Values {40960} << Values {40960} << 10.0;
        QTest::newRow("across 4 GiB") << Samples {{0, (4LL << 30) - (1 << 20), 0}, {1000, (4LL << 30) + (1 << 20), 0}}
                                      << Values {32760, 16} << Values {0, 0} << 32760.0;
    }

    void chartArithmetic()
    {
        QFETCH(Samples, samples);
        QFETCH(Values, sent);
        QFETCH(Values, received);
        QFETCH(double, axisMax);

        MainDialogWindow window;
        window.setupWindow(metadata(), {}, granted, false, false, false, {});
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(1700000000000);
        for (const auto &sample : samples)
            window.newStats(start.addMSecs(sample.at(0)), quint64(sample.at(1)), quint64(sample.at(2)));

        QChart *chart = child<QChartView>(window, "graphicsViewChart")->chart();
        auto *sentSeries = qobject_cast<QSplineSeries *>(chart->series().at(0));
        auto *receivedSeries = qobject_cast<QSplineSeries *>(chart->series().at(1));
        QCOMPARE(sentSeries->count(), sent.size());
        QCOMPARE(receivedSeries->count(), received.size());
        for (int i = 0; i < sent.size(); ++i) {
            QCOMPARE(sentSeries->at(i).x(), double(1700000000000 + 1000 * i));
            QCOMPARE(receivedSeries->at(i).x(), sentSeries->at(i).x());
            QCOMPARE(sentSeries->at(i).y(), sent.at(i));
            QCOMPARE(receivedSeries->at(i).y(), received.at(i));
        }
        auto *valueAxis = qobject_cast<QValueAxis *>(chart->axes(Qt::Vertical).first());
        QCOMPARE(valueAxis->min(), 0.0);
        QCOMPARE(valueAxis->max(), axisMax);

        const auto last = samples.last();
        QCOMPARE(child<QLabel>(window, "labelSent")->text(), QStringLiteral("Sent: %1 MB").arg(last.at(1) >> 20));
        QCOMPARE(child<QLabel>(window, "labelReceived")->text(),
                 QStringLiteral("Received: %1 MB").arg(last.at(2) >> 20));
    }

    void totalsAreWholeMebibytes_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("under one") << quint64(1048575) << "Received: 0 MB";
        QTest::newRow("one and a half") << quint64(1572864) << "Received: 1 MB";
        QTest::newRow("5 GiB") << (quint64(5) << 30) << "Received: 5120 MB";
    }

    void totalsAreWholeMebibytes()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        MainDialogWindow window;
        window.newStats(QDateTime::currentDateTime(), 0, bytes);
        QCOMPARE(child<QLabel>(window, "labelReceived")->text(), text);
    }

    void timeAxisFollowsTheSession()
    {
        MainDialogWindow window;
        window.setupWindow(metadata(), {}, granted, false, false, false, {});
        QChart *chart = child<QChartView>(window, "graphicsViewChart")->chart();
        auto *timeAxis = qobject_cast<QDateTimeAxis *>(chart->axes(Qt::Horizontal).first());
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(1700000000000);

        window.connected();
        for (int second = 0; second <= 60; ++second)
            window.newStats(start.addSecs(second), quint64(second) << 20, 0);
        QCOMPARE(timeAxis->min(), start);
        QCOMPARE(timeAxis->max(), start.addSecs(600));

        for (int second = 61; second <= 900; ++second)
            window.newStats(start.addSecs(second), quint64(second) << 20, 0);
        QCOMPARE(timeAxis->min(), start);
        QCOMPARE(timeAxis->max(), start.addSecs(900));

        // A new session starts an empty chart from its own first sample.
        window.disconnected();
        QCOMPARE(chart->series().first()->property("count").toInt(), 0);
        window.connected();
        const QDateTime later = start.addSecs(3600);
        window.newStats(later.addMSecs(250), 1 << 20, 0);
        auto *sentSeries = qobject_cast<QSplineSeries *>(chart->series().first());
        QCOMPARE(sentSeries->count(), 1);
        QCOMPARE(sentSeries->at(0).y(), 8.0);
        QCOMPARE(timeAxis->min(), later);
        QCOMPARE(timeAxis->max(), later.addSecs(600));
    }

    void switches_data()
    {
        QTest::addColumn<bool>("autorun");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("stack");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("after");

        QTest::newRow("autorun off") << true << false << "pushButtonDisableAutorun"
                                     << "stackedWidgetAutorun"
                                     << "autorun" << false;
        QTest::newRow("autorun on") << false << true << "pushButtonEnableAutorun"
                                    << "stackedWidgetAutorun"
                                    << "autorun" << true;
        QTest::newRow("tray icon off") << false << true << "pushButtonDisableTrayIcon"
                                       << "stackedWidgetTrayIcon"
                                       << "trayicon" << false;
        QTest::newRow("tray icon on") << true << false << "pushButtonEnableTrayIcon"
                                      << "stackedWidgetTrayIcon"
                                      << "trayicon" << true;
    }

    void switches()
    {
        QFETCH(bool, autorun);
        QFETCH(bool, tray);
        QFETCH(QString, button);
        QFETCH(QString, stack);
        QFETCH(QString, key);
        QFETCH(bool, after);

        MainDialogWindow window;
        SignalLog log(&window);
        window.setupWindow(metadata(), {}, granted, autorun, tray, true, {});
        giveServers(window, hostNames(1), {"20ms"});
        child<QListWidget>(window, "listWidgetMenuItems")->setCurrentRow(1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(page(window, "stackedWidgetMainFrame"), 1);
        QCOMPARE(page(window, "stackedWidgetAutorun"), autorun ? 0 : 1);
        QCOMPARE(page(window, "stackedWidgetTrayIcon"), tray ? 0 : 1);
        const QMap<QString, bool> before = window.getSettings();
        log.events.clear();

        auto *pushButton = window.findChild<QPushButton *>(button);
        QVERIFY(pushButton->isVisible());
        QTest::mouseClick(pushButton, Qt::LeftButton);

        QCOMPARE(log.events, QStringList {"saveSettingsAction"});
        QCOMPARE(page(window, stack.toLatin1()), after ? 0 : 1);
        QMap<QString, bool> expected = before;
        expected[key] = after;
        QCOMPARE(window.getSettings(), expected);
        QCOMPARE(window.getSettings().keys(), (QStringList {"autorun", "dns", "trayicon"}));
    }

    void dnsRowStaysHidden_data()
    {
        QTest::addColumn<bool>("setDns");
        QTest::newRow("given true") << true;
        QTest::newRow("given false") << false;
    }

    void dnsRowStaysHidden()
    {
        QFETCH(bool, setDns);
        MainDialogWindow window;
        window.setupWindow(metadata(), {}, granted, false, false, setDns, {});
        giveServers(window, hostNames(1), {"20ms"});
        child<QListWidget>(window, "listWidgetMenuItems")->setCurrentRow(1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QVERIFY(!child<QLabel>(window, "labelSetDNS")->isVisible());
        QVERIFY(!child<QPushButton>(window, "pushButtonEnableSetDNS")->isVisible());
        QVERIFY(!child<QPushButton>(window, "pushButtonDisableSetDNS")->isVisible());
        QCOMPARE(page(window, "stackedWidgetSetDNS"), 1);
        QTest::mouseClick(child<QPushButton>(window, "pushButtonEnableAutorun"), Qt::LeftButton);
        QCOMPARE(window.getSettings().value("dns"), setDns);
    }

    void aboutPage_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::newRow("address") << "https://localhost:18443/";
        QTest::newRow("markup in the service text") << "https://localhost/<b>x</b>&<a href=\"http://localhost/\">";
        QTest::newRow("missing") << "";
    }

    void aboutPage()
    {
        QFETCH(QString, domain);
        UrlCatcher urls;
        StartupData data = metadata();
        if (domain.isEmpty())
            data.remove("domain");
        else
            data["domain"] = domain;
        MainDialogWindow window;
        window.setupWindow(data, {}, granted, false, false, false, {});

        QCOMPARE(child<QLabel>(window, "labelAppLogoName")->text(), QStringLiteral("Velmora VPN"));
        QCOMPARE(child<QLabel>(window, "labelAboutAppName")->text(), QStringLiteral("Velmora VPN"));
        QCOMPARE(child<QLabel>(window, "labelAboutCorpTitle")->text(), QStringLiteral("Velmora Networks"));
        QCOMPARE(child<QLabel>(window, "labelAboutAppVersion")->text(), QStringLiteral("Application version: 1.0.0"));

        auto *link = child<QLabel>(window, "labelAboutDomain");
        const QString text = link->text();
        QVERIFY2(text.contains(">" + domain.toHtmlEscaped() + "</span>"), qPrintable(text));
        // Only the label's own link, whatever the service sent.
        QCOMPARE(text.count("<a "), 1);
        QVERIFY(!text.contains("<b>"));

        emit link->linkActivated(QStringLiteral("#domain_link"));
        if (domain.isEmpty())
            QVERIFY(urls.opened.isEmpty());
        else
            QCOMPARE(urls.opened, QList<QUrl> {QUrl(domain, QUrl::TolerantMode)});
    }
};

QTEST_MAIN(tst_MainDialogWindow)
#include "tst_MainDialogWindow.moc"
