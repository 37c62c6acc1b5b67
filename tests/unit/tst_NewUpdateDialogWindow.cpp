#include "BuildConfig.h"
#include "DevServiceFixture.h"
#include "ModalBoxCloser.h"
#include "NewUpdateDialogWindow.h"
#include "ServiceRequest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const char installerPath[] = "/velmora/velmora_installer.exe";

} // namespace

class tst_NewUpdateDialogWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formStartsOnTheProgressPage();
    void setVersionFillsTitleAndLabels();
    void progressShowsTheFraction_data();
    void progressShowsTheFraction();
    void downloadWritesAndStartsTheInstaller();
    void failedDownloadShowsTheBox_data();
    void failedDownloadShowsTheBox();
    void cancelDuringDownloadAbortsAndCloses_data();
    void cancelDuringDownloadAbortsAndCloses();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = dialog->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    QString installerFile() const { return workDir->filePath(QStringLiteral("velmora_installer.exe")); }

    QString originalDir;
    QTemporaryDir *workDir = nullptr;
    DevServiceFixture *service = nullptr;
    NewUpdateDialogWindow *dialog = nullptr;
};

void tst_NewUpdateDialogWindow::initTestCase()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(QSslCertificate::fromData(BuildConfig::extraCaCertificates()));
    QSslConfiguration::setDefaultConfiguration(tls);
    originalDir = QDir::currentPath();
}

void tst_NewUpdateDialogWindow::init()
{
    // The installer lands in the working directory: give each case its own.
    workDir = new QTemporaryDir;
    QVERIFY(workDir->isValid());
    QVERIFY(QDir::setCurrent(workDir->path()));
    service = new DevServiceFixture;
    QVERIFY2(service->isRunning(), qPrintable(service->error()));
    dialog = new NewUpdateDialogWindow;
    dialog->setVersion(QStringLiteral("2.3.4"));
    dialog->setDownloadUrl(service->baseUrl() + QLatin1String(installerPath));
    dialog->show();
}

void tst_NewUpdateDialogWindow::cleanup()
{
    delete dialog;
    dialog = nullptr;
    delete service;
    service = nullptr;
    QDir::setCurrent(originalDir);
    delete workDir;
    workDir = nullptr;
}

void tst_NewUpdateDialogWindow::formStartsOnTheProgressPage()
{
    NewUpdateDialogWindow fresh;
    QCOMPARE(fresh.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(fresh.findChild<QStackedWidget *>("stackedWidgetUpdateWindow")->currentIndex(), 1);
    QCOMPARE(fresh.minimumSize(), QSize(640, 480));
    QCOMPARE(fresh.maximumSize(), QSize(640, 480));
}

void tst_NewUpdateDialogWindow::setVersionFillsTitleAndLabels()
{
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Version 2.3.4 aviable!"));
    QCOMPARE(child<QLabel>("labelUpdateMessage")->text(),
             QStringLiteral("velmora 2.3.4 is now aviable. Press OK to download it."));
    QCOMPARE(child<QLabel>("labelDownloadingMessage")->text(),
             QStringLiteral("Downloading velmora 2.3.4 installer..."));
    QCOMPARE(child<QStackedWidget>("stackedWidgetUpdateWindow")->currentIndex(), 0);
    QVERIFY(child<QPushButton>("pushButtonOk")->isVisible());
    QVERIFY(child<QPushButton>("pushButtonCancel")->isVisible());
}

void tst_NewUpdateDialogWindow::progressShowsTheFraction_data()
{
    QTest::addColumn<qlonglong>("received");
    QTest::addColumn<qlonglong>("total");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");

    QTest::newRow("half") << 5000LL << 10000LL << 10000 << 5000;
    QTest::newRow("complete") << 10000LL << 10000LL << 10000 << 10000;
    // An unknown total gives an empty range: a busy bar.
    QTest::newRow("unknown total") << 300LL << -1LL << 0 << 300;
}

void tst_NewUpdateDialogWindow::progressShowsTheFraction()
{
    QFETCH(qlonglong, received);
    QFETCH(qlonglong, total);
    QFETCH(int, maximum);
    QFETCH(int, value);

    auto *bar = child<QProgressBar>("progressBarDownload");
    dialog->downloadProgress(received, total);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->value(), value);
    if (total == 10000 && received == 5000)
        QCOMPARE(bar->text(), QStringLiteral("50%"));
}

void tst_NewUpdateDialogWindow::downloadWritesAndStartsTheInstaller()
{
    {
        QFile old(installerFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(20000, 'x'));
    }
    ModalBoxCloser boxes;
    QSignalSpy quits(dialog, &NewUpdateDialogWindow::quitAction);

    QTest::mouseClick(child<QPushButton>("pushButtonOk"), Qt::LeftButton);
    QVERIFY(!child<QPushButton>("pushButtonOk")->isVisible());
    QCOMPARE(child<QStackedWidget>("stackedWidgetUpdateWindow")->currentIndex(), 1);

    QTRY_COMPARE(quits.count(), 1);
    QVERIFY(boxes.boxes().isEmpty());
    QFile written(installerFile());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), DevService::installerBody(false));
    // The development installer leaves this file beside itself when it runs.
    QTRY_VERIFY(QFile::exists(workDir->filePath(QStringLiteral("velmora_installer.ran"))));

    const QList<DevRequest> requests = service->requests(QLatin1String(installerPath));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().method, QStringLiteral("GET"));
    QCOMPARE(requests.first().header("Auth-Token"), QByteArray(ServiceRequest::authToken));
    QCOMPARE(requests.first().header("User-Agent"), QByteArray(ServiceRequest::userAgent));
    QCOMPARE(requests.first().header("Content-Type"), QByteArray("application/json"));
}

void tst_NewUpdateDialogWindow::failedDownloadShowsTheBox_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("blockFile");

    QTest::newRow("not found") << 404 << QString() << false;
    QTest::newRow("server error") << 500 << QString() << false;
    QTest::newRow("empty body") << 0 << QStringLiteral("empty") << false;
    // Quitting without an installer would only lose the session.
    QTest::newRow("file cannot be written") << 0 << QString() << true;
}

void tst_NewUpdateDialogWindow::failedDownloadShowsTheBox()
{
    QFETCH(int, status);
    QFETCH(QString, body);
    QFETCH(bool, blockFile);

    if (status)
        service->setStatus(QStringLiteral("installer"), status);
    if (!body.isEmpty())
        service->setBody(QStringLiteral("installer"), body);
    if (blockFile)
        QVERIFY(QDir(workDir->path()).mkdir(QStringLiteral("velmora_installer.exe")));
    ModalBoxCloser boxes;
    QSignalSpy quits(dialog, &NewUpdateDialogWindow::quitAction);

    QTest::mouseClick(child<QPushButton>("pushButtonOk"), Qt::LeftButton);
    QVERIFY(boxes.waitForBoxes(1));

    QCOMPARE(boxes.boxes().first().title, QStringLiteral("Download error"));
    QCOMPARE(boxes.boxes().first().text, QStringLiteral("Download unsuccessful"));
    QCOMPARE(quits.count(), 0);
    QCOMPARE(QFileInfo(installerFile()).isFile(), false);
    QCOMPARE(service->requests(QLatin1String(installerPath)).size(), 1);
    // Failed: the progress page with only Cancel left.
    QVERIFY(dialog->isVisible());
    QCOMPARE(child<QStackedWidget>("stackedWidgetUpdateWindow")->currentIndex(), 1);
    QVERIFY(!child<QPushButton>("pushButtonOk")->isVisible());
    QVERIFY(child<QPushButton>("pushButtonCancel")->isVisible());
}

void tst_NewUpdateDialogWindow::cancelDuringDownloadAbortsAndCloses_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "button";
    QTest::newRow("window closed") << "close";
    QTest::newRow("escape key") << "escape";
}

void tst_NewUpdateDialogWindow::cancelDuringDownloadAbortsAndCloses()
{
    QFETCH(QString, how);

    service->setSlowInstaller(true);
    ModalBoxCloser boxes;
    QSignalSpy quits(dialog, &NewUpdateDialogWindow::quitAction);
    QSignalSpy cancels(dialog, &NewUpdateDialogWindow::cancelDownload);
    auto *bar = child<QProgressBar>("progressBarDownload");

    // Run the dialog the way the application does, in its own modal loop;
    // cancel once the first part of the installer has arrived.
    dialog->hide();
    dialog->setModal(true);
    QTimer::singleShot(0, dialog, [&] { QTest::mouseClick(child<QPushButton>("pushButtonOk"), Qt::LeftButton); });
    QTimer poll;
    bool cancelled = false;
    connect(&poll, &QTimer::timeout, dialog, [&] {
        if (cancelled || bar->value() <= 0)
            return;
        cancelled = true;
        if (how == QLatin1String("button"))
            QTest::mouseClick(child<QPushButton>("pushButtonCancel"), Qt::LeftButton);
        else if (how == QLatin1String("close"))
            dialog->close();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    poll.start(10);
    dialog->exec();
    poll.stop();

    QVERIFY(cancelled);
    QVERIFY(bar->value() < bar->maximum());
    QVERIFY(!dialog->isVisible());
    QVERIFY(cancels.count() >= 1);
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().first().title, QStringLiteral("Download error"));
    QCOMPARE(quits.count(), 0);
    QVERIFY(!QFile::exists(installerFile()));
}

QTEST_MAIN(tst_NewUpdateDialogWindow)
#include "tst_NewUpdateDialogWindow.moc"
