#include "PingProcessor.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

namespace {

struct Report
{
    int count = 0;
    QString hostName;
    QString hostPing;
};

// Runs one probe on the global pool, as the coordinator does, and collects
// what it reports on this thread. No deadline here: CTest's timeout guards
// against a probe that never reports.
Report probe(const QString &hostName)
{
    Report report;
    QObject receiver;
    auto *processor = new PingProcessor(hostName);
    QObject::connect(processor, &PingProcessor::finished, &receiver, [&report](QString host, QString ping) {
        ++report.count;
        report.hostName = host;
        report.hostPing = ping;
    });
    QThreadPool::globalInstance()->start(processor, 0);
    while (report.count == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // Anything a second emission would have queued arrives now.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return report;
}

// Puts a folder first on PATH for one test and restores PATH afterwards.
class PathOverride
{
public:
    explicit PathOverride(const QString &dir)
        : saved(qgetenv("PATH"))
    {
        qputenv("PATH", dir.toLocal8Bit() + ':' + saved);
    }
    ~PathOverride() { qputenv("PATH", saved); }

private:
    QByteArray saved;
};

} // namespace

class tst_PingProcessor : public QObject
{
    Q_OBJECT

private slots:
    void realPingToLoopback_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::newRow("127.0.0.1") << "127.0.0.1";
        QTest::newRow("127.0.0.42") << "127.0.0.42";
        QTest::newRow("::1") << "::1";
        QTest::newRow("localhost") << "localhost";
    }

    void realPingToLoopback()
    {
        QFETCH(QString, hostName);
        const Report report = probe(hostName);
        QCOMPARE(report.count, 1);
        QCOMPARE(report.hostName, hostName);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ms$")).match(report.hostPing).hasMatch(),
                 qPrintable(report.hostPing));
        QVERIFY(report.hostPing != QStringLiteral("999ms"));
    }

    void refusedNameReportsAtOnce_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::newRow("command after the host") << "127.0.0.1&&calc";
        QTest::newRow("option") << "-f";
        QTest::newRow("empty") << QString();
    }

    void refusedNameReportsAtOnce()
    {
        QFETCH(QString, hostName);
        const Report report = probe(hostName);
        QCOMPARE(report.count, 1);
        QCOMPARE(report.hostName, hostName);
        QCOMPARE(report.hostPing, QStringLiteral("999ms"));
    }

    // A recording "ping" first on PATH shows what the probe starts: the
    // arguments as separate entries, the C locale, and nothing at all for a
    // refused name.
    void commandLineAndRefusal_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("expectedPing");

        QTest::newRow("address") << "127.0.0.1" << true << "24ms";
        QTest::newRow("IPv6") << "::1" << true << "24ms";
        QTest::newRow("shell operator") << "127.0.0.1;touch x" << false << "999ms";
        QTest::newRow("substitution") << "$(id)" << false << "999ms";
        QTest::newRow("leading hyphen") << "-c" << false << "999ms";
    }

    void commandLineAndRefusal()
    {
        QFETCH(QString, hostName);
        QFETCH(bool, started);
        QFETCH(QString, expectedPing);

        QTemporaryDir binDir;
        QVERIFY(binDir.isValid());
        const QString record = binDir.filePath(QStringLiteral("record"));
        QFile fake(binDir.filePath(QStringLiteral("ping")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\n"
                   "{ echo \"LC_ALL=$LC_ALL\"; for a in \"$@\"; do echo \"arg=$a\"; done; } >> '"
                   + record.toLocal8Bit()
                   + "'\n"
                     "echo 'rtt min/avg/max/mdev = 20.000/23.500/27.000/3.500 ms'\n");
        fake.close();
        QVERIFY(fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("LC_ALL", "de_DE.UTF-8");

        Report report;
        {
            PathOverride path(binDir.path());
            report = probe(hostName);
        }
        qunsetenv("LC_ALL");

        QCOMPARE(report.count, 1);
        QCOMPARE(report.hostPing, expectedPing);
        QFile recorded(record);
        QCOMPARE(recorded.exists(), started);
        if (started) {
            QVERIFY(recorded.open(QIODevice::ReadOnly));
            const QString expected
                = QStringLiteral("LC_ALL=C\narg=-n\narg=-c\narg=2\narg=-i\narg=0.2\narg=-W\narg=1\narg=--\narg=")
                + hostName + QLatin1Char('\n');
            QCOMPARE(QString::fromLocal8Bit(recorded.readAll()), expected);
        }
    }

    void programMissing()
    {
        // With no ping program to be found the probe still reports once.
        QTemporaryDir emptyDir;
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", emptyDir.path().toLocal8Bit());
        const Report report = probe(QStringLiteral("127.0.0.1"));
        qputenv("PATH", saved);
        QCOMPARE(report.count, 1);
        QCOMPARE(report.hostPing, QStringLiteral("999ms"));
    }
};

QTEST_GUILESS_MAIN(tst_PingProcessor)
#include "tst_PingProcessor.moc"
