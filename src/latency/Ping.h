#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

// Measures the latency of a list of hosts in parallel. The object lives on
// the GUI thread: the public operations, pingGot and pingComplited all run
// there. run() executes on the object's own thread and only hands one
// PingProcessor per host to the global thread pool; the probes report back
// to pingGot by queued connection.
class Ping : public QThread
{
    Q_OBJECT
public:
    explicit Ping(QObject *parent = nullptr);
    ~Ping() override;

    void clearResults();
    void startPinging(const QStringList &hosts);
    void stopPinging();
    QMap<QString, QString> pingResults() const;

signals:
    void pingComplited();

public slots:
    void pingGot(QString host_name, QString host_ping);

protected:
    void run() override;

private:
    void beginRound();
    void recordResult(quint64 probeRound, const QString &hostName, const QString &hostPing);

    QMap<QString, QString> results;
    QStringList hostList;
    std::atomic_bool stopRequested {false};
    int receivedCount = 0;
    // Each round has its own number so that a probe of an earlier round that
    // reports late is not counted in the current one.
    quint64 round = 0;
};
