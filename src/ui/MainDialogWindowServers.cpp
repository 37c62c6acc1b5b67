// Servers page: the table, the current server panel, connect and disconnect.
#include "MainDialogWindow.h"
#include "MainWindowRules.h"
#include "ui_MainDialogWindow.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>

namespace {

Q_LOGGING_CATEGORY(lcMainWindow, "velmora.ui")

QPixmap flagForDisplay(const QPixmap &flag)
{
    if (flag.isNull())
        return QPixmap();
    return flag.scaled(48, 36, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

void MainDialogWindow::setServerList(const ServerList &list)
{
    servers.resize(list.size());
    for (int i = 0; i < list.size(); ++i) {
        const ServerRecord &record = list.at(i);
        ServerEntry &entry = servers[i];
        entry.name = record.value(QStringLiteral("name"));
        entry.hostname = record.value(QStringLiteral("hostname"));
        entry.country_code = record.value(QStringLiteral("country_code"));
        entry.country = record.value(QStringLiteral("country"));
        entry.latitude = record.value(QStringLiteral("latitude"));
        entry.longitude = record.value(QStringLiteral("longitude"));
        entry.ovpn = record.value(QStringLiteral("ovpn"));
        entry.crt = record.value(QStringLiteral("crt"));
        entry.image = record.value(QStringLiteral("image"));
    }
    ui->tableWidgetAllServers->setRowCount(servers.size());
}

void MainDialogWindow::setServerPings(const QMap<QString, QString> &pings)
{
    for (ServerEntry &entry : servers)
        entry.ping = pings.value(entry.hostname);
}

void MainDialogWindow::setServerFlags(const FlagImages &flags)
{
    for (ServerEntry &entry : servers)
        entry.flag = flags.value(entry.hostname);
}

QString MainDialogWindow::getCurrentServerTitle() const
{
    return currentServer.name + QLatin1Char('/') + currentServer.hostname;
}

QString MainDialogWindow::getCurrentServerOvpn() const
{
    return currentServer.ovpn;
}

void MainDialogWindow::processServerList()
{
    QTableWidget *table = ui->tableWidgetAllServers;
    QStringList pings;
    pings.reserve(servers.size());
    for (int i = 0; i < servers.size(); ++i) {
        const ServerEntry &entry = servers.at(i);
        pings.append(entry.ping);

        auto *flagItem = new QTableWidgetItem();
        flagItem->setData(Qt::DecorationRole, flagForDisplay(entry.flag));

        auto *nameItem = new QTableWidgetItem(entry.name);
        nameItem->setForeground(Qt::black);
        nameItem->setTextAlignment(Qt::AlignVCenter);

        auto *pingItem = new QTableWidgetItem(entry.ping);
        pingItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        pingItem->setForeground(MainWindowRules::tablePingColour(MainWindowRules::pingValue(entry.ping)));

        table->setItem(i, 0, flagItem);
        table->setItem(i, 1, nameItem);
        table->setItem(i, 2, pingItem);
    }

    if (lastServer.isEmpty()) {
        const int best = MainWindowRules::bestServerIndex(pings);
        currentServer = best < 0 ? ServerEntry() : servers.at(best);
        lastServer = currentServer.hostname;
        updateCurrentServer();
    } else {
        for (const ServerEntry &entry : qAsConst(servers)) {
            if (entry.hostname == lastServer) {
                currentServer = entry;
                updateCurrentServer();
            }
        }
    }

    ui->stackedWidgetMainWindow->setCurrentIndex(2);
}

void MainDialogWindow::resetCurrentServerPanel()
{
    ui->labelCurrentServerName->setText(tr("Please chose\nserver first"));
    ui->labelCurrentServerPing->setText(QString());
    ui->labelCurrentServerFlag->setPixmap(QPixmap());
}

void MainDialogWindow::updateCurrentServer()
{
    ui->labelCurrentServerFlag->setPixmap(flagForDisplay(currentServer.flag));
    ui->labelCurrentServerName->setText(currentServer.name + QLatin1Char('\n') + currentServer.hostname);
    ui->labelCurrentServerPing->setText(currentServer.ping);
    ui->labelCurrentServerPing->setStyleSheet(
        MainWindowRules::panelPingStyleSheet(MainWindowRules::pingValue(currentServer.ping)));
    ui->tabWidgetServers->setCurrentIndex(0);
    ui->pushButtonConnect->setEnabled(true);
    emit currentServerChoosed();
}

void MainDialogWindow::on_tableWidgetAllServers_cellDoubleClicked(int row, int column)
{
    Q_UNUSED(column)
    if (row < 0 || row >= servers.size())
        return;
    currentServer = servers.at(row);
    updateCurrentServer();
    // Another server means a new session; the user connects again.
    emit tryToDisconect();
}

void MainDialogWindow::on_pushButtonConnect_clicked()
{
    ui->labelHostNameCountry->setText(currentServer.name + QLatin1Char('/') + currentServer.hostname);
    ui->stackedWidgetConnectProccess->setCurrentIndex(1);
    emit tryToConnect();
}

void MainDialogWindow::on_pushButtonDisconect_clicked()
{
    ui->stackedWidgetConnectProccess->setCurrentIndex(1);
    emit tryToDisconect();
}

void MainDialogWindow::serverErrorOcured(QString message)
{
    // One failure tends to arrive as several errors (the refused line, then
    // the process ending); the user hears about it, and the service gets
    // one report, while the box for it is still open.
    if (serverErrorBox && serverErrorBox->isVisible()) {
        qCDebug(lcMainWindow) << "Further session error while one is shown";
        return;
    }
    showIdleServersPage();
    emit reportRequest(currentServer.hostname, message);

    if (!serverErrorBox) {
        serverErrorBox = new QMessageBox(this);
        serverErrorBox->setIcon(QMessageBox::Warning);
        serverErrorBox->setWindowTitle(tr("Connection error"));
        serverErrorBox->setStandardButtons(QMessageBox::Ok);
    }
    serverErrorBox->setText(message);
    // Not exec(): this runs inside the tunnel driver's notification, which
    // must not be re-entered from a nested event loop.
    serverErrorBox->open();
}

void MainDialogWindow::showIdleServersPage()
{
    clearChart();
    if (sessionTimerRunning)
        sessionTimer->stop();
    sessionTimerRunning = false;
    ui->listWidgetMenuItems->setCurrentRow(0);
    ui->stackedWidgetMainFrame->setCurrentIndex(0);
    ui->stackedWidgetConnectProccess->setCurrentIndex(0);
    ui->stackedWidgetConnectedState->setCurrentIndex(0);
}
