#include "AppCore.h"

#include "BuildConfig.h"
#include "LoginDialogWindow.h"
#include "MainDialogWindow.h"
#include "NetworkManager.h"
#include "NewUpdateDialogWindow.h"
#include "Ping.h"
#include "Platform.h"
#include "Protocol.h"
#include "SettingsStore.h"
#include "StartupWindow.h"
#include "UiResources.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QSslCertificate>
#include <QSslConfiguration>

Q_LOGGING_CATEGORY(lcCore, "velmora.core")

namespace {

const char productName[] = "velmora";

// The development build trusts its own CA in addition to the system's; the
// production build adds nothing. Certificate checks stay on either way.
void addBuildCaCertificates()
{
    const QByteArray pem = BuildConfig::extraCaCertificates();
    if (pem.trimmed().isEmpty())
        return;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(QSslCertificate::fromData(pem, QSsl::Pem));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

} // namespace

AppCore::AppCore(int &argc, char **argv)
    : QApplication(argc, argv)
{
    ensureUiResources();
    addBuildCaCertificates();

    loginWindow = new LoginDialogWindow();
    mainWindow = new MainDialogWindow();
    updateWindow = new NewUpdateDialogWindow();
    startupWindow = new StartupWindow();
    networkManager = new NetworkManager();
    ping = new Ping();
    protocol = new Protocol();

    showAction = new QAction(tr("Show"), this);
    startAction = new QAction(tr("Start"), this);
    stopAction = new QAction(tr("Stop"), this);
    exitAction = new QAction(tr("Exit"), this);

    trayMenu = new QMenu();
    trayIcon = new QSystemTrayIcon(this);

    connect(ping, &Ping::pingComplited, this, &AppCore::serverDataComplited);
    connect(this, &AppCore::makeStartupRequest, networkManager, &NetworkManager::makeStartupRequest);
    connect(this, &AppCore::makeLoginRequest, networkManager, &NetworkManager::makeLoginRequest);
    connect(this, &AppCore::makeServerListRequest, networkManager, &NetworkManager::makeServerListRequest);
    connect(loginWindow, &LoginDialogWindow::quitAction, this, &AppCore::tryToCloseLoginWindow);
    connect(loginWindow, &LoginDialogWindow::makeLoginRequest, this, &AppCore::requestLogin);
    connect(mainWindow, &MainDialogWindow::quitAction, this, &AppCore::tryToCloseMainWindow);
    connect(mainWindow, &MainDialogWindow::serverListRequest, this, &AppCore::requestServerList);
    connect(mainWindow, &MainDialogWindow::tryToConnect, this, &AppCore::tryToStartOvpn);
    connect(mainWindow, &MainDialogWindow::tryToDisconect, protocol, &Protocol::tryToDisconect);
    connect(mainWindow, &MainDialogWindow::saveSettingsAction, this, &AppCore::saveMainWindowSettings);
    connect(mainWindow, &MainDialogWindow::currentServerChoosed, this, &AppCore::currentServerChoosed);
    connect(updateWindow, &NewUpdateDialogWindow::quitAction, this, &AppCore::tryToCloseUpdateWindow);
    connect(protocol, &Protocol::newTspSocketStats, mainWindow, &MainDialogWindow::newStats);
    connect(protocol, &Protocol::connected, mainWindow, &MainDialogWindow::connected);
    connect(protocol, &Protocol::disconnected, mainWindow, &MainDialogWindow::disconnected);
    connect(protocol, &Protocol::connected, this, &AppCore::vpnStarted);
    connect(protocol, &Protocol::disconnected, this, &AppCore::vpnStoped);
    connect(this, &AppCore::serverDataReady, mainWindow, &MainDialogWindow::processServerList);
    connect(this, &AppCore::serverListError, mainWindow, &MainDialogWindow::serverListErrorOcured);
    connect(networkManager, &NetworkManager::startUpResponceFinished, this, &AppCore::processStartupReply);
    connect(networkManager, &NetworkManager::loginResponceFinished, this, &AppCore::processLoginReply);
    connect(networkManager, &NetworkManager::serverListResponceFinished, this, &AppCore::processServerListReply);
    connect(networkManager, &NetworkManager::startupErrorOccurred, this, &AppCore::startupErrorOcurred);
    connect(networkManager, &NetworkManager::loginErrorOccurred, this, &AppCore::loginErrorOccurred);
    connect(networkManager, &NetworkManager::serverListErrorOccured, this, &AppCore::serverListErrorOccured);
    connect(this, &AppCore::quitAction, protocol, &Protocol::tryToDisconect);
    connect(this, &AppCore::quitAction, this, &QCoreApplication::quit, Qt::QueuedConnection);

    // Why a session ended reaches the user, and the service gets one report
    // of it. The tunnel driver only reports endings that OpenVPN caused.
    connect(protocol, &Protocol::serverError, mainWindow, &MainDialogWindow::serverErrorOcured);
    connect(mainWindow, &MainDialogWindow::reportRequest, networkManager, &NetworkManager::makeReportRequest);

    // A request to end the process (log-out of the desktop, kill) takes the
    // same road as Exit, so the tunnel is released and the files removed.
    Platform::onTerminationRequest(this, [this] { tryToCloseApplication(); });

    emit makeStartupRequest();
    startupWindow->show();
}

AppCore::~AppCore()
{
    delete loginWindow;
    delete startupWindow;
    delete updateWindow;
    delete networkManager;
    delete ping;
    delete protocol;
    delete startAction;
    delete stopAction;
    delete exitAction;
    delete trayMenu;
    delete trayIcon;
    delete mainWindow;
}

QString AppCore::clientVersion()
{
    return QStringLiteral("1.0.0");
}

QString AppCore::organisation()
{
    return startupData[QStringLiteral("corp_title")];
}

void AppCore::showNetworkError(const QString &text)
{
    QMessageBox box;
    box.setWindowTitle(tr("Network error"));
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void AppCore::startupErrorOcurred()
{
    showNetworkError(networkManager->errorMessage());
    emit quitAction();
}

void AppCore::loginErrorOccurred()
{
    loginWindow->close();
    showNetworkError(networkManager->errorMessage());
    showLoginWindow();
}

void AppCore::serverListErrorOccured()
{
    mainWindow->setBlockerMessage(networkManager->errorMessage());
    emit serverListError();
}

void AppCore::processStartupReply()
{
    startupData = networkManager->startupData();
    const QString corpTitle = startupData[QStringLiteral("corp_title")];
    const QString domain = startupData[QStringLiteral("domain")];
    QCoreApplication::setOrganizationName(corpTitle);
    QCoreApplication::setOrganizationDomain(domain);
    QCoreApplication::setApplicationName(QLatin1String(productName));

    startupWindow->close();

    const QString offeredVersion = startupData[QStringLiteral("version")];
    if (offeredVersion != clientVersion()) {
        // The domain starts with "https://www2."; what follows names the
        // installer folder and file.
        const QString site = domain.mid(13);
        const QString address
            = BuildConfig::installerBaseUrl() + QStringLiteral("/%1/%2_installer.exe").arg(site, site);
        updateWindow->setModal(true);
        updateWindow->setVersion(offeredVersion);
        updateWindow->setDownloadUrl(address);
        updateWindow->exec();
    }
    showLoginWindow();
}

void AppCore::showLoginWindow()
{
    windowMode = LoginWindow;
    const QString org = organisation();
    const QString app = QLatin1String(productName);
    setDnsEnabled = readMainWindowSetting(SetDns, org, app).toBool();
    lastServer = readMainWindowSetting(LastServer, org, app).toString();
    trayIconEnabled = readMainWindowSetting(TrayIcon, org, app).toBool();
    remember = readLoginSetting(Remember, org, app).toBool();
    userName = readLoginSetting(UserName, org, app).toString();
    password = readLoginSetting(Password, org, app).toString();

    setupTrayIcon(trayIconEnabled);
    loginWindow->prepareLoginForm(startupData, userName, password, remember);
    loginWindow->show();
}

void AppCore::requestLogin()
{
    const QMap<QString, QString> credentials = loginWindow->getLoginData();
    networkManager->setCredentials(credentials.value(QStringLiteral("username")),
                                   credentials.value(QStringLiteral("password")));
    emit makeLoginRequest();
}

void AppCore::processLoginReply()
{
    loginData = networkManager->loginData();
    accessFlags = networkManager->accessFlags();
    const QString org = organisation();
    const QString app = QLatin1String(productName);

    remember = loginWindow->isRememberMeChecked();
    const QMap<QString, QString> credentials = loginWindow->getLoginData();
    userName = credentials.value(QStringLiteral("username"));
    password = credentials.value(QStringLiteral("password"));
    if (remember)
        writeLoginSettings(userName, password, true, org, app);
    else
        writeLoginSettings(QString(), QString(), false, org, app);

    loginWindow->close();
    autorunEnabled = readMainWindowSetting(Autorun, org, app).toBool();
    showMainWindow();
}

void AppCore::showMainWindow()
{
    windowMode = MainWindow;
    setupTrayIcon(trayIconEnabled);
    mainWindow->setupWindow(startupData, loginData, accessFlags, autorunEnabled, trayIconEnabled, setDnsEnabled,
                            lastServer);
    mainWindow->show();
}

void AppCore::requestServerList()
{
    emit makeServerListRequest();
}

void AppCore::processServerListReply()
{
    servers = networkManager->serverList();
    flagImages = networkManager->flagImages();
    pingServers();
}

void AppCore::pingServers()
{
    QStringList hosts;
    hosts.reserve(servers.size());
    for (const ServerRecord &record : qAsConst(servers))
        hosts.append(record.value(QStringLiteral("hostname")));
    ping->clearResults();
    ping->startPinging(hosts);
}

void AppCore::serverDataComplited()
{
    pingResults = ping->pingResults();
    ping->stopPinging();
    mainWindow->setServerList(servers);
    mainWindow->setServerPings(pingResults);
    mainWindow->setServerFlags(flagImages);
    emit serverDataReady();
}

void AppCore::saveMainWindowSettings()
{
    const QString org = organisation();
    const QMap<QString, bool> options = mainWindow->getSettings();
    autorunEnabled = options.value(QStringLiteral("autorun"), false);
    trayIconEnabled = options.value(QStringLiteral("trayicon"), false);
    setDnsEnabled = options.value(QStringLiteral("dns"), false);
    lastServer = mainWindow->getLastServer();
    setupTrayIcon(trayIconEnabled);
    writeMainWindowSettings(autorunEnabled, trayIconEnabled, setDnsEnabled, lastServer, org,
                            QLatin1String(productName));
}

void AppCore::tryToStartOvpn()
{
    startAction->setEnabled(false);
    stopAction->setEnabled(false);
    protocol->startConnection(userName, password, mainWindow->getCurrentServerOvpn());
}
