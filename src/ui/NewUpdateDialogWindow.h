#pragma once

#include <QDialog>
#include <QString>

class QCloseEvent;
class QNetworkAccessManager;
class QNetworkReply;

namespace Ui {
class NewUpdateDialogWindow;
}

// Offers a newer client version and, when the user agrees, downloads its
// installer into the working directory, starts it and emits quitAction().
// Everything runs on the GUI thread, inside the dialog's modal loop.
class NewUpdateDialogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NewUpdateDialogWindow(QWidget *parent = nullptr);
    ~NewUpdateDialogWindow() override;

    void setVersion(const QString &version);
    void setDownloadUrl(const QString &url);

signals:
    void quitAction();
    void cancelDownload();

public slots:
    void on_pushButtonCancel_clicked();
    void on_pushButtonOk_clicked();
    void processReply(QNetworkReply *reply);
    void downloadProgress(qlonglong ist, qlonglong max);

    // Escape cancels like the Cancel button, so no download runs on unseen.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Ui::NewUpdateDialogWindow *ui;
    QNetworkAccessManager *accessManager;
    QString downloadUrl;
};
