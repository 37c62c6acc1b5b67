#include "Ping.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

namespace {

// Keeps every thread of the global pool busy until released, so probes the
// coordinator dispatches wait in the pool's queue and the test decides when
// results arrive.
class BusyPool
{
public:
    BusyPool()
        : threads(QThreadPool::globalInstance()->maxThreadCount())
    {
        for (int i = 0; i < threads; ++i) {
            QThreadPool::globalInstance()->start([this] {
                running.release();
                gate.acquire();
            });
        }
        running.acquire(threads);
    }
    ~BusyPool() { release(); }

    void release()
    {
        if (released)
            return;
        released = true;
        gate.release(threads);
    }

private:
    const int threads;
    bool released = false;
    QSemaphore running;
    QSemaphore gate;
};

// Lets every probe still in the pool finish and delivers its report.
void drainProbes()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

void waitForCompletion(const QSignalSpy &spy)
{
    // No deadline of our own: CTest's timeout catches a round that never ends.
    while (spy.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

QMap<QString, QString> toMap(const QStringList &pairs)
{
    QMap<QString, QString> map;
    for (const QString &pair : pairs)
        map.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return map;
}

bool isMeasured(const QString &ping)
{
    return QRegularExpression(QStringLiteral("^\\d+ms$")).match(ping).hasMatch() && ping != QStringLiteral("999ms");
}

} // namespace

class tst_Ping : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        drainProbes();
        QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    }

    // Real probes to loopback addresses; duplicates are probed twice but
    // stored once.
    void realRound_data()
    {
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<int>("entries");

        QTest::newRow("three hosts") << QStringList {"127.0.0.1", "127.0.0.2", "127.0.0.3"} << 3;
        QTest::newRow("duplicated host") << QStringList {"127.0.0.1", "127.0.0.2", "127.0.0.1"} << 2;
        QTest::newRow("IPv4 and IPv6") << QStringList {"127.0.0.7", "::1"} << 2;
    }

    void realRound()
    {
        QFETCH(QStringList, hosts);
        QFETCH(int, entries);

        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.clearResults();
        ping.startPinging(hosts);
        waitForCompletion(spy);
        const QMap<QString, QString> results = ping.pingResults();
        ping.stopPinging();
        drainProbes();

        QCOMPARE(spy.count(), 1);
        QCOMPARE(results.size(), entries);
        for (const QString &host : hosts)
            QVERIFY2(isMeasured(results.value(host)), qPrintable(host + QLatin1Char('=') + results.value(host)));
    }

    // Reports delivered to pingGot in a chosen order while the real probes
    // wait behind a busy pool.
    void completionCounting_data()
    {
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<int>("completesAfter"); // 0: never
        QTest::addColumn<QStringList>("expected");

        const QStringList three {"127.0.0.1", "127.0.0.2", "127.0.0.3"};
        QTest::newRow("list order") << three << QStringList {"127.0.0.1=1ms", "127.0.0.2=2ms", "127.0.0.3=3ms"} << 3
                                    << QStringList {"127.0.0.1=1ms", "127.0.0.2=2ms", "127.0.0.3=3ms"};
        QTest::newRow("reversed") << three << QStringList {"127.0.0.3=3ms", "127.0.0.2=2ms", "127.0.0.1=1ms"} << 3
                                  << QStringList {"127.0.0.1=1ms", "127.0.0.2=2ms", "127.0.0.3=3ms"};
        QTest::newRow("middle first") << three << QStringList {"127.0.0.2=2ms", "127.0.0.3=999ms", "127.0.0.1=1ms"} << 3
                                      << QStringList {"127.0.0.1=1ms", "127.0.0.2=2ms", "127.0.0.3=999ms"};
        QTest::newRow("one missing") << three << QStringList {"127.0.0.1=1ms", "127.0.0.3=3ms"} << 0
                                     << QStringList {"127.0.0.1=1ms", "127.0.0.3=3ms"};
        QTest::newRow("duplicate keeps the later report")
            << QStringList {"127.0.0.1", "127.0.0.1"} << QStringList {"127.0.0.1=5ms", "127.0.0.1=7ms"} << 2
            << QStringList {"127.0.0.1=7ms"};
        QTest::newRow("duplicate among others") << QStringList {"127.0.0.1", "127.0.0.2", "127.0.0.1"}
                                                << QStringList {"127.0.0.1=1ms", "127.0.0.2=2ms", "127.0.0.1=3ms"} << 3
                                                << QStringList {"127.0.0.1=3ms", "127.0.0.2=2ms"};
    }

    void completionCounting()
    {
        QFETCH(QStringList, hosts);
        QFETCH(QStringList, reports);
        QFETCH(int, completesAfter);
        QFETCH(QStringList, expected);

        BusyPool pool;
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging(hosts);
        ping.wait(); // dispatched, nothing can report yet

        for (int i = 0; i < reports.size(); ++i) {
            const QString &report = reports.at(i);
            ping.pingGot(report.section(QLatin1Char('='), 0, 0), report.section(QLatin1Char('='), 1));
            QCOMPARE(spy.count(), completesAfter != 0 && i + 1 >= completesAfter ? 1 : 0);
        }
        QCOMPARE(ping.pingResults(), toMap(expected));

        // The waiting probes belong to a round that is over once cleared.
        ping.clearResults();
        pool.release();
        drainProbes();
        QVERIFY(ping.pingResults().isEmpty());
        QCOMPARE(spy.count(), completesAfter != 0 ? 1 : 0);
    }

    void startResetsAnUnfinishedRound()
    {
        BusyPool pool;
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging({"127.0.0.1", "127.0.0.2", "127.0.0.3"});
        ping.pingGot("127.0.0.1", "1ms");
        ping.pingGot("127.0.0.2", "2ms");

        ping.startPinging({"127.0.0.4", "127.0.0.5"});
        QVERIFY(ping.pingResults().isEmpty());
        ping.pingGot("127.0.0.4", "4ms");
        QCOMPARE(spy.count(), 0);
        ping.pingGot("127.0.0.5", "5ms");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(ping.pingResults(), toMap({"127.0.0.4=4ms", "127.0.0.5=5ms"}));
        ping.clearResults();
    }

    // With one pool thread the probes run in dispatch order, so the first
    // round's probe reports while the second round is being collected.
    void lateResultOfAnEarlierRound()
    {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging({"127.0.0.1"});
        ping.startPinging({"127.0.0.2", "127.0.0.3"});
        waitForCompletion(spy);
        const QMap<QString, QString> results = ping.pingResults();
        drainProbes();

        QCOMPARE(spy.count(), 1);
        QCOMPARE(results.keys(), QStringList({"127.0.0.2", "127.0.0.3"}));
        QVERIFY(isMeasured(results.value("127.0.0.2")));
        QVERIFY(isMeasured(results.value("127.0.0.3")));
    }

    void emptyListCompletesAtOnce()
    {
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging({});
        waitForCompletion(spy);
        QCOMPARE(spy.count(), 1);
        QVERIFY(ping.pingResults().isEmpty());
        ping.stopPinging();
    }

    void emptyRoundReplacedBeforeItsCompletion()
    {
        // The empty round's completion is still queued when the next round
        // begins; only the real round completes.
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging({});
        ping.startPinging({"127.0.0.1"});
        waitForCompletion(spy);
        QCOMPARE(ping.pingResults().keys(), QStringList {"127.0.0.1"});
        drainProbes();
        QCOMPARE(spy.count(), 1);
    }

    // A stop while run() is still dispatching leaves the rest of the list
    // undispatched with "999ms", and the round never completes. The list is
    // long (names the probe refuses, which report at once) and the stop comes
    // as soon as the first report shows that dispatching has begun; where it
    // landed is read from the results.
    void stopDuringDispatch()
    {
        QStringList hosts;
        for (int i = 0; i < 20000; ++i)
            hosts << QStringLiteral("refused name %1").arg(i, 5, 10, QLatin1Char('0'));

        for (int attempt = 0; attempt < 5; ++attempt) {
            Ping ping;
            QSignalSpy spy(&ping, &Ping::pingComplited);
            ping.startPinging(hosts);
            while (ping.pingResults().isEmpty())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const QMap<QString, QString> reported = ping.pingResults();
            ping.stopPinging();

            // Reports are delivered on this thread, which was blocked in
            // stopPinging, so every new entry is one the stop left undispatched.
            QStringList stored = ping.pingResults().keys();
            for (const QString &host : reported.keys())
                stored.removeOne(host);
            if (stored.isEmpty())
                continue; // the whole list went out before the stop; try again
            const QStringList tail = hosts.mid(hosts.size() - stored.size()); // already sorted
            QCOMPARE(stored, tail);
            qInfo("stopped after %d of %d hosts were dispatched", int(hosts.size() - stored.size()), int(hosts.size()));
            for (const QString &host : stored)
                QCOMPARE(ping.pingResults().value(host), QStringLiteral("999ms"));

            drainProbes();
            QCOMPARE(ping.pingResults().size(), hosts.size());
            QCOMPARE(spy.count(), 0);

            // The next round is not affected by the stop.
            ping.startPinging({"127.0.0.1"});
            waitForCompletion(spy);
            QVERIFY(isMeasured(ping.pingResults().value("127.0.0.1")));
            return;
        }
        QSKIP("Every stop came after the whole list had been dispatched");
    }

    void destroyedWhileDispatching()
    {
        // Deleting the coordinator mid-dispatch must neither crash nor let a
        // later report reach the deleted object.
        BusyPool pool;
        QStringList hosts;
        for (int i = 0; i < 2000; ++i)
            hosts << QStringLiteral("refused name %1").arg(i);
        {
            Ping ping;
            ping.startPinging(hosts);
        }
        pool.release();
        drainProbes();
    }
};

QTEST_GUILESS_MAIN(tst_Ping)
#include "tst_Ping.moc"
