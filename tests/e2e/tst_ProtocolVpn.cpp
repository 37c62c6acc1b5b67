// The tunnel driver with the real OpenVPN program against a real OpenVPN
// server, run by tests/support/in-vpn-testbed.sh inside the client
// namespace of a testbed of its own. The development service, in this
// process, serves the client configuration.
#include "BuildConfig.h"
#include "DevServiceFixture.h"
#include "Protocol.h"

#include <QtTest>

#include <csignal>

namespace {

QList<QString> capturedWarnings;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && context.category && QByteArray(context.category) == "velmora.tunnel")
        capturedWarnings.append(text);
    if (previousHandler)
        previousHandler(type, context, text);
}

// The OpenVPN processes this test started: their command line names the
// driver's temporary files, which carry this program's name.
QList<qint64> ourOpenVpnPids()
{
    const QByteArray marker = QFile::encodeName(QDir::tempPath() + QLatin1Char('/')
                                                + QCoreApplication::applicationName() + QLatin1Char('.'));
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = cmdline.readAll();
        if (text.contains("--auth-user-pass") && text.contains(marker))
            pids.append(pid);
    }
    return pids;
}

QStringList sessionFilesOnDisk()
{
    return QDir(QDir::tempPath())
        .entryList({QCoreApplication::applicationName() + QLatin1String(".*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class tst_ProtocolVpn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectsAndCountsTraffic();
    void wrongPassword();
    void serverNotRunning();
    void programKilledMidSession();

private:
    QString configUrl() const;
    bool testbed(const QString &command);
    void verifyReleased();

    DevServiceFixture *service = nullptr;
    QTemporaryDir *dir = nullptr;
    QStringList filesBefore;
};

void tst_ProtocolVpn::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("VELMORA_TESTBED"))
        QFAIL("run through tests/support/in-vpn-testbed.sh, which provides the VPN testbed");
    const QString program = QCoreApplication::applicationDirPath() + QLatin1String("/openvpn/openvpn");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(tls.caCertificates() + QSslCertificate::fromData(BuildConfig::extraCaCertificates()));
    QSslConfiguration::setDefaultConfiguration(tls);

    DevService::Options options = DevService::defaultOptions();
    options.vpnRemote = qEnvironmentVariable("VELMORA_TESTBED_SERVER");
    service = new DevServiceFixture(options);
    QVERIFY2(service->isRunning(), qPrintable(service->error()));
    previousHandler = qInstallMessageHandler(captureMessage);
}

void tst_ProtocolVpn::init()
{
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    QVERIFY(QDir::setCurrent(dir->path()));
    capturedWarnings.clear();
    service->clearRequests();
    filesBefore = sessionFilesOnDisk();
    QVERIFY(ourOpenVpnPids().isEmpty());
}

void tst_ProtocolVpn::cleanup()
{
    if (QTest::currentTestFailed() && QFile::exists(QStringLiteral("openvpn.log"))) {
        QFile log(QStringLiteral("openvpn.log"));
        if (log.open(QIODevice::ReadOnly))
            qInfo().noquote() << "openvpn.log:\n" << log.readAll();
    }
    testbed(QStringLiteral("server-start"));
    QDir::setCurrent(QDir::tempPath());
    delete dir;
    dir = nullptr;
}

QString tst_ProtocolVpn::configUrl() const
{
    return service->baseUrl() + QLatin1String("/v1/configs/127.0.0.11.ovpn");
}

bool tst_ProtocolVpn::testbed(const QString &command)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(QStringLiteral("sh"),
                 {qEnvironmentVariable("VELMORA_TESTBED_SCRIPT"), command, qEnvironmentVariable("VELMORA_TESTBED")});
    return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

void tst_ProtocolVpn::verifyReleased()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(ourOpenVpnPids(), QList<qint64>());
    QCOMPARE(sessionFilesOnDisk(), filesBefore);
}

void tst_ProtocolVpn::connectsAndCountsTraffic()
{
    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy statsSpy(&protocol, &Protocol::newTspSocketStats);

    protocol.startConnection(QStringLiteral("demo@velmora.test"), QStringLiteral("velmora-demo"), configUrl());
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 40000);
    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(service->requests(QStringLiteral("/v1/configs/127.0.0.11.ovpn")).size(), 1);
    const DevRequest request = service->requests(QStringLiteral("/v1/configs/127.0.0.11.ovpn")).first();
    QCOMPARE(request.method, QStringLiteral("GET"));
    QCOMPARE(request.header("User-Agent"), QByteArray("Mozilla Firefox"));
    QCOMPARE(request.header("Auth-Token"), QByteArray("ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL"));
    QCOMPARE(ourOpenVpnPids().size(), 1);

    // Counts arrive once a second; note where they stand, then send
    // traffic through the tunnel and watch them grow by at least that.
    QTRY_VERIFY_WITH_TIMEOUT(statsSpy.count() >= 1, 15000);
    const quint64 sentBefore = statsSpy.last().at(1).value<quint64>();
    const quint64 receivedBefore = statsSpy.last().at(2).value<quint64>();
    QProcess ping;
    ping.start(QStringLiteral("ping"), {"-c", "5", "-i", "0.2", "-s", "1000", "-W", "2", "10.8.0.1"});
    QVERIFY(ping.waitForFinished(20000));
    QCOMPARE(ping.exitCode(), 0);
    const quint64 pingBytes = 5 * 1000;
    QTRY_VERIFY_WITH_TIMEOUT(statsSpy.last().at(1).value<quint64>() >= sentBefore + pingBytes
                                 && statsSpy.last().at(2).value<quint64>() >= receivedBefore + pingBytes,
                             15000);
    for (int i = 1; i < statsSpy.count(); ++i) {
        QVERIFY(statsSpy.at(i).at(1).value<quint64>() >= statsSpy.at(i - 1).at(1).value<quint64>());
        QVERIFY(statsSpy.at(i).at(2).value<quint64>() >= statsSpy.at(i - 1).at(2).value<quint64>());
    }

    protocol.tryToDisconect();
    QCOMPARE(disconnectedSpy.count(), 1);
    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(connectedSpy.count(), 1);
    verifyReleased();
}

void tst_ProtocolVpn::wrongPassword()
{
    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);

    protocol.startConnection(QStringLiteral("demo@velmora.test"), QStringLiteral("not-the-password"), configUrl());
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 40000);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(errorSpy.count(), 1);
    const QString reason = errorSpy.at(0).at(0).toString();
    QVERIFY2(reason.endsWith(QLatin1String("AUTH: Received control message: AUTH_FAILED")), qPrintable(reason));
    // The driver stopped knocking at the management port once OpenVPN had
    // gone, instead of making all five attempts.
    QVERIFY2(capturedWarnings.count(QStringLiteral("Retrying management...")) < 5,
             qPrintable(capturedWarnings.join(QLatin1Char('|'))));
    verifyReleased();
}

void tst_ProtocolVpn::serverNotRunning()
{
    QVERIFY(testbed(QStringLiteral("server-stop")));
    Protocol protocol;
    protocol.setTunnelUpTimeout(8000);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);

    protocol.startConnection(QStringLiteral("demo@velmora.test"), QStringLiteral("velmora-demo"), configUrl());
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 60000);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.at(0).at(0).toString(), QStringLiteral("The VPN server could not be reached."));
    verifyReleased();
}

void tst_ProtocolVpn::programKilledMidSession()
{
    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);

    protocol.startConnection(QStringLiteral("demo@velmora.test"), QStringLiteral("velmora-demo"), configUrl());
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 40000);
    const QList<qint64> pids = ourOpenVpnPids();
    QCOMPARE(pids.size(), 1);
    QCOMPARE(::kill(pid_t(pids.first()), SIGKILL), 0);

    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 15000);
    QCOMPARE(errorSpy.count(), 1);
    // A kill leaves no reason in the log.
    QCOMPARE(errorSpy.at(0).at(0).toString(), QStringLiteral("The VPN connection ended unexpectedly."));
    verifyReleased();
}

QTEST_GUILESS_MAIN(tst_ProtocolVpn)
#include "tst_ProtocolVpn.moc"
