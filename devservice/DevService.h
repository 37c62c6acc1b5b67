#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// The local stand-in for the subscription service: an HTTPS server on
// loopback that answers the client's requests from the JSON files in its
// data folder. Used by the velmora-devservice program and embedded in tests
// (see tests/support/DevServiceFixture.h).
//
// Requests are handled on the server's own worker threads; every setter and
// accessor here is thread-safe. Handlers set with setHandler() run on those
// worker threads too.

// One request as the service received it.
struct DevRequest
{
    QString method;
    QString path;
    QByteArray query; // the raw query, as sent
    QList<QPair<QString, QString>> queryItems; // decoded, in the order sent
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The value of the first header of that name (case-insensitive), or empty.
    QByteArray header(const QByteArray &name) const;
    int headerCount(const QByteArray &name) const;
    QString queryItem(const QString &name) const;
};

struct DevResponse
{
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
};

class DevService
{
public:
    using Handler = std::function<void(const DevRequest &, DevResponse &)>;

    struct Options
    {
        QString dataDir; // accounts.json, servers.json, service.json, client.ovpn.in
        QString certFile; // server certificate (PEM)
        QString keyFile; // its private key (PEM)
        QString vpnRemote = QStringLiteral("10.200.0.1:1194"); // HOST:PORT put into the configurations
        QString vpnCaFile; // CA put inline into the configurations
        QString offerVersion; // empty: the version in service.json
        QString flagDir = QStringLiteral("/usr/share/iso-flags-png-320x240");
    };

    // The build's defaults: the data folder of the source tree, the
    // development localhost certificate and the development CA.
    static Options defaultOptions();

    // Endpoint names used by the failure settings.
    static QStringList endpointNames();

    explicit DevService(const Options &options);
    ~DevService();

    DevService(const DevService &) = delete;
    DevService &operator=(const DevService &) = delete;

    // Empty when the data and certificates loaded; otherwise what went wrong.
    QString loadError() const { return loadProblem; }

    // Binds to every host on port (0: a free port, then shared by all hosts)
    // and serves in background threads. A host that cannot be bound is
    // skipped with a warning as long as one of them works. False on failure,
    // with the reason in lastError().
    bool start(const QStringList &hosts, int port);
    // Stops serving and waits for the worker threads; safe to call twice.
    void stop();

    int port() const { return boundPort; }
    QStringList boundHosts() const { return listening; }
    QString lastError() const { return startProblem; }

    // Failure settings, per endpoint (see endpointNames()).
    void setStatus(const QString &endpoint, int code); // 0 clears
    void setBody(const QString &endpoint, const QString &kind); // "empty", "broken", or "" to clear
    void setDelayMs(int ms); // every endpoint
    void setDelayMs(const QString &endpoint, int ms);
    void setSlowInstaller(bool slow);
    // Whether requests without the three service headers are refused (on by default).
    void setRequireHeaders(bool required);
    // Replaces the answer for one path (exact match, any method); an empty
    // handler restores the built-in one.
    void setHandler(const QString &path, Handler handler);

    // Every request received since start or the last clearRequests(), oldest first.
    QList<DevRequest> requests() const;
    QList<DevRequest> requests(const QString &path) const;
    void clearRequests();

    // Called with one line per request (from worker threads).
    void setLogger(std::function<void(const QString &)> logger);

    // The installer body the service hands out.
    static QByteArray installerBody(bool slow);

private:
    void dispatch(const httplib::Request &req, httplib::Response &res);
    DevResponse builtIn(const QString &endpoint, const DevRequest &request, const QByteArray &baseUrl) const;
    QString endpointFor(const QString &path) const;
    bool pause(int ms) const;
    void load();

    Options options;
    QString loadProblem;
    QString startProblem;
    QByteArray startupReply;
    QList<QMap<QString, QString>> servers;
    struct Account
    {
        QString password;
        bool login = false;
        bool connection = false;
        QString message;
    };
    QMap<QString, Account> accounts;
    QByteArray ovpnTemplate;
    QByteArray vpnCa;

    mutable std::mutex mutex;
    QMap<QString, int> statusOverrides;
    QMap<QString, QString> bodyOverrides;
    QMap<QString, int> delays;
    int allDelayMs = 0;
    bool slowInstaller = false;
    bool requireHeaders = true;
    QMap<QString, Handler> handlers;
    QList<DevRequest> received;
    std::function<void(const QString &)> logger;

    std::vector<std::unique_ptr<httplib::Server>> httpServers;
    std::vector<std::thread> threads;
    std::atomic<bool> stopping {false};
    int boundPort = 0;
    QStringList listening;
};
