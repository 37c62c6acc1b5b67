#pragma once

#include "ServerEntry.h"
#include "ServiceData.h"

#include <QDateTime>
#include <QDialog>
#include <QMap>
#include <QVector>

class QListWidgetItem;
class QMessageBox;
class QTimer;

namespace QtCharts {
class QChart;
class QDateTimeAxis;
class QSplineSeries;
class QValueAxis;
} // namespace QtCharts

class QStackedWidget;

namespace Ui {
class MainDialogWindow;
}

// The main window: menu, servers page with the connection details and chart,
// settings and about. It keeps copies of what the controller hands it and
// reports the user's actions by signals; all on the GUI thread.
class MainDialogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit MainDialogWindow(QWidget *parent = nullptr);
    ~MainDialogWindow() override;

    void setupWindow(const StartupData &startupData, const LoginData &loginData, const AccessFlags &flags, bool autorun,
                     bool trayIcon, bool setDns, const QString &lastServerHost);
    void setBlockerMessage(const QString &text);
    QString getLastServer() const;
    QMap<QString, bool> getSettings() const;

    void setServerList(const ServerList &list);
    void setServerPings(const QMap<QString, QString> &pings);
    void setServerFlags(const FlagImages &flags);
    QString getCurrentServerTitle() const;
    QString getCurrentServerOvpn() const;

signals:
    void tryToConnect();
    void tryToDisconect();
    void currentServerChoosed();
    void serverListRequest();
    void quitAction(bool _needExit);
    void saveSettingsAction();
    void reportRequest(QString errorServerHostname, QString errorServerMessage);

public slots:
    void disconnected();
    void connected();
    void serverErrorOcured(QString message);
    void processServerList();
    void serverListErrorOcured();
    void newStats(QDateTime timestamp, quint64 bytesSent, quint64 bytesReceived);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_listWidgetMenuItems_currentRowChanged(int currentRow);
    void on_pushButtonLogOut_clicked();
    void on_pushButtonConnect_clicked();
    void on_pushButtonDisconect_clicked();
    void on_labelAboutDomain_linkActivated(QString link);
    void on_tableWidgetAllServers_cellDoubleClicked(int row, int column);
    void on_listWidgetLogOut_itemClicked(QListWidgetItem *item);
    void on_listWidgetMenuItems_itemClicked(QListWidgetItem *item);
    void on_pushButtonEnableAutorun_clicked();
    void on_pushButtonDisableAutorun_clicked();
    void on_pushButtonEnableTrayIcon_clicked();
    void on_pushButtonDisableTrayIcon_clicked();
    void on_pushButtonDisableSetDNS_clicked();
    void on_pushButtonEnableSetDNS_clicked();

private:
    // Flips one option, shows its switch page and asks for the settings to be saved.
    void setSwitch(bool &option, QStackedWidget *switchPages, bool enabled);
    void initWindow();
    void fillMenu();
    void resetMenuIcons();
    void fillAboutPage();
    void resetCurrentServerPanel();
    void updateCurrentServer();
    void initChart();
    void applyFonts();
    void updateSessionTime();
    void clearChart();
    void showIdleServersPage();

    Ui::MainDialogWindow *ui;

    StartupData metadata;
    LoginData loginInfo;
    AccessFlags accessFlags;

    QListWidgetItem *menuItemServers;
    QListWidgetItem *menuItemSettings;
    QListWidgetItem *menuItemAbout;
    QListWidgetItem *menuItemProfile;
    QListWidgetItem *menuItemHelp;
    QListWidgetItem *menuItemLogOut;

    QVector<ServerEntry> servers;
    ServerEntry currentServer;

    QtCharts::QChart *chart;
    QtCharts::QSplineSeries *sentSeries;
    QtCharts::QSplineSeries *receivedSeries;
    QtCharts::QDateTimeAxis *timeAxis = nullptr;
    QtCharts::QValueAxis *valueAxis = nullptr;
    // Running sums and maxima of the series' y values, so a sample costs the
    // same at the end of a long session as at its start.
    double chartSumSent = 0;
    double chartSumReceived = 0;
    double chartMaxSent = 0;
    double chartMaxReceived = 0;

    QTimer *sessionTimer;
    QDateTime sessionStart;

    bool autorunEnabled;
    bool trayIconEnabled;
    bool setDnsEnabled;
    QString lastServer;
    bool needExit;
    bool sessionTimerRunning;

    // The box that shows why a session ended; one at a time.
    QMessageBox *serverErrorBox = nullptr;
};
