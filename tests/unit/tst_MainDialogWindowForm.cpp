#include "MainDialogWindow.h"

#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

// The window's behaviour, the controller and the style sheet address the
// form's widgets by these names.
class tst_MainDialogWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void objectNames_data()
    {
        QTest::addColumn<QString>("className");
        const QList<QPair<const char *, const char *>> widgets = {
            {"MainDialogWindow", "MainDialogWindow"},
            {"stackedWidgetMainWindow", "QStackedWidget"},
            {"pageBlockerFrame", "QWidget"},
            {"frameBlocker", "QFrame"},
            {"labelBlockerMessage", "QLabel"},
            {"pushButtonLogOut", "QPushButton"},
            {"pageLoadMetadata", "QWidget"},
            {"labelLoadMetadata", "QLabel"},
            {"widgetLoadMetadataAnimation", "ProccessAnimationWidget"},
            {"pageMainFrame", "QWidget"},
            {"frameMain", "QFrame"},
            {"frameMenuItems", "QFrame"},
            {"listWidgetMenuItems", "QListWidget"},
            {"listWidgetLogOut", "QListWidget"},
            {"stackedWidgetMainFrame", "QStackedWidget"},
            {"pageServers", "QWidget"},
            {"tabWidgetServers", "QTabWidget"},
            {"tabCurrentServer", "QWidget"},
            {"frameCurrentServerInfo", "QFrame"},
            {"labelCurrentServerFlag", "QLabel"},
            {"labelCurrentServerName", "QLabel"},
            {"labelCurrentServerPing", "QLabel"},
            {"stackedWidgetConnectProccess", "QStackedWidget"},
            {"pageConnectProccess", "QWidget"},
            {"pushButtonConnect", "QPushButton"},
            {"pageAwaitingConnectionProccess", "QWidget"},
            {"widgetConnectionProcessAnimation", "ProccessAnimationWidget"},
            {"pageDisconectProccess", "QWidget"},
            {"pushButtonDisconect", "QPushButton"},
            {"tabAllServers", "QWidget"},
            {"tableWidgetAllServers", "QTableWidget"},
            {"stackedWidgetConnectedState", "QStackedWidget"},
            {"pageDisconected", "QWidget"},
            {"labelDisconnectedImage", "QLabel"},
            {"labelStatusDisconected", "QLabel"},
            {"pageConected", "QWidget"},
            {"layoutWidget", "QWidget"},
            {"graphicsViewChart", "QtCharts::QChartView"},
            {"labelHostnameImage", "QLabel"},
            {"labelHostNameCountry", "QLabel"},
            {"labelSessionTimeImage", "QLabel"},
            {"labelSessionTime", "QLabel"},
            {"labelReceivedImage", "QLabel"},
            {"labelReceived", "QLabel"},
            {"label", "QLabel"},
            {"labelSent", "QLabel"},
            {"pageSettings", "QWidget"},
            {"tabWidgetSettings", "QTabWidget"},
            {"tabSettings", "QWidget"},
            {"labelAutorun", "QLabel"},
            {"stackedWidgetAutorun", "QStackedWidget"},
            {"pageAutorunEnabled", "QWidget"},
            {"pushButtonDisableAutorun", "QPushButton"},
            {"pageAutorunDisabled", "QWidget"},
            {"pushButtonEnableAutorun", "QPushButton"},
            {"labelTrayIcon", "QLabel"},
            {"stackedWidgetTrayIcon", "QStackedWidget"},
            {"pageEnabledTrayIcon", "QWidget"},
            {"pushButtonDisableTrayIcon", "QPushButton"},
            {"pageDisabledTrayIcon", "QWidget"},
            {"pushButtonEnableTrayIcon", "QPushButton"},
            {"labelSetDNS", "QLabel"},
            {"stackedWidgetSetDNS", "QStackedWidget"},
            {"pageEnabledSetDNS", "QWidget"},
            {"pushButtonDisableSetDNS", "QPushButton"},
            {"pageDisabledSetDNS", "QWidget"},
            {"pushButtonEnableSetDNS", "QPushButton"},
            {"pageAbout", "QWidget"},
            {"tabWidgetAbout", "QTabWidget"},
            {"tabAbout", "QWidget"},
            {"labelAboutLogo", "QLabel"},
            {"labelAppLogoName", "QLabel"},
            {"labelSecureSince", "QLabel"},
            {"labelAboutAppName", "QLabel"},
            {"labelAboutAppVersion", "QLabel"},
            {"labelAboutCorpTitle", "QLabel"},
            {"labelAboutDomain", "QLabel"},
        };
        for (const auto &widget : widgets)
            QTest::newRow(widget.first) << QString::fromLatin1(widget.second);
    }

    void objectNames()
    {
        QFETCH(QString, className);
        MainDialogWindow window;
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QWidget *widget = name == window.objectName() ? &window : window.findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    }

    // Where the form leaves its pages and tabs; setupWindow moves most of them.
    void pagesLeftByTheForm_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("stackedWidgetMainWindow") << 2;
        QTest::newRow("stackedWidgetMainFrame") << 0;
        QTest::newRow("tabWidgetServers") << 0;
        QTest::newRow("stackedWidgetConnectProccess") << 1;
        QTest::newRow("stackedWidgetConnectedState") << 1;
        QTest::newRow("tabWidgetSettings") << 0;
        QTest::newRow("stackedWidgetAutorun") << 0;
        QTest::newRow("stackedWidgetTrayIcon") << 0;
        QTest::newRow("stackedWidgetSetDNS") << 1;
        QTest::newRow("tabWidgetAbout") << 0;
    }

    void pagesLeftByTheForm()
    {
        QFETCH(int, index);
        MainDialogWindow window;
        QWidget *widget = window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(widget);
        if (auto *stack = qobject_cast<QStackedWidget *>(widget))
            QCOMPARE(stack->currentIndex(), index);
        else
            QCOMPARE(qobject_cast<QTabWidget *>(widget)->currentIndex(), index);
    }
};

QTEST_MAIN(tst_MainDialogWindowForm)
#include "tst_MainDialogWindowForm.moc"
