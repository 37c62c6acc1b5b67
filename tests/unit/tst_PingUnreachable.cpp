#include "Ping.h"
#include "PingProcessor.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sched.h>

namespace {

// Nothing answers here: inside the test's own network namespace this range
// is routed into loopback, where packets for addresses that are not local
// are dropped. No probe leaves the namespace.
const QString silentHost = QStringLiteral("10.200.1.2");

// Moves the whole process, while it has a single thread, into a network
// namespace of its own with loopback up. Returns why not, or an empty text.
QString enterOwnNetworkNamespace()
{
    if (unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("cannot create a network namespace: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    if (std::system("ip link set lo up && ip route add 10.200.1.0/24 dev lo") != 0)
        return QStringLiteral("cannot set up loopback in the network namespace");
    return QString();
}

void waitFor(const std::function<bool()> &done)
{
    // No deadline of our own: CTest's timeout catches a report that never comes.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool isMeasured(const QString &ping)
{
    return QRegularExpression(QStringLiteral("^\\d+ms$")).match(ping).hasMatch() && ping != QStringLiteral("999ms");
}

} // namespace

// A host that never answers, probed for real in a namespace of our own.
class tst_PingUnreachable : public QObject
{
    Q_OBJECT
public:
    explicit tst_PingUnreachable(const QString &namespaceProblem)
        : namespaceProblem(namespaceProblem)
    {
    }

private:
    const QString namespaceProblem;

private slots:
    void init()
    {
        if (!namespaceProblem.isEmpty())
            QSKIP(qPrintable(namespaceProblem));
    }

    void probeOfSilentHost()
    {
        QString reported;
        QObject receiver;
        auto *probe = new PingProcessor(silentHost);
        connect(probe, &PingProcessor::finished, &receiver, [&reported](QString, QString ping) { reported = ping; });
        QThreadPool::globalInstance()->start(probe, 0);
        waitFor([&] { return !reported.isEmpty(); });
        QCOMPARE(reported, QStringLiteral("999ms"));
    }

    void silentHostStillCompletesTheRound()
    {
        Ping ping;
        QSignalSpy spy(&ping, &Ping::pingComplited);
        ping.startPinging({silentHost, "127.0.0.1", "127.0.0.2"});
        waitFor([&] { return !spy.isEmpty(); });
        const QMap<QString, QString> results = ping.pingResults();
        ping.stopPinging();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();

        QCOMPARE(spy.count(), 1);
        QCOMPARE(results.size(), 3);
        QCOMPARE(results.value(silentHost), QStringLiteral("999ms"));
        QVERIFY(isMeasured(results.value("127.0.0.1")));
        QVERIFY(isMeasured(results.value("127.0.0.2")));
    }
};

int main(int argc, char **argv)
{
    const QString problem = enterOwnNetworkNamespace();
    QCoreApplication app(argc, argv);
    tst_PingUnreachable test(problem);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PingUnreachable.moc"
