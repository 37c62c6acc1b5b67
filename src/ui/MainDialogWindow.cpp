#include "MainDialogWindow.h"
#include "UiResources.h"
#include "ui_MainDialogWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QListWidgetItem>
#include <QTimer>
#include <QUrl>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChart>
#include <QtCharts/QSplineSeries>

namespace {

const char *const clientVersion = "1.0.0";

struct MenuIcons
{
    const char *normal;
    const char *active;
};

// Normal and active icons of the five menu rows, then the log-out row.
const MenuIcons menuIcons[] = {
    {":/resources/common/images/ic_menu_main@2x.png", ":/resources/common/images/ic_menu_main_active@2x.png"},
    {":/resources/common/images/ic_menu_settings@2x.png", ":/resources/common/images/ic_menu_settings_active@2x.png"},
    {":/resources/common/images/ic_menu_about@2x.png", ":/resources/common/images/ic_menu_about_active@2x.png"},
    {":/resources/common/images/ic_menu_profile@2x.png", ":/resources/common/images/ic_menu_profile_active@2x.png"},
    {":/resources/common/images/ic_menu_help@2x.png", ":/resources/common/images/ic_menu copy 11@2x.png"},
    {":/resources/common/images/ic_menu_logout@2x.png", ":/resources/common/images/ic_menu_logout_active@2x.png"},
};
const int logOutIcons = 5;

QIcon iconFrom(const char *path)
{
    return QIcon(QString::fromUtf8(path));
}

void openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace

MainDialogWindow::MainDialogWindow(QWidget *parent)
    : QDialog(parent)
    , ui((ensureUiResources(), new Ui::MainDialogWindow))
{
    ui->setupUi(this);

    // The items live outside any list until fillMenu puts them in.
    menuItemServers = new QListWidgetItem();
    menuItemSettings = new QListWidgetItem();
    menuItemAbout = new QListWidgetItem();
    menuItemProfile = new QListWidgetItem();
    menuItemHelp = new QListWidgetItem();
    menuItemLogOut = new QListWidgetItem();

    sessionTimer = new QTimer(this);
    connect(sessionTimer, &QTimer::timeout, this, &MainDialogWindow::updateSessionTime);
    chart = new QtCharts::QChart();
    sentSeries = new QtCharts::QSplineSeries(this);
    receivedSeries = new QtCharts::QSplineSeries(this);

    autorunEnabled = false;
    trayIconEnabled = false;
    setDnsEnabled = false;
    needExit = true;
    sessionTimerRunning = false;

    initChart();
}

MainDialogWindow::~MainDialogWindow()
{
    // Items never put into a list have no owner but us.
    for (QListWidgetItem *item :
         {menuItemServers, menuItemSettings, menuItemAbout, menuItemProfile, menuItemHelp, menuItemLogOut}) {
        if (!item->listWidget())
            delete item;
    }
    delete sessionTimer;
    delete chart;
    delete ui;
}

void MainDialogWindow::setupWindow(const StartupData &startupData, const LoginData &loginData, const AccessFlags &flags,
                                   bool autorun, bool trayIcon, bool setDns, const QString &lastServerHost)
{
    metadata = startupData;
    loginInfo = loginData;
    accessFlags = flags;
    autorunEnabled = autorun;
    trayIconEnabled = trayIcon;
    setDnsEnabled = setDns;
    lastServer = lastServerHost;

    initWindow();
    fillAboutPage();
    resetCurrentServerPanel();

    if (accessFlags.value(QStringLiteral("login"), false) && accessFlags.value(QStringLiteral("connection"), false)) {
        needExit = true;
        emit serverListRequest();
    } else {
        ui->stackedWidgetMainWindow->setCurrentIndex(0);
        ui->labelBlockerMessage->setText(loginInfo.value(QStringLiteral("message")));
    }
}

void MainDialogWindow::initWindow()
{
    setWindowTitle(metadata.value(QStringLiteral("app_title")));
    setWindowFlags(Qt::Window);
    setWindowIcon(QIcon(QStringLiteral(":/resources/common/images/logo_update.png")));

    QFile styleFile(QStringLiteral(":/resources/common/stylesheet.css"));
    if (styleFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QByteArray bytes = styleFile.readAll();
        const int end = bytes.indexOf('\0');
        setStyleSheet(QString::fromLatin1(end < 0 ? bytes : bytes.left(end)));
    }

    ui->listWidgetMenuItems->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->listWidgetMenuItems->setIconSize(QSize(32, 32));

    QTableWidget *table = ui->tableWidgetAllServers;
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setColumnCount(3);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(48);
    // Names get the room; the flag and the ping keep what they need.
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setStyleSheet(QStringLiteral("QTableWidget::item{border-bottom: 1px dotted black;}"
                                        "QTableWidget::item:selected{background-color: #eaf3f6;color: "
                                        "black;border-bottom: 1px dotted black;}"));

    ui->tabWidgetServers->setCurrentIndex(0);
    ui->listWidgetMenuItems->setCurrentRow(0);
    ui->listWidgetLogOut->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->listWidgetLogOut->setCurrentRow(0);
    ui->listWidgetLogOut->setIconSize(QSize(32, 32));

    fillMenu();

    ui->stackedWidgetMainWindow->setCurrentIndex(1);

    ui->pushButtonConnect->setEnabled(false);
    ui->stackedWidgetConnectProccess->setCurrentIndex(0);
    ui->stackedWidgetConnectedState->setCurrentIndex(0);
    ui->graphicsViewChart->setChart(chart);
    ui->graphicsViewChart->setRenderHint(QPainter::Antialiasing);
    ui->labelHostNameCountry->setAttribute(Qt::WA_TranslucentBackground);

    ui->stackedWidgetAutorun->setCurrentIndex(autorunEnabled ? 0 : 1);
    ui->stackedWidgetTrayIcon->setCurrentIndex(trayIconEnabled ? 0 : 1);
    // Setting DNS servers is not offered yet; the stored choice is kept as is.
    ui->stackedWidgetSetDNS->setCurrentIndex(1);
    ui->labelSetDNS->hide();
    ui->pushButtonEnableSetDNS->hide();
    ui->pushButtonDisableSetDNS->hide();

    applyFonts();
}

void MainDialogWindow::fillMenu()
{
    struct Row
    {
        QListWidgetItem *item;
        QListWidget *list;
        QString text;
        const char *icon;
    };
    const Row rows[] = {
        {menuItemServers, ui->listWidgetMenuItems, tr("Servers"), menuIcons[0].normal},
        {menuItemSettings, ui->listWidgetMenuItems, tr("Settings"), menuIcons[1].normal},
        {menuItemAbout, ui->listWidgetMenuItems, tr("About"), menuIcons[2].normal},
        {menuItemProfile, ui->listWidgetMenuItems, tr("My profile"), menuIcons[3].normal},
        {menuItemHelp, ui->listWidgetMenuItems, tr("Help"), menuIcons[4].normal},
        {menuItemLogOut, ui->listWidgetLogOut, tr("Log out"), menuIcons[logOutIcons].normal},
    };
    for (const Row &row : rows) {
        if (row.item->listWidget())
            continue;
        row.item->setSizeHint(QSize(150, 48));
        row.item->setText(row.text);
        row.item->setIcon(iconFrom(row.icon));
        row.list->addItem(row.item);
    }
}

void MainDialogWindow::resetMenuIcons()
{
    for (int row = 0; row < 5; ++row) {
        if (QListWidgetItem *item = ui->listWidgetMenuItems->item(row))
            item->setIcon(iconFrom(menuIcons[row].normal));
    }
    if (QListWidgetItem *item = ui->listWidgetLogOut->item(0))
        item->setIcon(iconFrom(menuIcons[logOutIcons].normal));
}

void MainDialogWindow::applyFonts()
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/resources/common/fonts/Quicksand-Regular.ttf"));
    // The bundled file's family is "Quicksand"; the forms ask for the
    // family by its medium name, so map it rather than fall back to another face.
    QFont::insertSubstitution(QStringLiteral("Quicksand Medium"), QStringLiteral("Quicksand"));
    const QFont font(QStringLiteral("Quicksand Medium"), 12, 1, false);
    const QList<QWidget *> widgets = {
        ui->labelSent,
        ui->labelReceived,
        ui->labelAboutDomain,
        ui->labelSessionTime,
        ui->labelAboutAppName,
        ui->labelLoadMetadata,
        ui->labelCurrentServerName,
        ui->labelCurrentServerPing,
        ui->labelAboutCorpTitle,
        ui->labelBlockerMessage,
        ui->labelAboutAppVersion,
        ui->labelHostNameCountry,
        ui->labelStatusDisconected,
        ui->labelSetDNS,
        ui->pushButtonLogOut,
        ui->labelAutorun,
        ui->labelTrayIcon,
        ui->tabWidgetAbout,
        ui->tabWidgetServers,
        ui->tabWidgetSettings,
        ui->tableWidgetAllServers,
        ui->listWidgetLogOut,
        ui->listWidgetMenuItems,
    };
    for (QWidget *widget : widgets)
        widget->setFont(font);
    const QFont chartFont(QStringLiteral("Quicksand Medium"), 8, 1, false);
    ui->graphicsViewChart->setFont(chartFont);
    // The chart draws its own texts; at the view's size they only fit in its font.
    chart->setTitleFont(chartFont);
    for (QtCharts::QAbstractAxis *axis : chart->axes()) {
        axis->setLabelsFont(chartFont);
        axis->setTitleFont(chartFont);
    }
}

void MainDialogWindow::setBlockerMessage(const QString &text)
{
    ui->labelBlockerMessage->setText(text);
}

QString MainDialogWindow::getLastServer() const
{
    return lastServer;
}

void MainDialogWindow::serverListErrorOcured()
{
    ui->stackedWidgetMainWindow->setCurrentIndex(0);
}

void MainDialogWindow::on_listWidgetMenuItems_currentRowChanged(int currentRow)
{
    if (currentRow < 0 || currentRow > 4)
        return;
    resetMenuIcons();
    if (QListWidgetItem *item = ui->listWidgetMenuItems->item(currentRow))
        item->setIcon(iconFrom(menuIcons[currentRow].active));
    if (currentRow <= 2)
        ui->stackedWidgetMainFrame->setCurrentIndex(currentRow);
}

void MainDialogWindow::on_listWidgetMenuItems_itemClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString text = item->text();
    if (text == tr("Help"))
        openAddress(metadata.value(QStringLiteral("support")));
    else if (text == tr("My profile"))
        openAddress(metadata.value(QStringLiteral("account")));
}

void MainDialogWindow::on_listWidgetLogOut_itemClicked(QListWidgetItem *item)
{
    Q_UNUSED(item)
    resetMenuIcons();
    menuItemLogOut->setIcon(iconFrom(menuIcons[logOutIcons].active));
    needExit = false;
    emit tryToDisconect();
    close();
}

void MainDialogWindow::on_pushButtonLogOut_clicked()
{
    needExit = false;
    close();
}

void MainDialogWindow::closeEvent(QCloseEvent *event)
{
    // The window is only hidden; the controller decides what comes next.
    event->ignore();
    lastServer = currentServer.hostname;
    emit saveSettingsAction();
    hide();
    emit quitAction(needExit);
}

// Settings page

QMap<QString, bool> MainDialogWindow::getSettings() const
{
    QMap<QString, bool> settings;
    settings.insert(QStringLiteral("autorun"), autorunEnabled);
    settings.insert(QStringLiteral("trayicon"), trayIconEnabled);
    settings.insert(QStringLiteral("dns"), setDnsEnabled);
    return settings;
}

// Page 0 of a switch shows it on, page 1 off.
void MainDialogWindow::setSwitch(bool &option, QStackedWidget *switchPages, bool enabled)
{
    option = enabled;
    switchPages->setCurrentIndex(enabled ? 0 : 1);
    emit saveSettingsAction();
}

void MainDialogWindow::on_pushButtonEnableAutorun_clicked()
{
    setSwitch(autorunEnabled, ui->stackedWidgetAutorun, true);
}

void MainDialogWindow::on_pushButtonDisableAutorun_clicked()
{
    setSwitch(autorunEnabled, ui->stackedWidgetAutorun, false);
}

void MainDialogWindow::on_pushButtonEnableTrayIcon_clicked()
{
    setSwitch(trayIconEnabled, ui->stackedWidgetTrayIcon, true);
}

void MainDialogWindow::on_pushButtonDisableTrayIcon_clicked()
{
    setSwitch(trayIconEnabled, ui->stackedWidgetTrayIcon, false);
}

void MainDialogWindow::on_pushButtonDisableSetDNS_clicked()
{
    setSwitch(setDnsEnabled, ui->stackedWidgetSetDNS, false);
}

void MainDialogWindow::on_pushButtonEnableSetDNS_clicked()
{
    setSwitch(setDnsEnabled, ui->stackedWidgetSetDNS, true);
}

// About page

void MainDialogWindow::fillAboutPage()
{
    const QString title = metadata.value(QStringLiteral("app_title"));
    ui->labelAppLogoName->setText(title);
    ui->labelAboutAppName->setText(title);
    ui->labelAboutCorpTitle->setText(metadata.value(QStringLiteral("corp_title")));
    ui->labelAboutAppVersion->setText(tr("Application version: %1").arg(QLatin1String(clientVersion)));
    // The domain comes from the service; it must never become markup.
    ui->labelAboutDomain->setText(
        tr("<html><head/><body><p align=\"left\"><a href=\"#domain_link\"><span style=\" text-decoration: "
           "underline; color:#0000ff;\">%1</span></a></p></body></html>")
            .arg(metadata.value(QStringLiteral("domain")).toHtmlEscaped()));
    ui->labelAboutLogo->setPixmap(QPixmap(QStringLiteral(":/resources/common/images/logo_update.png"))
                                      .scaled(40, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void MainDialogWindow::on_labelAboutDomain_linkActivated(QString link)
{
    Q_UNUSED(link)
    openAddress(metadata.value(QStringLiteral("domain")));
}
