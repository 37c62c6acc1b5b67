// velmora-devservice: the development stand-in for the subscription service.
#include "DevService.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <mutex>
#include <pthread.h>

namespace {

std::mutex outputMutex;

void printLine(const QString &line)
{
    std::lock_guard<std::mutex> lock(outputMutex);
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Splits "ENDPOINT=VALUE" and checks the endpoint name.
bool splitSetting(const QString &setting, QString &endpoint, QString &value)
{
    const int eq = setting.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    endpoint = setting.left(eq);
    value = setting.mid(eq + 1);
    return DevService::endpointNames().contains(endpoint);
}

} // namespace

int main(int argc, char *argv[])
{
    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-devservice"));

    const DevService::Options defaults = DevService::defaultOptions();
    const QString endpoints = DevService::endpointNames().join(QStringLiteral(", "));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Local HTTPS stand-in for the velmora subscription service.\nEndpoints for --status, --body "
                       "and --delay-ms: %1.")
            .arg(endpoints));
    parser.addHelpOption();
    QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to listen on (0: a free one)."),
                                  QStringLiteral("PORT"), QStringLiteral("18443"));
    QCommandLineOption hostOption(
        QStringLiteral("host"),
        QStringLiteral("Address to listen on; may be repeated (default 127.0.0.1 and, if available, ::1)."),
        QStringLiteral("ADDRESS"));
    QCommandLineOption certOption(QStringLiteral("cert"), QStringLiteral("Server certificate (PEM)."),
                                  QStringLiteral("FILE"), defaults.certFile);
    QCommandLineOption keyOption(QStringLiteral("key"), QStringLiteral("Server private key (PEM)."),
                                 QStringLiteral("FILE"), defaults.keyFile);
    QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Folder with the service data."),
                                  QStringLiteral("DIR"), defaults.dataDir);
    QCommandLineOption versionOption(QStringLiteral("offer-version"),
                                     QStringLiteral("Client version to offer (default: the one in service.json)."),
                                     QStringLiteral("VERSION"));
    QCommandLineOption remoteOption(QStringLiteral("vpn-remote"),
                                    QStringLiteral("OpenVPN server put into the configurations."),
                                    QStringLiteral("HOST:PORT"), defaults.vpnRemote);
    QCommandLineOption caOption(QStringLiteral("vpn-ca"), QStringLiteral("CA put inline into the configurations."),
                                QStringLiteral("FILE"), defaults.vpnCaFile);
    QCommandLineOption statusOption(QStringLiteral("status"), QStringLiteral("Answer ENDPOINT with this HTTP status."),
                                    QStringLiteral("ENDPOINT=CODE"));
    QCommandLineOption bodyOption(QStringLiteral("body"),
                                  QStringLiteral("Answer ENDPOINT with an empty or a broken body."),
                                  QStringLiteral("ENDPOINT=empty|broken"));
    QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                   QStringLiteral("Wait before answering: N for every endpoint, or ENDPOINT=N."),
                                   QStringLiteral("N"));
    QCommandLineOption slowOption(QStringLiteral("slow-installer"),
                                  QStringLiteral("Send the installer in small pieces with pauses."));
    QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Do not print each request."));
    parser.addOptions({portOption, hostOption, certOption, keyOption, dataOption, versionOption, remoteOption, caOption,
                       statusOption, bodyOption, delayOption, slowOption, quietOption});
    parser.process(app);

    auto fail = [](const QString &text) {
        std::fprintf(stderr, "velmora-devservice: %s\n", text.toLocal8Bit().constData());
        return 2;
    };

    DevService::Options options = defaults;
    options.certFile = parser.value(certOption);
    options.keyFile = parser.value(keyOption);
    options.dataDir = parser.value(dataOption);
    options.offerVersion = parser.value(versionOption);
    options.vpnRemote = parser.value(remoteOption);
    options.vpnCaFile = parser.value(caOption);

    bool ok = false;
    const int port = parser.value(portOption).toInt(&ok);
    if (!ok || port < 0 || port > 65535)
        return fail(QStringLiteral("--port needs a number from 0 to 65535"));

    DevService service(options);
    if (!service.loadError().isEmpty())
        return fail(service.loadError());

    for (const QString &setting : parser.values(statusOption)) {
        QString endpoint, value;
        const bool named = splitSetting(setting, endpoint, value);
        const int code = value.toInt(&ok);
        if (!named || !ok || code < 100 || code > 599)
            return fail(QStringLiteral("--status needs ENDPOINT=CODE with one of: %1").arg(endpoints));
        service.setStatus(endpoint, code);
    }
    for (const QString &setting : parser.values(bodyOption)) {
        QString endpoint, value;
        if (!splitSetting(setting, endpoint, value)
            || (value != QLatin1String("empty") && value != QLatin1String("broken")))
            return fail(
                QStringLiteral("--body needs ENDPOINT=empty or ENDPOINT=broken with one of: %1").arg(endpoints));
        service.setBody(endpoint, value);
    }
    for (const QString &setting : parser.values(delayOption)) {
        QString endpoint, value;
        if (setting.contains(QLatin1Char('='))) {
            const bool named = splitSetting(setting, endpoint, value);
            const int ms = value.toInt(&ok);
            if (!named || !ok || ms < 0)
                return fail(QStringLiteral("--delay-ms needs N or ENDPOINT=N"));
            service.setDelayMs(endpoint, ms);
        } else {
            const int ms = setting.toInt(&ok);
            if (!ok || ms < 0)
                return fail(QStringLiteral("--delay-ms needs N or ENDPOINT=N"));
            service.setDelayMs(ms);
        }
    }
    service.setSlowInstaller(parser.isSet(slowOption));
    if (!parser.isSet(quietOption))
        service.setLogger(printLine);

    // "localhost" resolves to 127.0.0.1 here; ::1 is added for systems that map it there too.
    QStringList hosts = parser.values(hostOption);
    if (hosts.isEmpty())
        hosts = QStringList {QStringLiteral("127.0.0.1"), QStringLiteral("::1")};
    if (!service.start(hosts, port))
        return fail(service.lastError());
    if (!service.lastError().isEmpty())
        printLine(QStringLiteral("warning: %1").arg(service.lastError()));

    printLine(QStringLiteral("velmora-devservice listening on port %1 (%2); base URL https://localhost:%1")
                  .arg(service.port())
                  .arg(service.boundHosts().join(QStringLiteral(", "))));

    int signal = 0;
    sigwait(&stopSignals, &signal);
    printLine(QStringLiteral("stopping"));
    service.stop();
    return 0;
}
