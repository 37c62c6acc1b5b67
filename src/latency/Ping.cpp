#include "Ping.h"

#include "PingCommand.h"
#include "PingProcessor.h"

#include <QLoggingCategory>
#include <QThreadPool>

namespace {
Q_LOGGING_CATEGORY(lcLatency, "velmora.latency")
}

Ping::Ping(QObject *parent)
    : QThread(parent)
{
}

Ping::~Ping()
{
    // Destroying a QThread whose run() is still active aborts the process.
    stopPinging();
}

void Ping::beginRound()
{
    // hostList is read by run(); never replace it while a dispatch is active.
    wait();
    ++round;
    receivedCount = 0;
    hostList.clear();
    results.clear();
}

void Ping::clearResults()
{
    beginRound();
}

void Ping::startPinging(const QStringList &hosts)
{
    beginRound();
    stopRequested = false;
    hostList = hosts;
    if (hostList.isEmpty()) {
        // Nothing to wait for. Queued, so the caller gets the signal from the
        // event loop as it would for any other round.
        const quint64 emptyRound = round;
        QMetaObject::invokeMethod(
            this,
            [this, emptyRound] {
                if (emptyRound == round)
                    emit pingComplited();
            },
            Qt::QueuedConnection);
        return;
    }
    start(InheritPriority);
}

void Ping::stopPinging()
{
    stopRequested = true;
    wait();
}

QMap<QString, QString> Ping::pingResults() const
{
    return results;
}

void Ping::pingGot(QString host_name, QString host_ping)
{
    recordResult(round, host_name, host_ping);
}

void Ping::recordResult(quint64 probeRound, const QString &hostName, const QString &hostPing)
{
    if (probeRound != round) {
        qCDebug(lcLatency) << "Ignoring a result of an earlier round";
        return;
    }
    results.insert(hostName, hostPing);
    ++receivedCount;
    if (receivedCount == hostList.size())
        emit pingComplited();
}

void Ping::run()
{
    // round and hostList are not changed while this runs (beginRound waits).
    const quint64 dispatchRound = round;
    for (const QString &host : qAsConst(hostList)) {
        if (stopRequested) {
            // The GUI thread is blocked in stopPinging, so results is ours.
            results.insert(host, PingCommand::noAverage());
            continue;
        }
        auto *probe = new PingProcessor(host);
        connect(probe, &PingProcessor::finished, this,
                [this, dispatchRound](const QString &hostName, const QString &hostPing) {
                    recordResult(dispatchRound, hostName, hostPing);
                });
        QThreadPool::globalInstance()->start(probe, 0);
    }
}
