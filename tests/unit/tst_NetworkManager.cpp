// NetworkManager against the development service over TLS on loopback.
#include "BuildConfig.h"
#include "DevServiceFixture.h"
#include "NetworkManager.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QtTest>

#include <condition_variable>
#include <mutex>

namespace {

const QByteArray token = "ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL";
const int replyTimeout = 20000;

// Every signal of one manager, to check that exactly the expected one came.
struct Signals
{
    explicit Signals(NetworkManager *manager)
        : login(manager, &NetworkManager::loginResponceFinished)
        , serverList(manager, &NetworkManager::serverListResponceFinished)
        , startup(manager, &NetworkManager::startUpResponceFinished)
        , loginError(manager, &NetworkManager::loginErrorOccurred)
        , serverListError(manager, &NetworkManager::serverListErrorOccured)
        , startupError(manager, &NetworkManager::startupErrorOccurred)
    {
    }

    QMap<QString, int> counts() const
    {
        QMap<QString, int> result;
        const QList<QPair<QString, const QSignalSpy *>> all {{"loginResponceFinished", &login},
                                                             {"serverListResponceFinished", &serverList},
                                                             {"startUpResponceFinished", &startup},
                                                             {"loginErrorOccurred", &loginError},
                                                             {"serverListErrorOccured", &serverListError},
                                                             {"startupErrorOccurred", &startupError}};
        for (const auto &entry : all) {
            if (entry.second->count())
                result.insert(entry.first, entry.second->count());
        }
        return result;
    }
    int total() const
    {
        int sum = 0;
        for (int c : counts())
            sum += c;
        return sum;
    }

    QSignalSpy login, serverList, startup, loginError, serverListError, startupError;
};

QByteArray png(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

// Runs one request and waits for its first signal.
void run(NetworkManager &manager, const QString &request, Signals &spies)
{
    if (request == "startup")
        manager.makeStartupRequest();
    else if (request == "login")
        manager.makeLoginRequest();
    else
        manager.makeServerListRequest();
    QTRY_VERIFY_WITH_TIMEOUT(spies.total() > 0, replyTimeout);
}

} // namespace

class tst_NetworkManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullRoundFillsTheRecords();
    void everyRequestCarriesExactlyTheServiceHeaders();
    void loginBodyIsJsonWithTheTypedValues_data();
    void loginBodyIsJsonWithTheTypedValues();
    void failures_data();
    void failures();
    void recordsSurviveFailures();
    void validJsonWithoutMembersIsNoFailure();
    void threeFlagsInParallelAndCompletionAfterTheLast();
    void recordWithoutImageAddressGetsThePlaceholder();
    void emptyServerListCompletesAtOnce();
    void reportIsSentAndForgotten_data();
    void reportIsSentAndForgotten();
};

void tst_NetworkManager::initTestCase()
{
    // What the application does at start for the development build.
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> extra = QSslCertificate::fromData(BuildConfig::extraCaCertificates());
    QVERIFY(!extra.isEmpty());
    tls.setCaCertificates(tls.caCertificates() + extra);
    QSslConfiguration::setDefaultConfiguration(tls);
}

void tst_NetworkManager::fullRoundFillsTheRecords()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);

    manager.makeStartupRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.startup.count(), 1, replyTimeout);
    const StartupData startup = manager.startupData();
    QCOMPARE(startup.size(), 9);
    QCOMPARE(startup.value("domain"), QString("https://www2.velmora.test"));
    QCOMPARE(startup.value("account"), QString("https://www2.velmora.test/account"));
    QCOMPARE(startup.value("version"), QString("1.0.0"));

    manager.setCredentials("demo@velmora.test", "velmora-demo");
    manager.makeLoginRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.login.count(), 1, replyTimeout);
    QCOMPARE(manager.accessFlags().value("login"), true);
    QCOMPARE(manager.accessFlags().value("connection"), true);
    QCOMPARE(manager.loginData().value("account"), QString("demo@velmora.test"));
    QCOMPARE(manager.loginData().value("password"), QString("velmora-demo"));

    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 1, replyTimeout);
    const ServerList list = manager.serverList();
    QVERIFY(list.size() >= 10);
    QCOMPARE(service.requests("/v1/servers").first().queryItem("email"), QString("demo@velmora.test"));
    const FlagImages flags = manager.flagImages();
    QCOMPARE(flags.size(), list.size());
    for (const ServerRecord &record : list) {
        QVERIFY(flags.contains(record.value("hostname")));
        QCOMPARE(flags.value(record.value("hostname")).size(), QSize(32, 24));
    }
    QCOMPARE(spies.total(), 3);
    QVERIFY(manager.errorMessage().isEmpty());
}

void tst_NetworkManager::everyRequestCarriesExactlyTheServiceHeaders()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials("demo@velmora.test", "velmora-demo");

    manager.makeStartupRequest();
    manager.makeLoginRequest();
    manager.makeServerListRequest();
    manager.makeReportRequest("127.0.0.11", "Connection failed");
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 1, replyTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(service.requests("/v1/report").size(), 1, replyTimeout);

    const QList<DevRequest> requests = service.requests();
    const int flagRequests = manager.serverList().size();
    QCOMPARE(requests.size(), 4 + flagRequests);
    // What Qt itself adds to every request; anything beyond these and the
    // three service headers would be a header we set by mistake.
    const QSet<QByteArray> transport {"host", "connection", "accept-encoding", "accept-language", "content-length"};
    for (const DevRequest &request : requests) {
        const QString what = request.method + " " + request.path;
        QCOMPARE(request.headerCount("Content-Type"), 1);
        QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(request.headerCount("User-Agent"), 1);
        QCOMPARE(request.header("User-Agent"), QByteArray("Mozilla Firefox"));
        QCOMPARE(request.headerCount("Auth-Token"), 1);
        QCOMPARE(request.header("Auth-Token"), token);
        for (const auto &header : request.headers) {
            const QByteArray name = header.first.toLower();
            QVERIFY2(transport.contains(name) || name == "content-type" || name == "user-agent" || name == "auth-token",
                     qPrintable(what + ": unexpected header " + header.first));
        }
    }
    QCOMPARE(service.requests("/v1/startup").first().method, QString("GET"));
    QCOMPARE(service.requests("/v1/login").first().method, QString("POST"));
    QCOMPARE(service.requests("/v1/servers").first().method, QString("POST"));
    QVERIFY(service.requests("/v1/servers").first().body.isEmpty());
    QCOMPARE(service.requests("/v1/report").first().method, QString("POST"));
    QVERIFY(service.requests("/v1/report").first().body.isEmpty());
}

void tst_NetworkManager::loginBodyIsJsonWithTheTypedValues_data()
{
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("plain") << "demo@velmora.test"
                           << "velmora-demo"
                           << QByteArray(R"({"email": "demo@velmora.test", "password": "velmora-demo"})");
    QTest::newRow("quotation marks") << "a@b.test"
                                     << R"(say "hi")"
                                     << QByteArray(R"({"email": "a@b.test", "password": "say \"hi\""})");
    QTest::newRow("backslashes") << R"(a\b@c.test)"
                                 << R"(C:\new\"\)"
                                 << QByteArray(R"({"email": "a\\b@c.test", "password": "C:\\new\\\"\\"})");
    QTest::newRow("control characters") << "a@b.test"
                                        << QString("line\nnext\ttab\r\b\f") + QChar(1)
            + QChar(0x1f) << QByteArray(R"({"email": "a@b.test", "password": "line\nnext\ttab\r\b\f\u0001\u001f"})");
    QTest::newRow("non-ASCII letters")
        << QString::fromUtf8("jürgen@bücher.test") << QString::fromUtf8("Ünïcødé密码ё")
        << QString::fromUtf8(R"({"email": "jürgen@bücher.test", "password": "Ünïcødé密码ё"})").toUtf8();
    QTest::newRow("JSON-looking password")
        << "x@y.test"
        << R"(", "email": "evil@x.test)"
        << QByteArray(R"({"email": "x@y.test", "password": "\", \"email\": \"evil@x.test"})");
    QTest::newRow("empty values") << ""
                                  << "" << QByteArray(R"({"email": "", "password": ""})");
    QTest::newRow("slash and DEL stay") << "a/b@c.test" << QString("p/") + QChar(0x7f)
                                        << (QByteArray(R"({"email": "a/b@c.test", "password": "p/)") + '\x7f' + "\"}");
}

void tst_NetworkManager::loginBodyIsJsonWithTheTypedValues()
{
    QFETCH(QString, email);
    QFETCH(QString, password);
    QFETCH(QByteArray, body);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials(email, password);
    manager.makeLoginRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.total(), 1, replyTimeout);

    const QList<DevRequest> logins = service.requests("/v1/login");
    QCOMPARE(logins.size(), 1);
    QCOMPARE(logins.first().body, body);
    QJsonParseError error;
    const QJsonObject sent = QJsonDocument::fromJson(logins.first().body, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.value("email").toString(), email);
    QCOMPARE(sent.value("password").toString(), password);
}

void tst_NetworkManager::failures_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("setup"); // "status", "body", "unreachable", "untrusted", "credentials"
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("signal");

    const QString network = "Network error. Try again later.";
    const QString unavailable = "Service unaviable. Try again later.";

    QTest::newRow("startup 500") << "startup"
                                 << "status" << 500 << "" << network + "\nCode: 500"
                                 << "startupErrorOccurred";
    QTest::newRow("startup 404") << "startup"
                                 << "status" << 404 << "" << network + "\nCode: 404"
                                 << "startupErrorOccurred";
    QTest::newRow("startup unreachable") << "startup"
                                         << "unreachable" << 0 << "" << network + "\nCode: 0"
                                         << "startupErrorOccurred";
    QTest::newRow("startup untrusted CA") << "startup"
                                          << "untrusted" << 0 << "" << network + "\nCode: 0"
                                          << "startupErrorOccurred";
    QTest::newRow("startup empty body") << "startup"
                                        << "body" << 0 << "empty" << network << "startupErrorOccurred";
    QTest::newRow("startup broken body") << "startup"
                                         << "body" << 0 << "broken" << network << "startupErrorOccurred";

    QTest::newRow("login wrong password") << "login"
                                          << "credentials" << 0 << ""
                                          << "Invalid email or password."
                                          << "loginErrorOccurred";
    QTest::newRow("login 401") << "login"
                               << "status" << 401 << ""
                               << "Invalid email or password."
                               << "loginErrorOccurred";
    QTest::newRow("login 403") << "login"
                               << "status" << 403 << "" << network + "\nCode: 403"
                               << "loginErrorOccurred";
    QTest::newRow("login 500") << "login"
                               << "status" << 500 << "" << network + "\nCode: 500"
                               << "loginErrorOccurred";
    QTest::newRow("login unreachable") << "login"
                                       << "unreachable" << 0 << "" << network + "\nCode: 0"
                                       << "loginErrorOccurred";
    QTest::newRow("login untrusted CA") << "login"
                                        << "untrusted" << 0 << "" << network + "\nCode: 0"
                                        << "loginErrorOccurred";
    QTest::newRow("login empty body") << "login"
                                      << "body" << 0 << "empty" << network << "loginErrorOccurred";
    QTest::newRow("login broken body") << "login"
                                       << "body" << 0 << "broken" << network << "loginErrorOccurred";

    QTest::newRow("servers 500") << "servers"
                                 << "status" << 500 << "" << unavailable << "serverListErrorOccured";
    QTest::newRow("servers 401") << "servers"
                                 << "status" << 401 << "" << unavailable << "serverListErrorOccured";
    QTest::newRow("servers 403") << "servers"
                                 << "status" << 403 << "" << unavailable << "serverListErrorOccured";
    QTest::newRow("servers unreachable") << "servers"
                                         << "unreachable" << 0 << "" << unavailable << "serverListErrorOccured";
    QTest::newRow("servers untrusted CA") << "servers"
                                          << "untrusted" << 0 << "" << unavailable << "serverListErrorOccured";
    QTest::newRow("servers empty body") << "servers"
                                        << "body" << 0 << "empty" << network << "serverListErrorOccured";
    QTest::newRow("servers broken body") << "servers"
                                         << "body" << 0 << "broken" << network << "serverListErrorOccured";
}

void tst_NetworkManager::failures()
{
    QFETCH(QString, request);
    QFETCH(QString, setup);
    QFETCH(int, status);
    QFETCH(QString, body);
    QFETCH(QString, message);
    QFETCH(QString, signal);

    DevServiceFixture service(setup == "untrusted" ? DevServiceFixture::untrustedOptions()
                                                   : DevService::defaultOptions());
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    if (setup == "status")
        service.setStatus(request, status);
    if (setup == "body")
        service.setBody(request, body);
    const QString base = setup == "unreachable" ? QString("https://localhost:%1").arg(closedPort()) : service.baseUrl();

    NetworkManager manager(base);
    Signals spies(&manager);
    manager.setCredentials("demo@velmora.test", setup == "credentials" ? "not-the-password" : "velmora-demo");
    run(manager, request, spies);

    QCOMPARE(manager.errorMessage(), message);
    QCOMPARE(spies.counts(), (QMap<QString, int> {{signal, 1}}));
    QVERIFY(manager.startupData().isEmpty());
    QVERIFY(manager.loginData().isEmpty());
    QVERIFY(manager.accessFlags().isEmpty());
    QVERIFY(manager.serverList().isEmpty());
    QVERIFY(manager.flagImages().isEmpty());
    // Failures from the service itself really went there; the others never got that far.
    QCOMPARE(service.requests().isEmpty(), setup == "unreachable" || setup == "untrusted");
}

void tst_NetworkManager::recordsSurviveFailures()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials("demo@velmora.test", "velmora-demo");
    manager.makeStartupRequest();
    manager.makeLoginRequest();
    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.total(), 3, replyTimeout);

    const StartupData startup = manager.startupData();
    const LoginData login = manager.loginData();
    const AccessFlags flags = manager.accessFlags();
    const ServerList list = manager.serverList();
    const QStringList flagHosts = manager.flagImages().keys();
    QVERIFY(!list.isEmpty());

    // A failed login with other credentials must not replace the stored ones.
    manager.setCredentials("limited@velmora.test", "velmora-limited");
    for (const QString &kind : {QString("status"), QString("broken")}) {
        for (const QString &endpoint : {QString("startup"), QString("login"), QString("servers")}) {
            if (kind == "status")
                service.setStatus(endpoint, 500);
            else
                service.setBody(endpoint, "broken");
        }
        spies.startupError.clear();
        spies.loginError.clear();
        spies.serverListError.clear();
        manager.makeStartupRequest();
        manager.makeLoginRequest();
        manager.makeServerListRequest();
        QTRY_VERIFY_WITH_TIMEOUT(spies.startupError.count() == 1 && spies.loginError.count() == 1
                                     && spies.serverListError.count() == 1,
                                 replyTimeout);
        QCOMPARE(manager.startupData(), startup);
        QCOMPARE(manager.loginData(), login);
        QCOMPARE(manager.accessFlags(), flags);
        QCOMPARE(manager.serverList(), list);
        QCOMPARE(manager.flagImages().keys(), flagHosts);
        for (const QString &endpoint : {QString("startup"), QString("login"), QString("servers")}) {
            service.setStatus(endpoint, 0);
            service.setBody(endpoint, QString());
        }
    }
    QCOMPARE(spies.startup.count() + spies.login.count() + spies.serverList.count(), 3);

    // A later success does not clear the last error text.
    const QString lastError = manager.errorMessage();
    QVERIFY(!lastError.isEmpty());
    spies.startup.clear();
    manager.makeStartupRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.startup.count(), 1, replyTimeout);
    QCOMPARE(manager.errorMessage(), lastError);
}

void tst_NetworkManager::validJsonWithoutMembersIsNoFailure()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    for (const char *path : {"/v1/startup", "/v1/login"})
        service.setHandler(path, [](const DevRequest &, DevResponse &response) { response.body = "[]"; });
    service.setHandler("/v1/servers", [](const DevRequest &, DevResponse &response) { response.body = "{}"; });

    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials("me@velmora.test", "secret");
    manager.makeStartupRequest();
    manager.makeLoginRequest();
    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.total(), 3, replyTimeout);
    QCOMPARE(spies.counts(),
             (QMap<QString, int> {
                 {"startUpResponceFinished", 1}, {"loginResponceFinished", 1}, {"serverListResponceFinished", 1}}));
    QCOMPARE(manager.startupData().size(), 9);
    QCOMPARE(manager.accessFlags(), (AccessFlags {{"login", false}, {"connection", false}}));
    QCOMPARE(manager.loginData().value("account"), QString("me@velmora.test"));
    QVERIFY(manager.errorMessage().isEmpty());
}

void tst_NetworkManager::threeFlagsInParallelAndCompletionAfterTheLast()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    const QString base = service.baseUrl();
    service.setHandler("/v1/servers", [base](const DevRequest &, DevResponse &response) {
        QJsonArray servers;
        for (const char *host : {"a", "b", "c"}) {
            servers << QJsonObject {{"hostname", host},
                                    {"name", QString("Server %1").arg(host)},
                                    {"files", QJsonObject {{"image", base + "/img/" + host + ".png"}}}};
        }
        response.body = QJsonDocument(QJsonObject {{"servers", servers}}).toJson();
    });

    // Each flag answer waits until all three requests are in, so a client
    // that asks one at a time is caught; "c" also waits for the test.
    struct Gate
    {
        std::mutex mutex;
        std::condition_variable changed;
        int arrived = 0;
        bool allArrived = false;
        bool releaseC = false;
    };
    auto gate = std::make_shared<Gate>();
    auto flag = [gate](const QByteArray &image, int status, bool last) {
        return [gate, image, status, last](const DevRequest &, DevResponse &response) {
            std::unique_lock<std::mutex> lock(gate->mutex);
            ++gate->arrived;
            gate->changed.notify_all();
            gate->allArrived
                = gate->changed.wait_for(lock, std::chrono::seconds(15), [&] { return gate->arrived == 3; });
            if (last)
                gate->changed.wait_for(lock, std::chrono::seconds(15), [&] { return gate->releaseC; });
            response.status = status;
            response.contentType = "image/png";
            response.body = image;
        };
    };
    service.setHandler("/img/a.png", flag(png(64, 64, Qt::green), 200, false));
    service.setHandler("/img/b.png", flag(QByteArray(), 404, false));
    service.setHandler("/img/c.png", flag(png(20, 10, Qt::blue), 200, true));

    NetworkManager manager(base);
    Signals spies(&manager);
    manager.setCredentials("demo@velmora.test", "velmora-demo");
    manager.makeServerListRequest();

    // a and b are answered; completion still waits for c.
    QTRY_COMPARE_WITH_TIMEOUT(manager.flagImages().size(), 2, replyTimeout);
    QCOMPARE(spies.serverList.count(), 0);
    QCOMPARE(manager.serverList().size(), 3);
    {
        std::lock_guard<std::mutex> lock(gate->mutex);
        QVERIFY2(gate->allArrived, "the flag requests were not sent in parallel");
        gate->releaseC = true;
    }
    gate->changed.notify_all();
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 1, replyTimeout);
    QCOMPARE(spies.total(), 1);

    const FlagImages flags = manager.flagImages();
    QCOMPARE(flags.keys(), (QStringList {"a", "b", "c"}));
    for (const QPixmap &image : flags)
        QCOMPARE(image.size(), QSize(32, 24));
    QCOMPARE(flags.value("a").toImage().pixel(5, 5), QColor(Qt::green).rgb());
    QCOMPARE(flags.value("c").toImage().pixel(5, 5), QColor(Qt::blue).rgb());
    const QImage placeholder = QPixmap(":/resources/common/images/Flags/UN@2x.png")
                                   .scaled(32, 24, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                   .toImage();
    QCOMPARE(flags.value("b").toImage(), placeholder);
    QCOMPARE(service.requests().size(), 4);
    for (const char *path : {"/img/a.png", "/img/b.png", "/img/c.png"})
        QCOMPARE(service.requests(path).first().method, QString("GET"));
}

void tst_NetworkManager::recordWithoutImageAddressGetsThePlaceholder()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    service.setHandler("/v1/servers", [](const DevRequest &, DevResponse &response) {
        response.body = R"({"servers": [{"hostname": "127.0.0.11", "name": "No files"}]})";
    });
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 1, replyTimeout);
    QCOMPARE(manager.flagImages().keys(), QStringList {"127.0.0.11"});
    QCOMPARE(manager.flagImages().value("127.0.0.11").size(), QSize(32, 24));
    QVERIFY(!manager.flagImages().value("127.0.0.11").isNull());
}

void tst_NetworkManager::emptyServerListCompletesAtOnce()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials("demo@velmora.test", "velmora-demo");
    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 1, replyTimeout);
    QVERIFY(manager.serverList().size() >= 10);
    const int flagsBefore = manager.flagImages().size();

    // A second list without records shrinks the list and completes without
    // any flag request; the old flags stay.
    service.clearRequests();
    service.setHandler("/v1/servers",
                       [](const DevRequest &, DevResponse &response) { response.body = R"({"servers": []})"; });
    manager.makeServerListRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.serverList.count(), 2, replyTimeout);
    QVERIFY(manager.serverList().isEmpty());
    QCOMPARE(manager.flagImages().size(), flagsBefore);
    QCOMPARE(service.requests().size(), 1);
    QCOMPARE(spies.total(), 2);
}

void tst_NetworkManager::reportIsSentAndForgotten_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("answered") << 0;
    QTest::newRow("refused") << 500;
}

void tst_NetworkManager::reportIsSentAndForgotten()
{
    QFETCH(int, status);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    service.setStatus("report", status);
    NetworkManager manager(service.baseUrl());
    Signals spies(&manager);
    manager.setCredentials("first+last@velmora.test", "velmora-demo");
    const QString message = QString::fromUtf8("Unable to connect: 100% lost & \"gone\" #1 = ü");
    manager.makeReportRequest("127.0.0.12", message);
    QTRY_COMPARE_WITH_TIMEOUT(service.requests("/v1/report").size(), 1, replyTimeout);

    // A later request's answer arrives after the report's, which must have
    // left no trace.
    manager.makeStartupRequest();
    QTRY_COMPARE_WITH_TIMEOUT(spies.startup.count(), 1, replyTimeout);
    QCOMPARE(spies.total(), 1);
    QVERIFY(manager.errorMessage().isEmpty());

    const DevRequest report = service.requests("/v1/report").first();
    const QList<QPair<QString, QString>> expected {
        {"email", "first+last@velmora.test"}, {"server", "127.0.0.12"}, {"message", message}};
    QCOMPARE(report.queryItems, expected);
}

QTEST_MAIN(tst_NetworkManager)
#include "tst_NetworkManager.moc"
