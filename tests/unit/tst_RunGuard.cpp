#include "RunGuard.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <vector>

#include <signal.h>

// Starts the real client binary to check the one-instance rule across
// processes. The client is the development build, which only ever talks to
// loopback.
class tst_RunGuard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QProcess> startClient()
    {
        auto process = std::make_unique<QProcess>();
        process->setProgram(QStringLiteral(VELMORA_CLIENT_PATH));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        process->waitForStarted();
        return process;
    }

    // A client that holds the instance stays up; wait long enough that a
    // refused one would have exited.
    bool staysRunning(QProcess &process, int ms = 1500)
    {
        return !process.waitForFinished(ms) && process.state() == QProcess::Running;
    }

    void stop(QProcess &process)
    {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

private slots:
    void hashedKeyIsLowerHexSha1()
    {
        const QString a = RunGuard::hashedKey(QStringLiteral("velmora"), QStringLiteral("_suffixLock"));
        const QString b = RunGuard::hashedKey(QStringLiteral("velmora"), QStringLiteral("_suffixMemory"));
        const QRegularExpression hex(QStringLiteral("^[0-9a-f]{40}$"));
        QVERIFY(hex.match(a).hasMatch());
        QVERIFY(hex.match(b).hasMatch());
        QVERIFY(a != b);
        // SHA-1 of "abc" with an empty suffix: the key and suffix are simply joined.
        QCOMPARE(RunGuard::hashedKey(QStringLiteral("ab"), QStringLiteral("c")),
                 QStringLiteral("a9993e364706816aba3e25717850c26c9cd0d89d"));
    }

    void inProcessGuard()
    {
        const QString key = QStringLiteral("velmora-test-%1").arg(QCoreApplication::applicationPid());
        RunGuard first(key);
        QVERIFY(!first.anotherInstanceRunning());
        QVERIFY(first.tryToRun());
        // The holder itself is not "another" instance.
        QVERIFY(!first.anotherInstanceRunning());
        {
            RunGuard second(key);
            QVERIFY(second.anotherInstanceRunning());
            QVERIFY(!second.tryToRun());
        }
        first.release();
        RunGuard third(key);
        QVERIFY(third.tryToRun());
    }

    void secondStartExitsAtOnce()
    {
        auto first = startClient();
        QVERIFY(staysRunning(*first));

        auto second = startClient();
        QVERIFY2(second->waitForFinished(5000), "second instance did not exit");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        stop(*first);
    }

    void nextStartRunsAfterNormalQuit()
    {
        auto first = startClient();
        QVERIFY(staysRunning(*first));
        // SIGTERM asks the client to quit through its normal path.
        first->terminate();
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);

        auto next = startClient();
        QVERIFY(staysRunning(*next));
        stop(*next);
    }

    void nextStartRunsAfterSigkill()
    {
        auto first = startClient();
        QVERIFY(staysRunning(*first));
        ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit);

        auto next = startClient();
        QVERIFY2(staysRunning(*next), "the segment of a killed instance blocked the next start");
        stop(*next);
    }

    void simultaneousStartsLeaveOne()
    {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < 10; ++i) {
            auto process = std::make_unique<QProcess>();
            process->setProgram(QStringLiteral(VELMORA_CLIENT_PATH));
            processes.push_back(std::move(process));
        }
        for (auto &process : processes)
            process->start();
        for (auto &process : processes)
            QVERIFY(process->waitForStarted());

        QTest::qWait(3000);
        int running = 0;
        for (auto &process : processes) {
            if (process->state() == QProcess::Running) {
                ++running;
            } else {
                QCOMPARE(process->exitStatus(), QProcess::NormalExit);
                QCOMPARE(process->exitCode(), 0);
            }
        }
        QCOMPARE(running, 1);
        for (auto &process : processes)
            stop(*process);
    }
};

QTEST_GUILESS_MAIN(tst_RunGuard)
#include "tst_RunGuard.moc"
