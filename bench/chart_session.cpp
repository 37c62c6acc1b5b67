// Feeds the traffic chart one sample per simulated second for a 24-hour
// session and prints what one newStats call costs along the way.
#include "MainDialogWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

QByteArray residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed();
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    MainDialogWindow window;
    window.setupWindow({{"app_title", "Velmora"}}, {}, {{"login", true}, {"connection", true}}, false, false, false,
                       {});
    window.show();
    window.connected();

    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1700000000000);
    const qint64 checkpoints[] = {60, 3600, 8 * 3600, 24 * 3600};
    const int measured = 50; // calls averaged at each checkpoint
    quint64 sent = 0;
    quint64 received = 0;
    qint64 second = 0;

    std::printf("%-10s %14s %14s\n", "session", "us per call", "VmRSS");
    for (qint64 checkpoint : checkpoints) {
        for (; second < checkpoint - measured; ++second) {
            sent += 150000 + (second % 7) * 10000;
            received += 900000 + (second % 11) * 50000;
            window.newStats(start.addSecs(second), sent, received);
            if (second % 600 == 0)
                app.processEvents(); // let the view paint now and then, as the event loop would
        }
        QElapsedTimer timer;
        timer.start();
        for (; second < checkpoint; ++second) {
            sent += 150000;
            received += 900000;
            window.newStats(start.addSecs(second), sent, received);
        }
        const double perCall = double(timer.nsecsElapsed()) / 1000.0 / measured;
        app.processEvents();
        const QString label = checkpoint < 3600 ? QStringLiteral("%1 min").arg(checkpoint / 60)
                                                : QStringLiteral("%1 h").arg(checkpoint / 3600);
        std::printf("%-10s %14.1f %14s\n", qPrintable(label), perCall, residentMemory().constData());
        std::fflush(stdout);
    }
    return 0;
}
