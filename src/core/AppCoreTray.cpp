// The tray icon, its menu and balloons, and every way the application ends.
#include "AppCore.h"

#include "LoginDialogWindow.h"
#include "MainDialogWindow.h"
#include "Ping.h"
#include "Protocol.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>

Q_DECLARE_LOGGING_CATEGORY(lcCore)

namespace {
const char balloonTitle[] = "velmora";
const int balloonMs = 10000;
} // namespace

void AppCore::showBalloon(const QString &text)
{
    trayIcon->showMessage(QLatin1String(balloonTitle), text, QSystemTrayIcon::Information, balloonMs);
}

void AppCore::setupTrayIcon(bool visible)
{
    trayMenu->hide();
    if (!visible) {
        trayIcon->hide();
        return;
    }

    if (!trayConnected) {
        trayConnected = true;
        connect(exitAction, &QAction::triggered, this, &AppCore::tryToCloseApplication);
        connect(startAction, &QAction::triggered, this, &AppCore::tryToStartOvpn);
        connect(stopAction, &QAction::triggered, protocol, &Protocol::tryToDisconect);
        connect(
            showAction, &QAction::triggered, showAction, [this] { bringWindowBack(); }, Qt::DirectConnection);
        connect(trayIcon, &QSystemTrayIcon::activated, this, &AppCore::trayIconDoubleClicked);
    }

    trayMenu->clear();
    if (windowMode == MainWindow) {
        qCDebug(lcCore) << "MainWindow";
        trayMenu->addAction(showAction);
        trayMenu->addAction(startAction);
        trayMenu->addAction(stopAction);
        trayMenu->addSeparator();
        trayMenu->addAction(exitAction);

        startAction->setEnabled(false);
        stopAction->setEnabled(false);
        if (serverChosen) {
            if (vpnConnected)
                vpnStarted();
            else
                vpnStoped();
        }
    } else {
        qCDebug(lcCore) << "LoginWindow";
        trayMenu->addAction(showAction);
        trayMenu->addSeparator();
        trayMenu->addAction(exitAction);
    }

    trayIcon->setIcon(QIcon(QStringLiteral(":/resources/common/images/logo_update.png")));
    trayIcon->setToolTip(startupData[QStringLiteral("app_title")]);
    trayIcon->setContextMenu(trayMenu);
    trayIcon->show();
}

void AppCore::vpnStarted()
{
    vpnConnected = true;
    const QString title = mainWindow->getCurrentServerTitle();
    startAction->setText(QStringLiteral("Connected to ") + title);
    startAction->setEnabled(false);
    stopAction->setText(QStringLiteral("Stop"));
    stopAction->setEnabled(true);
    showBalloon(QStringLiteral("Connected to ") + title);
}

void AppCore::vpnStoped()
{
    vpnConnected = false;
    const QString title = mainWindow->getCurrentServerTitle();
    startAction->setText(QStringLiteral("Start"));
    startAction->setEnabled(true);
    stopAction->setText(title);
    stopAction->setEnabled(false);
    showBalloon(QStringLiteral("Disconnected"));
}

void AppCore::currentServerChoosed()
{
    vpnConnected = false;
    serverChosen = true;
    const QString title = mainWindow->getCurrentServerTitle();
    startAction->setText(QStringLiteral("Start"));
    startAction->setEnabled(true);
    stopAction->setText(title);
    stopAction->setEnabled(false);
}

void AppCore::trayIconDoubleClicked(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    bringWindowBack();
}

void AppCore::bringWindowBack()
{
    QWidget *window
        = windowMode == MainWindow ? static_cast<QWidget *>(mainWindow) : static_cast<QWidget *>(loginWindow);
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

void AppCore::tryToCloseLoginWindow(bool _needExit)
{
    if (_needExit && !trayIconEnabled) {
        ping->stopPinging();
        emit quitAction();
    }
}

void AppCore::tryToCloseMainWindow(bool _needExit)
{
    if (!_needExit) {
        showLoginWindow();
        return;
    }
    showBalloon(QStringLiteral("%1 %2").arg(QLatin1String(balloonTitle), tr("is still running...")));
    if (!trayIconEnabled) {
        ping->stopPinging();
        emit quitAction();
    }
}

void AppCore::tryToCloseUpdateWindow()
{
    ping->stopPinging();
    emit quitAction();
}

void AppCore::tryToCloseApplication()
{
    ping->stopPinging();
    emit quitAction();
}
