// The development service as the other tests see it: through the fixture,
// over TLS on loopback, with a plain QNetworkAccessManager.
#include "DevServiceFixture.h"
#include "TestSupport.h"

#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QtTest>

namespace {

struct Answer
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
};

const QByteArray token = "ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL";

QNetworkRequest serviceRequest(const QString &url, bool withHeaders = true)
{
    QNetworkRequest request {QUrl(url)};
    if (withHeaders) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setRawHeader("User-Agent", "Mozilla Firefox");
        request.setRawHeader("Auth-Token", token);
    }
    return request;
}

Answer wait(QNetworkReply *reply)
{
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(20000);
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.error = reply->error();
    if (reply->isOpen())
        answer.body = reply->readAll();
    reply->deleteLater();
    return answer;
}

} // namespace

class tst_DevService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesRequestsWithoutServiceHeaders_data();
    void refusesRequestsWithoutServiceHeaders();
    void login_data();
    void login();
    void serverListPointsAtTheServiceItself();
    void flagsAndConfigurationsAreServed();
    void installerPathFollowsTheStartupDomain();
    void failureSettings_data();
    void failureSettings();
    void handlersReplaceAPathAndRequestsAreRecorded();
    void slowInstallerCanBeCancelledHalfWay();
    void untrustedCertificateIsRefused();
    void secondServiceCannotTakeABoundPort();

private:
    QNetworkAccessManager manager;
};

void tst_DevService::initTestCase()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    const auto ca = QSslCertificate::fromPath(DevServiceFixture::caFile());
    QVERIFY(!ca.isEmpty());
    tls.setCaCertificates(tls.caCertificates() + ca);
    QSslConfiguration::setDefaultConfiguration(tls);
}

void tst_DevService::refusesRequestsWithoutServiceHeaders_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("dropped");

    const QList<QByteArray> headers {"Content-Type", "User-Agent", "Auth-Token"};
    for (const QByteArray &header : headers) {
        QTest::addRow("startup without %s", header.constData()) << QByteArray("GET") << "/v1/startup" << header;
        QTest::addRow("login without %s", header.constData()) << QByteArray("POST") << "/v1/login" << header;
        QTest::addRow("flag without %s", header.constData()) << QByteArray("GET") << "/v1/flags/de.png" << header;
    }
    QTest::newRow("installer without Auth-Token")
        << QByteArray("GET") << "/velmora.test/velmora.test_installer.exe" << QByteArray("Auth-Token");
    QTest::newRow("servers with a wrong token")
        << QByteArray("POST") << "/v1/servers?email=demo%40velmora.test" << QByteArray("wrong-token");
}

void tst_DevService::refusesRequestsWithoutServiceHeaders()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, dropped);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));

    QNetworkRequest request = serviceRequest(service.baseUrl() + path);
    if (dropped == "wrong-token")
        request.setRawHeader("Auth-Token", QByteArray(50, 'A'));
    else if (dropped == "Content-Type")
        request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
    else
        request.setRawHeader(dropped, QByteArray());
    const QByteArray body = "{\"email\": \"demo@velmora.test\", \"password\": \"velmora-demo\"}";
    const Answer answer = wait(manager.sendCustomRequest(request, method, method == "POST" ? body : QByteArray()));
    QCOMPARE(answer.status, 400);

    // The same request with all three headers is answered.
    const Answer good = wait(manager.sendCustomRequest(serviceRequest(service.baseUrl() + path), method,
                                                       method == "POST" ? body : QByteArray()));
    QCOMPARE(good.status, 200);
}

void tst_DevService::login_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("login");
    QTest::addColumn<bool>("connection");
    QTest::addColumn<QString>("message");

    auto credentials = [](const char *email, const char *password) {
        return QJsonDocument(QJsonObject {{"email", email}, {"password", password}}).toJson(QJsonDocument::Compact);
    };
    QTest::newRow("demo") << credentials("demo@velmora.test", "velmora-demo") << 200 << true << true << QString();
    QTest::newRow("limited") << credentials("limited@velmora.test", "velmora-limited") << 200 << true << false
                             << "Your subscription has ended. Renew it on your account page to connect.";
    QTest::newRow("blocked") << credentials("blocked@velmora.test", "velmora-blocked") << 200 << false << false
                             << QString();
    QTest::newRow("wrong password") << credentials("demo@velmora.test", "velmora-limited") << 401 << false << false
                                    << QString();
    QTest::newRow("unknown account") << credentials("nobody@velmora.test", "velmora-demo") << 401 << false << false
                                     << QString();
    QTest::newRow("email in other case") << credentials("DEMO@velmora.test", "velmora-demo") << 401 << false << false
                                         << QString();
    QTest::newRow("not JSON") << QByteArray("email=demo@velmora.test") << 400 << false << false << QString();
    QTest::newRow("password missing") << QByteArray("{\"email\": \"demo@velmora.test\"}") << 400 << false << false
                                      << QString();
}

void tst_DevService::login()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(bool, login);
    QFETCH(bool, connection);
    QFETCH(QString, message);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    const Answer answer = wait(manager.post(serviceRequest(service.baseUrl() + "/v1/login"), body));
    QCOMPARE(answer.status, status);
    if (status != 200)
        return;
    const QJsonObject reply = QJsonDocument::fromJson(answer.body).object();
    QCOMPARE(reply.value("access").toObject().value("login"), QJsonValue(login));
    QCOMPARE(reply.value("access").toObject().value("connection"), QJsonValue(connection));
    QVERIFY(reply.value("message").isString());
    QVERIFY(!reply.value("message").toString().isEmpty());
    if (!message.isEmpty())
        QCOMPARE(reply.value("message").toString(), message);
}

void tst_DevService::serverListPointsAtTheServiceItself()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));

    const Answer answer
        = wait(manager.post(serviceRequest(service.baseUrl() + "/v1/servers?email=demo%40velmora.test"), QByteArray()));
    QCOMPARE(answer.status, 200);
    const QJsonArray servers = QJsonDocument::fromJson(answer.body).object().value("servers").toArray();
    QVERIFY(servers.size() >= 10);

    QSet<QString> hosts;
    for (const QJsonValue &value : servers) {
        const QJsonObject server = value.toObject();
        for (const char *key : {"name", "hostname", "country_code", "country", "latitude", "longitude"})
            QVERIFY2(server.value(key).isString() && !server.value(key).toString().isEmpty(), key);
        const QHostAddress host(server.value("hostname").toString());
        QVERIFY2(host.isLoopback() && host.protocol() == QAbstractSocket::IPv4Protocol,
                 qPrintable(server.value("hostname").toString()));
        hosts << host.toString();
        bool ok = false;
        server.value("latitude").toString().toDouble(&ok);
        QVERIFY(ok);
        const QJsonObject files = server.value("files").toObject();
        for (const char *key : {"ovpn", "crt", "image"})
            QVERIFY2(files.value(key).toString().startsWith(service.baseUrl() + "/"), key);
    }
    QCOMPARE(hosts.size(), servers.size());

    // Accounts without connection rights, or none at all, get no list.
    QCOMPARE(
        wait(manager.post(serviceRequest(service.baseUrl() + "/v1/servers?email=limited%40velmora.test"), QByteArray()))
            .status,
        403);
    QCOMPARE(wait(manager.post(serviceRequest(service.baseUrl() + "/v1/servers"), QByteArray())).status, 401);
}

void tst_DevService::flagsAndConfigurationsAreServed()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    const Answer list
        = wait(manager.post(serviceRequest(service.baseUrl() + "/v1/servers?email=demo%40velmora.test"), QByteArray()));
    const QJsonObject first = QJsonDocument::fromJson(list.body).object().value("servers").toArray().first().toObject();
    const QJsonObject files = first.value("files").toObject();

    const Answer flag = wait(manager.get(serviceRequest(files.value("image").toString())));
    QCOMPARE(flag.status, 200);
    QVERIFY(!QImage::fromData(flag.body).isNull());

    const Answer config = wait(manager.get(serviceRequest(files.value("ovpn").toString())));
    QCOMPARE(config.status, 200);
    const QStringList lines = QString::fromUtf8(config.body).split('\n');
    for (const char *line :
         {"client", "dev tun", "proto udp", "remote 10.200.0.1 1194", "nobind", "remote-cert-tls server",
          "auth-nocache", "verb 3", "connect-retry 1", "management localhost 60505", "<ca>", "</ca>"})
        QVERIFY2(lines.contains(QString::fromLatin1(line)), line);
    QVERIFY(!config.body.contains("auth-user-pass"));
    QVERIFY(!config.body.contains("@VPN"));
    QFile ca(DevServiceFixture::caFile());
    QVERIFY(ca.open(QIODevice::ReadOnly));
    QVERIFY(config.body.contains("<ca>\n" + ca.readAll().trimmed() + "\n</ca>"));

    // Only the listed servers have a configuration, and flag names cannot leave the flag folder.
    QCOMPARE(wait(manager.get(serviceRequest(service.baseUrl() + "/v1/configs/10.0.0.1.ovpn"))).status, 404);
    QCOMPARE(wait(manager.get(serviceRequest(service.baseUrl() + "/v1/flags/..%2F..%2Fetc%2Fpasswd.png"))).status, 404);
}

void tst_DevService::installerPathFollowsTheStartupDomain()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    const Answer startup = wait(manager.get(serviceRequest(service.baseUrl() + "/v1/startup")));
    const QJsonObject reply = QJsonDocument::fromJson(startup.body).object();
    QCOMPARE(reply.value("version").toString(), QString("1.0.0"));
    const QString domain = reply.value("links").toObject().value("domain").toString();
    QVERIFY(domain.startsWith("https://www2."));
    QVERIFY(domain.size() > 13);

    const QString d = domain.mid(13);
    const Answer installer
        = wait(manager.get(serviceRequest(service.baseUrl() + QString("/%1/%2_installer.exe").arg(d, d))));
    QCOMPARE(installer.status, 200);
    QVERIFY(installer.body.startsWith("#!/bin/sh\n"));
    QVERIFY(installer.body.contains("velmora_installer.ran"));
}

void tst_DevService::failureSettings_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("expectedStatus");
    QTest::addColumn<bool>("expectJson");

    QTest::newRow("startup 500") << "startup"
                                 << "startup" << 500 << QString() << 500 << false;
    QTest::newRow("login 403") << "login"
                               << "login" << 403 << QString() << 403 << false;
    QTest::newRow("startup empty") << "startup"
                                   << "startup" << 0 << "empty" << 200 << false;
    QTest::newRow("startup broken") << "startup"
                                    << "startup" << 0 << "broken" << 200 << false;
    QTest::newRow("flag broken") << "flag"
                                 << "flag" << 0 << "broken" << 200 << false;
    QTest::newRow("other endpoint untouched") << "servers"
                                              << "startup" << 500 << "empty" << 200 << true;
}

void tst_DevService::failureSettings()
{
    QFETCH(QString, endpoint);
    QFETCH(QString, requested);
    QFETCH(int, status);
    QFETCH(QString, body);
    QFETCH(int, expectedStatus);
    QFETCH(bool, expectJson);

    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    if (status)
        service.setStatus(endpoint, status);
    if (!body.isEmpty())
        service.setBody(endpoint, body);

    QNetworkReply *reply = nullptr;
    const QString target = requested == "login" ? "/v1/login"
        : requested == "flag"                   ? "/v1/flags/de.png"
                                                : "/v1/startup";
    if (requested == "login")
        reply = manager.post(serviceRequest(service.baseUrl() + target),
                             "{\"email\": \"demo@velmora.test\", \"password\": \"velmora-demo\"}");
    else
        reply = manager.get(serviceRequest(service.baseUrl() + target));
    const Answer answer = wait(reply);
    QCOMPARE(answer.status, expectedStatus);
    QCOMPARE(QJsonDocument::fromJson(answer.body).isObject() && answer.status == 200, expectJson);
    if (requested != endpoint)
        return;
    if (body == "empty")
        QVERIFY(answer.body.isEmpty());
    if (body == "broken")
        QVERIFY(!answer.body.isEmpty());
    if (body == "broken" && endpoint == "flag")
        QVERIFY(QImage::fromData(answer.body).isNull());
}

void tst_DevService::handlersReplaceAPathAndRequestsAreRecorded()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    service.setHandler("/v1/startup", [](const DevRequest &request, DevResponse &response) {
        response.status = 202;
        response.body = "custom " + request.method.toLatin1();
    });

    const Answer custom = wait(manager.get(serviceRequest(service.baseUrl() + "/v1/startup")));
    QCOMPARE(custom.status, 202);
    QCOMPARE(custom.body, QByteArray("custom GET"));

    service.setHandler("/v1/startup", nullptr);
    QCOMPARE(wait(manager.get(serviceRequest(service.baseUrl() + "/v1/startup"))).status, 200);

    wait(manager.post(
        serviceRequest(service.baseUrl() + "/v1/report?email=a%40b.test&server=127.0.0.11&message=x%26y%20z"),
        QByteArray()));
    const QList<DevRequest> reports = service.requests("/v1/report");
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.first().method, QString("POST"));
    const QList<QPair<QString, QString>> expected {
        {"email", "a@b.test"}, {"server", "127.0.0.11"}, {"message", "x&y z"}};
    QCOMPARE(reports.first().queryItems, expected);
    QCOMPARE(reports.first().header("auth-token"), token);
    QCOMPARE(reports.first().headerCount("Auth-Token"), 1);
    QCOMPARE(reports.first().header("REMOTE_ADDR"), QByteArray());
    QCOMPARE(service.requests().size(), 3);

    service.clearRequests();
    QVERIFY(service.requests().isEmpty());
}

void tst_DevService::slowInstallerCanBeCancelledHalfWay()
{
    DevServiceFixture service;
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    service.setSlowInstaller(true);

    QNetworkReply *reply = manager.get(serviceRequest(service.baseUrl() + "/velmora.test/velmora.test_installer.exe"));
    QSignalSpy progress(reply, &QNetworkReply::downloadProgress);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toLongLong() > 0, 20000);
    QVERIFY(!reply->isFinished());
    const qint64 total = progress.last().at(1).toLongLong();
    QCOMPARE(total, qint64(DevService::installerBody(true).size()));
    QVERIFY(progress.last().at(0).toLongLong() < total);
    reply->abort();
    const Answer answer = wait(reply);
    QCOMPARE(answer.error, QNetworkReply::OperationCanceledError);
}

void tst_DevService::untrustedCertificateIsRefused()
{
    DevServiceFixture service(DevServiceFixture::untrustedOptions());
    QVERIFY2(service.isRunning(), qPrintable(service.error()));
    const Answer answer = wait(manager.get(serviceRequest(service.baseUrl() + "/v1/startup")));
    QCOMPARE(answer.error, QNetworkReply::SslHandshakeFailedError);
    QCOMPARE(answer.status, 0);
}

void tst_DevService::secondServiceCannotTakeABoundPort()
{
    DevServiceFixture first;
    QVERIFY2(first.isRunning(), qPrintable(first.error()));
    DevService second(DevService::defaultOptions());
    QVERIFY(!second.start({"127.0.0.1"}, first.port()));
    QVERIFY(!second.lastError().isEmpty());

    // The port stays the first one's alone.
    const Answer answer = wait(manager.get(serviceRequest(first.baseUrl() + "/v1/startup")));
    QCOMPARE(answer.status, 200);
    QCOMPARE(first.requests().size(), 1);
}

QTEST_MAIN(tst_DevService)
#include "tst_DevService.moc"
