#include "NewUpdateDialogWindow.h"
#include "Platform.h"
#include "ServiceRequest.h"
#include "UiResources.h"
#include "ui_NewUpdateDialogWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace {

const char productName[] = "velmora";

} // namespace

NewUpdateDialogWindow::NewUpdateDialogWindow(QWidget *parent)
    : QDialog(parent)
    , ui((ensureUiResources(), new Ui::NewUpdateDialogWindow))
    , accessManager(new QNetworkAccessManager)
{
    ui->setupUi(this);
}

NewUpdateDialogWindow::~NewUpdateDialogWindow()
{
    delete accessManager;
    delete ui;
}

void NewUpdateDialogWindow::setVersion(const QString &version)
{
    const QString product = QLatin1String(productName);
    ui->stackedWidgetUpdateWindow->setCurrentIndex(0);
    setWindowTitle(tr("Version %1 aviable!").arg(version));
    ui->labelUpdateMessage->setText(
        QStringLiteral("%1 %2 is now aviable. Press OK to download it.").arg(product, version));
    ui->labelDownloadingMessage->setText(QStringLiteral("Downloading %1 %2 installer...").arg(product, version));
}

void NewUpdateDialogWindow::setDownloadUrl(const QString &url)
{
    downloadUrl = url;
}

void NewUpdateDialogWindow::on_pushButtonOk_clicked()
{
    ui->pushButtonOk->hide();
    ui->stackedWidgetUpdateWindow->setCurrentIndex(1);

    QNetworkReply *reply = accessManager->get(ServiceRequest::make(QUrl(downloadUrl, QUrl::TolerantMode)));
    connect(reply, &QNetworkReply::downloadProgress, this, &NewUpdateDialogWindow::downloadProgress);
    // The connection dies with the reply; processReply also drops it once finished.
    connect(this, &NewUpdateDialogWindow::cancelDownload, reply, &QNetworkReply::abort);
    connect(
        reply, &QNetworkReply::finished, this, [this, reply] { processReply(reply); }, Qt::DirectConnection);
}

void NewUpdateDialogWindow::downloadProgress(qlonglong ist, qlonglong max)
{
    ui->progressBarDownload->setRange(0, static_cast<int>(max));
    ui->progressBarDownload->setValue(static_cast<int>(ist));
}

void NewUpdateDialogWindow::processReply(QNetworkReply *reply)
{
    QMessageBox failure(QMessageBox::NoIcon, QStringLiteral("Download error"), QStringLiteral("Download unsuccessful"),
                        QMessageBox::Ok);
    disconnect(this, &NewUpdateDialogWindow::cancelDownload, reply, &QNetworkReply::abort);
    reply->deleteLater();

    if (reply->error() != QNetworkReply::NoError) {
        failure.exec();
        return;
    }

    const QString fileName = QStringLiteral("%1_installer.exe").arg(QLatin1String(productName));
    const QByteArray body = reply->readAll();
    if (body.isEmpty()) {
        failure.exec();
        return;
    }

    // Quitting without a runnable installer would only lose the user's
    // session, so a file that cannot be written or started counts as failed.
    QFile file(fileName);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(body) == body.size();
    file.close();
    // An absolute path, so a bare name is never looked up on the search path.
    if (!written || !Platform::startInstaller(QDir::current().absoluteFilePath(fileName))) {
        failure.exec();
        return;
    }
    emit quitAction();
}

void NewUpdateDialogWindow::on_pushButtonCancel_clicked()
{
    emit cancelDownload();
    close();
}

void NewUpdateDialogWindow::reject()
{
    emit cancelDownload();
    QDialog::reject();
}

void NewUpdateDialogWindow::closeEvent(QCloseEvent *event)
{
    emit cancelDownload();
    event->accept();
}
