#pragma once

#include <QObject>
#include <QRunnable>
#include <QString>

// One latency probe: runs the system ping command for one host on a thread of
// the global pool and reports the ping text ("23ms", "999ms" when there is no
// average). The pool deletes it after run(); finished is emitted from the
// pool thread, exactly once.
class PingProcessor : public QObject, public QRunnable
{
    Q_OBJECT
public:
    explicit PingProcessor(const QString &hostName);

    void run() override;

signals:
    void finished(QString host_name, QString host_ping);

private:
    QString hostName;
};
