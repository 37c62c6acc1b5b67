#include "DevService.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>

#include <chrono>

namespace {

const char serviceToken[] = "ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL";
const char brokenBody[] = "{\"broken\": <<this is not what you asked for";

// Extra headers cpp-httplib adds to every request; not sent by the client.
bool isServerAddedHeader(const std::string &name)
{
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

QByteArray jsonBody(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorBody(const QString &text)
{
    return jsonBody(QJsonObject {{QStringLiteral("error"), text}});
}

bool readFile(const QString &path, QByteArray &out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    out = file.readAll();
    return true;
}

// Only host names and literal addresses with a port; anything else in Host
// falls back to localhost so it never ends up in the links we hand out.
QByteArray baseUrlFor(const httplib::Request &req, int port)
{
    static const QRegularExpression hostPattern(
        QStringLiteral("^[A-Za-z0-9.\\-]+(:[0-9]{1,5})?$|^\\[[0-9A-Fa-f:.]+\\](:[0-9]{1,5})?$"));
    const QString host = QString::fromStdString(req.get_header_value("Host"));
    if (!host.isEmpty() && hostPattern.match(host).hasMatch())
        return "https://" + host.toLatin1();
    return "https://localhost:" + QByteArray::number(port);
}

} // namespace

QByteArray DevRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return QByteArray();
}

int DevRequest::headerCount(const QByteArray &name) const
{
    int count = 0;
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            ++count;
    }
    return count;
}

QString DevRequest::queryItem(const QString &name) const
{
    for (const auto &item : queryItems) {
        if (item.first == name)
            return item.second;
    }
    return QString();
}

DevService::Options DevService::defaultOptions()
{
    Options o;
    o.dataDir = QStringLiteral(VELMORA_DEVSERVICE_DATA_DIR);
    const QString certDir = QStringLiteral(VELMORA_DEVSERVICE_CERT_DIR);
    o.certFile = certDir + QStringLiteral("/localhost.crt");
    o.keyFile = certDir + QStringLiteral("/localhost.key");
    o.vpnCaFile = certDir + QStringLiteral("/ca.crt");
    return o;
}

QStringList DevService::endpointNames()
{
    return {QStringLiteral("startup"), QStringLiteral("login"), QStringLiteral("servers"), QStringLiteral("report"),
            QStringLiteral("flag"),    QStringLiteral("ovpn"),  QStringLiteral("crt"),     QStringLiteral("installer")};
}

QByteArray DevService::installerBody(bool slow)
{
    QByteArray body = "#!/bin/sh\necho ran > \"$(dirname \"$0\")/velmora_installer.ran\"\n";
    if (slow) {
        // Padding, so the slow download takes long enough to be cancelled.
        while (body.size() < 4096)
            body += "# padding line of the slow development installer ....................\n";
    }
    return body;
}

DevService::DevService(const Options &opts)
    : options(opts)
{
    load();
}

DevService::~DevService()
{
    stop();
}

void DevService::load()
{
    QStringList problems;
    QByteArray data;

    if (readFile(options.dataDir + QStringLiteral("/service.json"), data)) {
        QJsonObject startup = QJsonDocument::fromJson(data).object();
        if (!options.offerVersion.isEmpty())
            startup.insert(QStringLiteral("version"), options.offerVersion);
        startupReply = jsonBody(startup);
    } else {
        problems << QStringLiteral("cannot read service.json in %1").arg(options.dataDir);
    }

    if (readFile(options.dataDir + QStringLiteral("/accounts.json"), data)) {
        const QJsonArray list = QJsonDocument::fromJson(data).array();
        for (const QJsonValue &value : list) {
            const QJsonObject o = value.toObject();
            Account account;
            account.password = o.value(QStringLiteral("password")).toString();
            account.login = o.value(QStringLiteral("login")).toBool();
            account.connection = o.value(QStringLiteral("connection")).toBool();
            account.message = o.value(QStringLiteral("message")).toString();
            accounts.insert(o.value(QStringLiteral("email")).toString(), account);
        }
    } else {
        problems << QStringLiteral("cannot read accounts.json in %1").arg(options.dataDir);
    }

    if (readFile(options.dataDir + QStringLiteral("/servers.json"), data)) {
        const QJsonArray list = QJsonDocument::fromJson(data).array();
        for (const QJsonValue &value : list) {
            const QJsonObject o = value.toObject();
            QMap<QString, QString> server;
            for (auto it = o.begin(); it != o.end(); ++it)
                server.insert(it.key(), it.value().toString());
            servers << server;
        }
    } else {
        problems << QStringLiteral("cannot read servers.json in %1").arg(options.dataDir);
    }

    if (!readFile(options.dataDir + QStringLiteral("/client.ovpn.in"), ovpnTemplate))
        problems << QStringLiteral("cannot read client.ovpn.in in %1").arg(options.dataDir);
    if (!readFile(options.vpnCaFile, vpnCa))
        problems << QStringLiteral("cannot read the VPN CA %1").arg(options.vpnCaFile);
    if (!QFile::exists(options.certFile) || !QFile::exists(options.keyFile))
        problems << QStringLiteral("missing certificate or key (%1, %2)").arg(options.certFile, options.keyFile);

    static const QRegularExpression remotePattern(QStringLiteral("^[A-Za-z0-9.\\-]+:[0-9]{1,5}$"));
    if (!remotePattern.match(options.vpnRemote).hasMatch())
        problems << QStringLiteral("the VPN remote must be HOST:PORT, not \"%1\"").arg(options.vpnRemote);

    loadProblem = problems.join(QStringLiteral("; "));
}

bool DevService::start(const QStringList &hosts, int port)
{
    if (!loadProblem.isEmpty()) {
        startProblem = loadProblem;
        return false;
    }
    stopping = false;
    int wanted = port;
    QStringList failed;
    for (const QString &host : hosts) {
        auto server = std::make_unique<httplib::SSLServer>(options.certFile.toLocal8Bit().constData(),
                                                           options.keyFile.toLocal8Bit().constData());
        if (!server->is_valid()) {
            startProblem = QStringLiteral("the certificate or key could not be loaded");
            return false;
        }
        // Plenty of workers, so delayed and slow answers do not hold up the rest.
        server->new_task_queue = [] { return new httplib::ThreadPool(32); };
        // One request per connection: stop() then never waits for idle
        // keep-alive connections to time out.
        server->set_keep_alive_max_count(1);
        // cpp-httplib also sets SO_REUSEPORT by default, which lets a second
        // service bind the same port and silently share its connections.
        server->set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        });
        auto handler = [this](const httplib::Request &req, httplib::Response &res) { dispatch(req, res); };
        server->Get(".*", handler);
        server->Post(".*", handler);
        server->Put(".*", handler);
        server->Delete(".*", handler);

        const std::string address = host.toStdString();
        int bound = -1;
        if (wanted == 0) {
            bound = server->bind_to_any_port(address);
        } else if (server->bind_to_port(address, wanted)) {
            bound = wanted;
        }
        if (bound <= 0) {
            failed << host;
            continue;
        }
        wanted = bound;
        listening << host;
        httpServers.push_back(std::move(server));
    }
    if (httpServers.empty()) {
        startProblem = QStringLiteral("cannot listen on %1 port %2").arg(hosts.join(QStringLiteral(", "))).arg(port);
        return false;
    }
    if (!failed.isEmpty())
        startProblem = QStringLiteral("not listening on %1").arg(failed.join(QStringLiteral(", ")));
    boundPort = wanted;
    for (auto &server : httpServers) {
        httplib::Server *s = server.get();
        threads.emplace_back([s] { s->listen_after_bind(); });
    }
    for (auto &server : httpServers) {
        while (!server->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void DevService::stop()
{
    stopping = true;
    for (auto &server : httpServers)
        server->stop();
    for (auto &thread : threads) {
        if (thread.joinable())
            thread.join();
    }
    threads.clear();
    httpServers.clear();
    listening.clear();
}

void DevService::setStatus(const QString &endpoint, int code)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (code == 0)
        statusOverrides.remove(endpoint);
    else
        statusOverrides.insert(endpoint, code);
}

void DevService::setBody(const QString &endpoint, const QString &kind)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (kind.isEmpty())
        bodyOverrides.remove(endpoint);
    else
        bodyOverrides.insert(endpoint, kind);
}

void DevService::setDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(mutex);
    allDelayMs = ms;
}

void DevService::setDelayMs(const QString &endpoint, int ms)
{
    std::lock_guard<std::mutex> lock(mutex);
    delays.insert(endpoint, ms);
}

void DevService::setSlowInstaller(bool slow)
{
    std::lock_guard<std::mutex> lock(mutex);
    slowInstaller = slow;
}

void DevService::setRequireHeaders(bool required)
{
    std::lock_guard<std::mutex> lock(mutex);
    requireHeaders = required;
}

void DevService::setHandler(const QString &path, Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (handler)
        handlers.insert(path, std::move(handler));
    else
        handlers.remove(path);
}

QList<DevRequest> DevService::requests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

QList<DevRequest> DevService::requests(const QString &path) const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<DevRequest> result;
    for (const DevRequest &r : received) {
        if (r.path == path)
            result << r;
    }
    return result;
}

void DevService::clearRequests()
{
    std::lock_guard<std::mutex> lock(mutex);
    received.clear();
}

void DevService::setLogger(std::function<void(const QString &)> newLogger)
{
    std::lock_guard<std::mutex> lock(mutex);
    logger = std::move(newLogger);
}

// Sleeps in small steps so that stop() never waits long; false if stopping.
bool DevService::pause(int ms) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (stopping)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stopping;
}

QString DevService::endpointFor(const QString &path) const
{
    static const QRegularExpression installerPattern(QStringLiteral("^/([^/]*)/\\1_installer\\.exe$"));
    if (path == QLatin1String("/v1/startup"))
        return QStringLiteral("startup");
    if (path == QLatin1String("/v1/login"))
        return QStringLiteral("login");
    if (path == QLatin1String("/v1/servers"))
        return QStringLiteral("servers");
    if (path == QLatin1String("/v1/report"))
        return QStringLiteral("report");
    if (path.startsWith(QLatin1String("/v1/flags/")))
        return QStringLiteral("flag");
    if (path.startsWith(QLatin1String("/v1/configs/")))
        return QStringLiteral("ovpn");
    if (path.startsWith(QLatin1String("/v1/certs/")))
        return QStringLiteral("crt");
    if (installerPattern.match(path).hasMatch())
        return QStringLiteral("installer");
    return QString();
}

void DevService::dispatch(const httplib::Request &req, httplib::Response &res)
{
    DevRequest request;
    request.method = QString::fromStdString(req.method);
    request.path = QString::fromStdString(req.path);
    const std::string::size_type q = req.target.find('?');
    if (q != std::string::npos)
        request.query = QByteArray::fromStdString(req.target.substr(q + 1));
    const QUrlQuery query(QString::fromLatin1(request.query));
    for (const auto &item : query.queryItems(QUrl::FullyDecoded))
        request.queryItems << item;
    for (const auto &h : req.headers) {
        if (!isServerAddedHeader(h.first))
            request.headers << qMakePair(QByteArray::fromStdString(h.first), QByteArray::fromStdString(h.second));
    }
    request.body = QByteArray::fromStdString(req.body);

    const QString endpoint = endpointFor(request.path);
    int delay = 0;
    int status = 0;
    QString bodyKind;
    bool slow = false;
    bool headersRequired = true;
    Handler custom;
    std::function<void(const QString &)> log;
    {
        std::lock_guard<std::mutex> lock(mutex);
        received << request;
        delay = delays.value(endpoint, allDelayMs);
        status = statusOverrides.value(endpoint);
        bodyKind = bodyOverrides.value(endpoint);
        slow = slowInstaller;
        headersRequired = requireHeaders;
        custom = handlers.value(request.path);
        log = logger;
    }
    if (log) {
        log(QStringLiteral("%1 %2%3").arg(
            request.method, request.path,
            request.query.isEmpty() ? QString() : QLatin1Char('?') + QString::fromLatin1(request.query)));
    }

    if (delay > 0 && !pause(delay)) {
        res.status = 503;
        return;
    }

    DevResponse answer;
    const bool headersOk = request.headerCount("Content-Type") == 1
        && request.header("Content-Type") == "application/json" && request.headerCount("User-Agent") == 1
        && request.header("User-Agent") == "Mozilla Firefox" && request.headerCount("Auth-Token") == 1
        && request.header("Auth-Token") == serviceToken;
    if (headersRequired && !headersOk) {
        answer.status = 400;
        answer.body = errorBody(QStringLiteral("missing or wrong service headers"));
    } else if (status != 0) {
        answer.status = status;
        answer.body = errorBody(QStringLiteral("failure requested for %1").arg(endpoint));
    } else if (custom) {
        custom(request, answer);
    } else if (endpoint == QLatin1String("installer") && slow && bodyKind.isEmpty()) {
        // Small pieces with pauses, so a download can be cancelled half-way.
        const auto body = std::make_shared<QByteArray>(installerBody(true));
        res.status = 200;
        res.set_content_provider(static_cast<size_t>(body->size()), "application/octet-stream",
                                 [this, body](size_t offset, size_t length, httplib::DataSink &sink) {
                                     if (!pause(100))
                                         return false;
                                     const size_t piece
                                         = std::min<size_t>(std::min<size_t>(length, 128), body->size() - offset);
                                     return sink.write(body->constData() + offset, piece);
                                 });
        return;
    } else {
        answer = builtIn(endpoint, request, baseUrlFor(req, boundPort));
        if (answer.status == 200 && bodyKind == QLatin1String("empty"))
            answer.body.clear();
        else if (answer.status == 200 && bodyKind == QLatin1String("broken"))
            answer.body = brokenBody;
    }

    res.status = answer.status;
    res.set_content(answer.body.toStdString(), answer.contentType.toStdString());
}

DevResponse DevService::builtIn(const QString &endpoint, const DevRequest &request, const QByteArray &baseUrl) const
{
    DevResponse answer;
    const bool isGet = request.method == QLatin1String("GET");
    const bool isPost = request.method == QLatin1String("POST");

    auto notFound = [&answer]() {
        answer.status = 404;
        answer.body = errorBody(QStringLiteral("not found"));
    };
    auto fileName = [&request](const QString &prefix, const QString &suffix) {
        QString name = request.path.mid(prefix.size());
        if (!name.endsWith(suffix))
            return QString();
        name.chop(suffix.size());
        return name;
    };
    auto findServer = [this](const QString &hostname) {
        for (const auto &server : servers) {
            if (server.value(QStringLiteral("hostname")) == hostname)
                return true;
        }
        return false;
    };

    if (endpoint == QLatin1String("startup") && isGet) {
        answer.body = startupReply;
    } else if (endpoint == QLatin1String("login") && isPost) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(request.body, &error);
        const QJsonObject credentials = doc.object();
        if (error.error != QJsonParseError::NoError || !doc.isObject()
            || !credentials.value(QStringLiteral("email")).isString()
            || !credentials.value(QStringLiteral("password")).isString()) {
            answer.status = 400;
            answer.body = errorBody(QStringLiteral("the body must be {\"email\": ..., \"password\": ...}"));
            return answer;
        }
        const QString email = credentials.value(QStringLiteral("email")).toString();
        const auto account = accounts.constFind(email);
        if (account == accounts.constEnd()
            || account->password != credentials.value(QStringLiteral("password")).toString()) {
            answer.status = 401;
            answer.body = errorBody(QStringLiteral("invalid credentials"));
            return answer;
        }
        answer.body = jsonBody(QJsonObject {{QStringLiteral("access"),
                                             QJsonObject {{QStringLiteral("login"), account->login},
                                                          {QStringLiteral("connection"), account->connection}}},
                                            {QStringLiteral("message"), account->message}});
    } else if (endpoint == QLatin1String("servers") && isPost) {
        const auto account = accounts.constFind(request.queryItem(QStringLiteral("email")));
        if (account == accounts.constEnd()) {
            answer.status = 401;
            answer.body = errorBody(QStringLiteral("unknown account"));
            return answer;
        }
        if (!account->login || !account->connection) {
            answer.status = 403;
            answer.body = errorBody(account->message);
            return answer;
        }
        QJsonArray list;
        for (const auto &server : servers) {
            QJsonObject entry;
            for (auto it = server.begin(); it != server.end(); ++it)
                entry.insert(it.key(), it.value());
            const QString host = server.value(QStringLiteral("hostname"));
            const QString base = QString::fromLatin1(baseUrl);
            entry.insert(QStringLiteral("files"),
                         QJsonObject {
                             {QStringLiteral("ovpn"), base + QStringLiteral("/v1/configs/%1.ovpn").arg(host)},
                             {QStringLiteral("crt"), base + QStringLiteral("/v1/certs/%1.crt").arg(host)},
                             {QStringLiteral("image"),
                              base
                                  + QStringLiteral("/v1/flags/%1.png")
                                        .arg(server.value(QStringLiteral("country_code")).toLower())},
                         });
            list << entry;
        }
        answer.body = jsonBody(QJsonObject {{QStringLiteral("servers"), list}});
    } else if (endpoint == QLatin1String("report") && isPost) {
        answer.body = jsonBody(QJsonObject {{QStringLiteral("status"), QStringLiteral("received")}});
    } else if (endpoint == QLatin1String("flag") && isGet) {
        static const QRegularExpression codePattern(QStringLiteral("^[a-z]{2}$"));
        const QString code = fileName(QStringLiteral("/v1/flags/"), QStringLiteral(".png"));
        QByteArray png;
        if (!codePattern.match(code).hasMatch()
            || !readFile(options.flagDir + QLatin1Char('/') + code + QStringLiteral(".png"), png)) {
            notFound();
            return answer;
        }
        answer.contentType = "image/png";
        answer.body = png;
    } else if ((endpoint == QLatin1String("ovpn") || endpoint == QLatin1String("crt")) && isGet) {
        const bool ovpn = endpoint == QLatin1String("ovpn");
        const QString host = ovpn ? fileName(QStringLiteral("/v1/configs/"), QStringLiteral(".ovpn"))
                                  : fileName(QStringLiteral("/v1/certs/"), QStringLiteral(".crt"));
        if (!findServer(host)) {
            notFound();
            return answer;
        }
        answer.contentType = "application/octet-stream";
        if (!ovpn) {
            answer.body = vpnCa;
            return answer;
        }
        const int colon = options.vpnRemote.lastIndexOf(QLatin1Char(':'));
        QByteArray text = ovpnTemplate;
        text.replace("@VPN_HOST@", options.vpnRemote.left(colon).toLatin1());
        text.replace("@VPN_PORT@", options.vpnRemote.mid(colon + 1).toLatin1());
        text.replace("@VPN_CA@", vpnCa.trimmed());
        text.replace("@SERVER@", host.toLatin1());
        answer.body = text;
    } else if (endpoint == QLatin1String("installer") && isGet) {
        answer.contentType = "application/octet-stream";
        answer.body = installerBody(false);
    } else {
        notFound();
    }
    return answer;
}
