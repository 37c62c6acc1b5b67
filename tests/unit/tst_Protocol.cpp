// The tunnel driver against a fake OpenVPN program (tests/support/fakeopenvpn)
// that speaks the management protocol and follows a script in the served
// configuration.
#include "BuildConfig.h"
#include "DevServiceFixture.h"
#include "Protocol.h"

#include <QtTest>

#include <csignal>
#include <sys/stat.h>

namespace {

struct LogEntry
{
    QtMsgType type;
    QString text;
};

QList<LogEntry> capturedLog;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (context.category && QByteArray(context.category) == "velmora.tunnel")
        capturedLog.append({type, text});
    else if (previousHandler)
        previousHandler(type, context, text);
}

int countLog(QtMsgType type, const QString &part)
{
    int count = 0;
    for (const LogEntry &entry : qAsConst(capturedLog))
        count += entry.type == type && entry.text.contains(part);
    return count;
}

// What the fake program wrote about itself and the commands it received.
struct Record
{
    QList<qint64> pids;
    QString configPath;
    QString authPath;
    QStringList commands;
};

bool processExists(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

int fileMode(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

class tst_Protocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void disconnectWithoutSession();
    void downloadFailure();
    void connectedOnlyWhenTunnelUp_data();
    void connectedOnlyWhenTunnelUp();
    void byteCounts();
    void sessionFiles_data();
    void sessionFiles();
    void refusedStart();
    void managementNeverOpens();
    void programEndsBeforeManagement();
    void programEndsBySelf_data();
    void programEndsBySelf();
    void outputLines_data();
    void outputLines();
    void tryToConnectWhileConnected();
    void startConnectionTwice();
    void startConnectionWhileConnected();
    void disconnectKillsStubbornProgram();
    void releaseFromInsideNotification();
    void downloadThroughService();

private:
    QString serve(const QStringList &steps, const QByteArray &tail = QByteArray());
    Record record() const;
    QStringList sessionFilesOnDisk() const;
    void startAndWaitConnected(Protocol &protocol, const QStringList &steps);
    void verifyReleased(const Record &rec);

    QTemporaryDir *dir = nullptr;
    QString recordPath;
    QStringList filesBefore;
    int served = 0;
};

// Steps that bring a fake session up: management open, tunnel reported up.
static const QStringList upSteps = {QStringLiteral("listen"), QStringLiteral("wait-command state"),
                                    QStringLiteral("state CONNECTED,SUCCESS,10.8.0.2,10.200.0.1,1194,,,")};

void tst_Protocol::initTestCase()
{
    const QString program = QCoreApplication::applicationDirPath() + QLatin1String("/openvpn/openvpn");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    previousHandler = qInstallMessageHandler(captureMessage);
}

void tst_Protocol::init()
{
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    // OpenVPN (and the fake) write openvpn.log into the working directory.
    QVERIFY(QDir::setCurrent(dir->path()));
    recordPath = dir->filePath(QStringLiteral("record.txt"));
    capturedLog.clear();
    filesBefore = sessionFilesOnDisk();
}

void tst_Protocol::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    delete dir;
    dir = nullptr;
}

QString tst_Protocol::serve(const QStringList &steps, const QByteArray &tail)
{
    QByteArray text = "client\ndev tun\nmanagement localhost 60505\n#fake record " + recordPath.toUtf8() + "\n";
    for (const QString &step : steps)
        text += "#fake " + step.toUtf8() + "\n";
    text += tail;
    const QString path = dir->filePath(QStringLiteral("server%1.ovpn").arg(++served));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return QUrl::fromLocalFile(path).toString();
}

Record tst_Protocol::record() const
{
    Record rec;
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return rec;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("pid=")))
            rec.pids.append(line.mid(4).toLongLong());
        else if (line.startsWith(QLatin1String("config=")))
            rec.configPath = line.mid(7);
        else if (line.startsWith(QLatin1String("auth=")))
            rec.authPath = line.mid(5);
        else if (line.startsWith(QLatin1String("cmd=")))
            rec.commands.append(line.mid(4));
    }
    return rec;
}

// The driver's temporary files: the system temporary folder, the
// application name and a random suffix.
QStringList tst_Protocol::sessionFilesOnDisk() const
{
    return QDir(QDir::tempPath())
        .entryList({QCoreApplication::applicationName() + QLatin1String(".*")}, QDir::Files | QDir::Hidden);
}

void tst_Protocol::startAndWaitConnected(Protocol &protocol, const QStringList &steps)
{
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.startConnection(QStringLiteral("demo@velmora.test"), QStringLiteral("velmora-demo"), serve(steps));
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 20000);
}

void tst_Protocol::verifyReleased(const Record &rec)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const qint64 pid : rec.pids)
        QVERIFY2(!processExists(pid), "the OpenVPN process is still there");
    if (!rec.configPath.isEmpty())
        QVERIFY(!QFile::exists(rec.configPath));
    if (!rec.authPath.isEmpty())
        QVERIFY(!QFile::exists(rec.authPath));
    QCOMPARE(sessionFilesOnDisk(), filesBefore);
}

void tst_Protocol::disconnectWithoutSession()
{
    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.tryToDisconect();
    QCOMPARE(disconnectedSpy.count(), 1);
    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(connectedSpy.count(), 0);
}

void tst_Protocol::downloadFailure()
{
    Protocol protocol;
    QSignalSpy connectionErrorSpy(&protocol, &Protocol::connectionError);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    protocol.startConnection(QStringLiteral("a"), QStringLiteral("b"),
                             QUrl::fromLocalFile(dir->filePath(QStringLiteral("missing.ovpn"))).toString());
    QTRY_COMPARE(disconnectedSpy.count(), 1);
    QCOMPARE(connectionErrorSpy.count(), 1);
    QCOMPARE(errorSpy.count(), 0);
    QVERIFY(!QFile::exists(recordPath)); // nothing was started
    verifyReleased(record());
}

void tst_Protocol::connectedOnlyWhenTunnelUp_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("comesUp");

    QTest::newRow("up before the channel opens")
        << QStringList {"state CONNECTED,SUCCESS,10.8.0.2,10.200.0.1,1194,,,", "listen"} << true;
    QTest::newRow("up after counts arrive")
        << QStringList {"listen", "wait-command state", "mgmt >BYTECOUNT:10,20\\r\\n", "delay 300",
                        "state CONNECTED,SUCCESS,10.8.0.2,10.200.0.1,1194,,,"}
        << true;
    QTest::newRow("stays waiting") << QStringList {"listen", "wait-command state", "mgmt >BYTECOUNT:10,20\\r\\n"}
                                   << false;
    QTest::newRow("connected with error")
        << QStringList {"listen", "wait-command state", "state CONNECTED,ERROR,10.8.0.2,10.200.0.1,1194,,,"} << false;
}

void tst_Protocol::connectedOnlyWhenTunnelUp()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, comesUp);

    Protocol protocol;
    protocol.setTunnelUpTimeout(2000);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QList<int> connectedAtSample;
    connect(&protocol, &Protocol::newTspSocketStats, this, [&] { connectedAtSample.append(connectedSpy.count()); });

    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), serve(steps));
    if (comesUp) {
        QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 15000);
        // The state was asked for after the byte counts were switched on.
        QTRY_VERIFY(record().commands.contains(QStringLiteral("state")));
        QCOMPARE(record().commands.mid(0, 3), (QStringList {"bytecount 1", "state on", "state"}));
        // A count that came before the tunnel was up did not mean connected.
        if (steps.contains(QStringLiteral("delay 300"))) {
            QVERIFY(!connectedAtSample.isEmpty());
            QCOMPARE(connectedAtSample.first(), 0);
        }
        QCOMPARE(disconnectedSpy.count(), 0);
        const Record rec = record();
        protocol.tryToDisconect();
        QCOMPARE(errorSpy.count(), 0);
        verifyReleased(rec);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 15000);
        QCOMPARE(connectedSpy.count(), 0);
        QCOMPARE(errorSpy.count(), 1);
        QCOMPARE(errorSpy.at(0).at(0).toString(), QStringLiteral("The VPN server could not be reached."));
        verifyReleased(record());
    }
}

void tst_Protocol::byteCounts()
{
    Protocol protocol;
    QSignalSpy statsSpy(&protocol, &Protocol::newTspSocketStats);
    startAndWaitConnected(
        protocol,
        upSteps
            + QStringList {"mgmt >BYTECOUNT:1024,2048\\r\\n", "mgmt >BYTECOUNT:2147483648,2147483647\\n",
                           // three in one write
                           "mgmt >BYTECOUNT:4294967296,1\\r\\n>BYTECOUNT:1099511627776,2\\r\\n"
                           ">BYTECOUNT:3,1099511627776\\r\\n",
                           "mgmt   >BYTECOUNT:7,8   \\r\\n", "mgmt \\r\\n", "mgmt >BYTECOUNT:x,9\\r\\n",
                           // one report cut in two
                           "mgmt >BYTECOUNT:123", "delay 300", "mgmt 45,678\\r\\n", "mgmt SUCCESS: no comma here\\r\\n",
                           "mgmt >BYTECOUNT:1,1\\r\\n"});

    const QList<QPair<quint64, quint64>> expected = {{2048, 1024},
                                                     {2147483647, 2147483648ULL},
                                                     {1, 4294967296ULL},
                                                     {2, 1099511627776ULL},
                                                     {1099511627776ULL, 3},
                                                     {8, 7},
                                                     {9, 0},
                                                     {678, 12345},
                                                     {1, 1}};
    QTRY_COMPARE_WITH_TIMEOUT(statsSpy.count(), expected.size(), 10000);
    for (int i = 0; i < expected.size(); ++i) {
        const QList<QVariant> &args = statsSpy.at(i);
        QCOMPARE(args.at(0).toDateTime().isValid(), true);
        QCOMPARE(args.at(1).value<quint64>(), expected.at(i).first);
        QCOMPARE(args.at(2).value<quint64>(), expected.at(i).second);
    }
    // Greeting, three command replies, "END", the blank line and the reply
    // without comma are not reports.
    QCOMPARE(countLog(QtWarningMsg, QStringLiteral("Wrong line format")), 7);
    const Record rec = record();
    protocol.tryToDisconect();
    verifyReleased(rec);
}

void tst_Protocol::sessionFiles_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArray>("credentials");
    QTest::addColumn<QByteArray>("configEnd");

    QTest::newRow("final line feed") << "velmora-demo" << QByteArray("verb 3\n")
                                     << QByteArray("demo@velmora.test\nvelmora-demo")
                                     << QByteArray("\nverb 3\nlog-append openvpn.log");
    QTest::newRow("no final line feed") << "velmora-demo" << QByteArray("verb 3")
                                        << QByteArray("demo@velmora.test\nvelmora-demo")
                                        << QByteArray("\nverb 3log-append openvpn.log");
    QTest::newRow("nul byte") << "velmora-demo" << QByteArray("verb 3\n\0<key>secret</key>\n", 26)
                              << QByteArray("demo@velmora.test\nvelmora-demo")
                              << QByteArray("\nverb 3\nlog-append openvpn.log");
    QTest::newRow("outside latin-1") << QString::fromUtf8("pä€ss") << QByteArray("verb 3\n")
                                     << QByteArray("demo@velmora.test\np\xe4?ss")
                                     << QByteArray("\nverb 3\nlog-append openvpn.log");
}

void tst_Protocol::sessionFiles()
{
    QFETCH(QString, password);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, credentials);
    QFETCH(QByteArray, configEnd);

    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.startConnection(QStringLiteral("demo@velmora.test"), password, serve(upSteps, tail));
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 15000);

    const Record rec = record();
    QFile auth(rec.authPath);
    QVERIFY(auth.open(QIODevice::ReadOnly));
    QCOMPARE(auth.readAll(), credentials);
    QFile config(rec.configPath);
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray configText = config.readAll();
    QVERIFY2(configText.endsWith(configEnd), configText.right(60).constData());
    QVERIFY(!configText.contains("secret"));
    QVERIFY(!configText.contains('\0'));
    // Only their owner may read them.
    QCOMPARE(fileMode(rec.authPath), 0600);
    QCOMPARE(fileMode(rec.configPath), 0600);

    protocol.tryToDisconect();
    verifyReleased(rec);
}

void tst_Protocol::refusedStart()
{
    const QString program = QCoreApplication::applicationDirPath() + QLatin1String("/openvpn/openvpn");
    const QString aside = program + QLatin1String(".aside");
    QVERIFY(QFile::rename(program, aside));
    struct Restore
    {
        QString from, to;
        ~Restore() { QFile::rename(from, to); }
    } restore {aside, program};

    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), serve(upSteps));
    QTRY_COMPARE(disconnectedSpy.count(), 1);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.at(0).at(0).toString(), QStringLiteral("Something goes wrong..."));
    QCOMPARE(countLog(QtCriticalMsg, QStringLiteral("Unable to start")), 1);
    verifyReleased(record());
}

void tst_Protocol::managementNeverOpens()
{
    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), serve({}));
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 60000);
    QCOMPARE(countLog(QtWarningMsg, QStringLiteral("Retrying management...")), 5);
    QCOMPARE(countLog(QtCriticalMsg, QStringLiteral("Unable to connect to management")), 1);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(errorSpy.count(), 0);
    const Record rec = record();
    QCOMPARE(rec.pids.size(), 1);
    verifyReleased(rec);
}

// Like the real program on a refused password: the reason is only in the
// log, and it exits before its management port opens.
void tst_Protocol::programEndsBeforeManagement()
{
    const QString refusal = QStringLiteral("2025-01-01 10:00:00 AUTH: Received control message: AUTH_FAILED");
    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    protocol.startConnection(
        QStringLiteral("u"), QStringLiteral("wrong"),
        serve({"log " + refusal + "\\n2025-01-01 10:00:00 SIGTERM[soft,auth-failure] received\\n", "exit 0"}));
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 30000);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.at(0).at(0).toString(), refusal);
    QCOMPARE(connectedSpy.count(), 0);
    // It stopped trying once the program was gone.
    QVERIFY(countLog(QtWarningMsg, QStringLiteral("Retrying management...")) < 5);
    verifyReleased(record());
}

void tst_Protocol::programEndsBySelf_data()
{
    QTest::addColumn<QByteArray>("oldLog");
    QTest::addColumn<QStringList>("ending");
    QTest::addColumn<QString>("reason");

    const QString unexpected = QStringLiteral("The VPN connection ended unexpectedly.");
    QTest::newRow("exit without a reason") << QByteArray() << QStringList {"exit 0"} << unexpected;
    QTest::newRow("exit with a logged error")
        << QByteArray() << QStringList {"log first error\\nExiting due to fatal error\\nclosing\\n", "exit 1"}
        << "Exiting due to fatal error";
    QTest::newRow("crash") << QByteArray() << QStringList {"crash"} << unexpected;
    QTest::newRow("management closed") << QByteArray() << QStringList {"close-mgmt"} << unexpected;
    QTest::newRow("errors of an earlier session ignored")
        << QByteArray("old AUTH_FAILED\n") << QStringList {"exit 0"} << unexpected;
}

void tst_Protocol::programEndsBySelf()
{
    QFETCH(QByteArray, oldLog);
    QFETCH(QStringList, ending);
    QFETCH(QString, reason);

    if (!oldLog.isEmpty()) {
        QFile log(QStringLiteral("openvpn.log"));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(oldLog);
    }
    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    startAndWaitConnected(protocol, upSteps + QStringList {"delay 300"} + ending);
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 15000);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.at(0).at(0).toString(), reason);
    // Only OpenVPN's own ending is reported, not our kill of it.
    QCOMPARE(countLog(QtCriticalMsg, QStringLiteral("OpenVPN process error:")),
             ending.first() == QLatin1String("crash") ? 1 : 0);
    verifyReleased(record());
    QCOMPARE(disconnectedSpy.count(), 1);
}

void tst_Protocol::outputLines_data()
{
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<QString>("reason");

    QTest::newRow("refused password") << QStringList {"stdout AUTH: Received control message: AUTH_FAILED\\n"}
                                      << "AUTH: Received control message: AUTH_FAILED";
    QTest::newRow("two error lines in one read")
        << QStringList {"stdout Options ERROR: first\\r\\nexit with error: second\\r\\n"} << "Options ERROR: first";
    QTest::newRow("line in two pieces") << QStringList {"stdout AUTH_FA", "delay 300", "stdout ILED\\n"}
                                        << "AUTH_FAILED";
    QTest::newRow("capital Error only logged") << QStringList {"stdout Error opening something\\n"} << QString();
    QTest::newRow("standard error only logged")
        << QStringList {"stderr AUTH_FAILED ERROR: error\\n", "stderr error\\n"} << QString();
    QTest::newRow("error before the channel opens")
        << QStringList {"stdout ERROR: early\\n", "delay 1500", "listen"} << "ERROR: early";
}

void tst_Protocol::outputLines()
{
    QFETCH(QStringList, output);
    QFETCH(QString, reason);

    Protocol protocol;
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy statsSpy(&protocol, &Protocol::newTspSocketStats);
    const bool early = output.contains(QStringLiteral("listen"));
    const QStringList steps = early
        ? output + upSteps.mid(1)
        : upSteps + QStringList {"delay 300"} + output + QStringList {"delay 500", "mgmt >BYTECOUNT:5,5\\r\\n"};
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), serve(steps));

    if (reason.isEmpty()) {
        // The marker count comes after the output; the session is still up.
        QTRY_COMPARE_WITH_TIMEOUT(statsSpy.count(), 1, 15000);
        QCOMPARE(connectedSpy.count(), 1);
        QCOMPARE(errorSpy.count(), 0);
        QCOMPARE(disconnectedSpy.count(), 0);
        const Record rec = record();
        protocol.tryToDisconect();
        verifyReleased(rec);
        if (output.first().startsWith(QLatin1String("stderr")))
            QVERIFY(countLog(QtDebugMsg, QStringLiteral("[ERROR:]")) >= 1);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 15000);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.at(0).at(0).toString(), reason);
    QCOMPARE(connectedSpy.count(), early ? 0 : 1);
    verifyReleased(record());
    QCOMPARE(disconnectedSpy.count(), 1);
}

void tst_Protocol::tryToConnectWhileConnected()
{
    Protocol protocol;
    startAndWaitConnected(protocol, upSteps);
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    protocol.tryToConnect();
    QTest::qWait(300);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(disconnectedSpy.count(), 0);
    QCOMPARE(errorSpy.count(), 0);
    const Record rec = record();
    QCOMPARE(rec.pids.size(), 1);
    QVERIFY(processExists(rec.pids.first()));
    protocol.tryToDisconect();
    verifyReleased(rec);
}

void tst_Protocol::startConnectionTwice()
{
    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    int connectAttempts = 0;
    connect(&protocol, &Protocol::filesDownloaded, this, [&] { ++connectAttempts; });
    const QString url = serve(upSteps);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), url);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), url);
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 15000);
    QTest::qWait(500);
    QCOMPARE(connectAttempts, 1);
    QCOMPARE(connectedSpy.count(), 1);
    QCOMPARE(errorSpy.count(), 0);
    const Record rec = record();
    QCOMPARE(rec.pids.size(), 1);
    protocol.tryToDisconect();
    verifyReleased(rec);
}

void tst_Protocol::startConnectionWhileConnected()
{
    Protocol protocol;
    startAndWaitConnected(protocol, upSteps);
    const Record first = record();
    QCOMPARE(first.pids.size(), 1);

    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    QFile::remove(recordPath);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"), serve(upSteps));
    // The first session is released before the new one starts.
    QCOMPARE(disconnectedSpy.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!processExists(first.pids.first()));
    QVERIFY(!QFile::exists(first.authPath));
    QVERIFY(!QFile::exists(first.configPath));

    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 15000);
    QCOMPARE(errorSpy.count(), 0);
    const Record second = record();
    QCOMPARE(second.pids.size(), 1);
    protocol.tryToDisconect();
    verifyReleased(second);
    QCOMPARE(errorSpy.count(), 0);
}

// Our own kill of a program that ignores SIGTERM is not reported as an
// OpenVPN failure.
void tst_Protocol::disconnectKillsStubbornProgram()
{
    Protocol protocol;
    startAndWaitConnected(protocol, QStringList {"ignore-term"} + upSteps);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy errorSpy(&protocol, &Protocol::serverError);
    const Record rec = record();
    protocol.tryToDisconect();
    QCOMPARE(disconnectedSpy.count(), 1);
    verifyReleased(rec);
    QTest::qWait(200);
    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(countLog(QtCriticalMsg, QStringLiteral("OpenVPN process error:")), 0);
    QCOMPARE(disconnectedSpy.count(), 1);
}

// A receiver that ends the session from inside the driver's own
// notification (the socket's readyRead) must not bring it down.
void tst_Protocol::releaseFromInsideNotification()
{
    Protocol protocol;
    connect(&protocol, &Protocol::connected, &protocol, &Protocol::tryToDisconect);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    QSignalSpy statsSpy(&protocol, &Protocol::newTspSocketStats);
    protocol.startConnection(
        QStringLiteral("u"), QStringLiteral("p"),
        serve(QStringList {"listen", "wait-command state",
                           "mgmt >STATE:1,CONNECTED,SUCCESS,10.8.0.2,,,\\r\\n>BYTECOUNT:1,2\\r\\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 15000);
    QTest::qWait(200);
    // The count after the state line belonged to the session just ended.
    QCOMPARE(statsSpy.count(), 0);
    QCOMPARE(disconnectedSpy.count(), 1);
    verifyReleased(record());
}

// The configuration comes from the service with its request headers.
void tst_Protocol::downloadThroughService()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(tls.caCertificates() + QSslCertificate::fromData(BuildConfig::extraCaCertificates()));
    QSslConfiguration::setDefaultConfiguration(tls);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    QFile scripted(QUrl(serve(upSteps)).toLocalFile());
    QVERIFY(scripted.open(QIODevice::ReadOnly));
    const QByteArray configText = scripted.readAll();
    service.setHandler(QStringLiteral("/v1/configs/fake.ovpn"), [configText](const DevRequest &, DevResponse &res) {
        res.contentType = "application/octet-stream";
        res.body = configText;
    });

    Protocol protocol;
    QSignalSpy connectedSpy(&protocol, &Protocol::connected);
    QSignalSpy connectionErrorSpy(&protocol, &Protocol::connectionError);
    QSignalSpy disconnectedSpy(&protocol, &Protocol::disconnected);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"),
                             service.baseUrl() + QLatin1String("/v1/configs/fake.ovpn"));
    QTRY_COMPARE_WITH_TIMEOUT(connectedSpy.count(), 1, 15000);
    const QList<DevRequest> requests = service.requests(QStringLiteral("/v1/configs/fake.ovpn"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().method, QStringLiteral("GET"));
    QCOMPARE(requests.first().header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(requests.first().header("User-Agent"), QByteArray("Mozilla Firefox"));
    QCOMPARE(requests.first().header("Auth-Token"), QByteArray("ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL"));
    const Record rec = record();
    protocol.tryToDisconect();
    verifyReleased(rec);

    // A failing service: the error goes out and nothing is started.
    QFile::remove(recordPath);
    service.setStatus(QStringLiteral("ovpn"), 500);
    protocol.startConnection(QStringLiteral("u"), QStringLiteral("p"),
                             service.baseUrl() + QLatin1String("/v1/configs/127.0.0.11.ovpn"));
    QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 2, 15000);
    QCOMPARE(connectionErrorSpy.count(), 1);
    QCOMPARE(connectedSpy.count(), 1);
    QVERIFY(!QFile::exists(recordPath));
    verifyReleased(Record());
}

QTEST_GUILESS_MAIN(tst_Protocol)
#include "tst_Protocol.moc"
