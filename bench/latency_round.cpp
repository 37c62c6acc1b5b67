// Time of one latency round over N loopback hosts, from startPinging to
// pingComplited, beside the time of one probe alone. Prints figures only.
#include "Ping.h"
#include "PingProcessor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QThreadPool>

namespace {

qint64 oneProbeMs()
{
    PingProcessor probe(QStringLiteral("127.0.0.1"));
    probe.setAutoDelete(false);
    QElapsedTimer timer;
    timer.start();
    probe.run();
    return timer.elapsed();
}

qint64 roundMs(int hostCount, int *measured)
{
    QStringList hosts;
    for (int i = 1; i <= hostCount; ++i)
        hosts << QStringLiteral("127.0.0.%1").arg(i);

    Ping ping;
    QEventLoop loop;
    QObject::connect(&ping, &Ping::pingComplited, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    ping.clearResults();
    ping.startPinging(hosts);
    loop.exec();
    const qint64 elapsed = timer.elapsed();

    const QMap<QString, QString> results = ping.pingResults();
    ping.stopPinging();
    *measured = 0;
    for (const QString &value : results)
        *measured += value != QLatin1String("999ms");
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    const qint64 floor = oneProbeMs();
    out << "pool threads: " << QThreadPool::globalInstance()->maxThreadCount() << '\n';
    out << "one probe alone (floor): " << floor << " ms\n\n";
    out << qSetFieldWidth(10) << "hosts"
        << "round ms"
        << "measured" << qSetFieldWidth(0) << "   round/floor\n";
    for (const int count : {1, 10, 50, 100}) {
        int measured = 0;
        const qint64 elapsed = roundMs(count, &measured);
        out << qSetFieldWidth(10) << count << elapsed << measured << qSetFieldWidth(0) << "   "
            << QString::number(double(elapsed) / double(qMax<qint64>(floor, 1)), 'f', 1) << '\n';
        out.flush();
    }
    return 0;
}
