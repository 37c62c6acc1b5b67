#pragma once

#include "ServiceData.h"

#include <QApplication>
#include <QMap>
#include <QString>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class NetworkManager;
class Ping;
class Protocol;
class LoginDialogWindow;
class MainDialogWindow;
class NewUpdateDialogWindow;
class StartupWindow;

// The application object. It creates every long-lived object without a Qt
// parent, owns and wires them, keeps the credentials and options in memory
// and decides which window is shown. Everything runs on the GUI thread.
class AppCore : public QApplication
{
    Q_OBJECT

public:
    enum WindowMode { MainWindow = 0, LoginWindow = 1 };

    AppCore(int &argc, char **argv);
    ~AppCore() override;

    // The client's own version, compared with the one the service offers.
    static QString clientVersion();

signals:
    void quitAction();
    void makeStartupRequest();
    void makeLoginRequest();
    void makeServerListRequest();
    void serverListError();
    void serverDataReady();

private slots:
    void startupErrorOcurred();
    void loginErrorOccurred();
    void serverListErrorOccured();
    void processStartupReply();
    void processLoginReply();
    void processServerListReply();
    void requestLogin();
    void requestServerList();
    void serverDataComplited();
    void tryToCloseLoginWindow(bool _needExit);
    void tryToCloseMainWindow(bool _needExit);
    void tryToCloseUpdateWindow();
    void tryToCloseApplication();
    void saveMainWindowSettings();
    void tryToStartOvpn();
    void vpnStarted();
    void vpnStoped();
    void currentServerChoosed();
    void trayIconDoubleClicked(QSystemTrayIcon::ActivationReason reason);

private:
    void showLoginWindow();
    void showMainWindow();
    void pingServers();
    void setupTrayIcon(bool visible);
    void bringWindowBack();
    void showBalloon(const QString &text);
    void showNetworkError(const QString &text);
    QString organisation();

    QString userName;
    QString password;
    bool remember = false;
    bool autorunEnabled = false;
    bool trayIconEnabled = false;
    bool setDnsEnabled = false;
    QString lastServer;
    bool vpnConnected = false;
    bool serverChosen = false;
    WindowMode windowMode = LoginWindow;
    StartupData startupData;
    LoginData loginData;
    AccessFlags accessFlags;
    ServerList servers;
    FlagImages flagImages;
    QMap<QString, QString> pingResults;

    NetworkManager *networkManager = nullptr;
    Ping *ping = nullptr;
    Protocol *protocol = nullptr;
    LoginDialogWindow *loginWindow = nullptr;
    MainDialogWindow *mainWindow = nullptr;
    NewUpdateDialogWindow *updateWindow = nullptr;
    StartupWindow *startupWindow = nullptr;
    QAction *exitAction = nullptr;
    QAction *startAction = nullptr;
    QAction *stopAction = nullptr;
    QAction *showAction = nullptr;
    QMenu *trayMenu = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;

    // setupTrayIcon connects the tray's signals only once.
    bool trayConnected = false;
};
