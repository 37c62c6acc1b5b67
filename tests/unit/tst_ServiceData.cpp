// Reading the service's replies into the records.
#include "ServiceData.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

namespace {

QJsonDocument json(const char *text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s", text);
    return doc;
}

QByteArray pngOfSize(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ServerRecord record(const QString &hostname, const QString &name = QString())
{
    ServerRecord r;
    for (const char *key :
         {"name", "hostname", "country_code", "country", "latitude", "longitude", "ovpn", "crt", "image"})
        r[key] = QString();
    r["hostname"] = hostname;
    r["name"] = name;
    return r;
}

} // namespace

class tst_ServiceData : public QObject
{
    Q_OBJECT

private slots:
    void replyBody_data();
    void replyBody();
    void startupReply_data();
    void startupReply();
    void startupReplyOverwritesEarlierValues();
    void loginReply_data();
    void loginReply();
    void serverList_data();
    void serverList();
    void shorterSecondListShrinksInOrder();
    void flagImage_data();
    void flagImage();
    void flagStoredOnlyForListedHosts();
};

void tst_ServiceData::replyBody_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("usable");

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("not JSON") << QByteArray("<html>oops</html>") << false;
    QTest::newRow("truncated") << QByteArray("{\"app_title\": \"Velm") << false;
    QTest::newRow("empty object") << QByteArray("{}") << true;
    QTest::newRow("top-level array") << QByteArray("[1, 2]") << true;
}

void tst_ServiceData::replyBody()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, usable);
    QCOMPARE(!ServiceData::parseReplyBody(body).isNull(), usable);
}

void tst_ServiceData::startupReply_data()
{
    QTest::addColumn<QJsonDocument>("reply");
    QTest::addColumn<StartupData>("expected");

    auto startup = [](const QString &app, const QString &corp, const QString &version, const QString &domain,
                      const QStringList &links) {
        StartupData d;
        d["app_title"] = app;
        d["corp_title"] = corp;
        d["version"] = version;
        d["domain"] = domain;
        d["account"] = links.value(0);
        d["signup"] = links.value(1);
        d["support"] = links.value(2);
        d["forgot_password"] = links.value(3);
        d["download"] = links.value(4);
        return d;
    };

    QTest::newRow("full") << json(R"({"app_title": "Velmora VPN", "corp_title": "Velmora", "version": "1.0.1",
        "links": {"domain": "https://www2.velmora.test", "account": "/account", "signup": "/signup",
                  "support": "/help", "forgot_password": "/reset", "download": "/get"}, "extra": 1})")
                          << startup("Velmora VPN", "Velmora", "1.0.1", "https://www2.velmora.test",
                                     {"https://www2.velmora.test/account", "https://www2.velmora.test/signup",
                                      "https://www2.velmora.test/help", "https://www2.velmora.test/reset",
                                      "https://www2.velmora.test/get"});
    QTest::newRow("empty object") << json("{}") << startup("", "", "", "", {});
    QTest::newRow("top-level array") << json(R"([{"app_title": "x"}])") << startup("", "", "", "", {});
    QTest::newRow("links missing") << json(R"({"app_title": "A", "version": "2"})") << startup("A", "", "2", "", {});
    QTest::newRow("links partly missing")
        << json(R"({"links": {"domain": "https://d", "signup": "/s", "download": "/d"}})")
        << startup("", "", "", "https://d", {"https://d", "https://d/s", "https://d", "https://d", "https://d/d"});
    QTest::newRow("plain concatenation")
        << json(R"({"links": {"domain": "https://d/", "account": "/a", "signup": "s"}})")
        << startup("", "", "", "https://d/", {"https://d//a", "https://d/s", "https://d/", "https://d/", "https://d/"});
    QTest::newRow("links not an object") << json(R"({"links": ["https://d"], "corp_title": "C"})")
                                         << startup("", "C", "", "", {});
    QTest::newRow("non-string members") << json(
        R"({"app_title": 5, "corp_title": true, "version": 1.0, "links": {"domain": null,
                   "account": {"a": 1}, "signup": ["/s"], "support": "/help"}})")
                                        << startup("", "", "", "", {"", "", "/help", "", ""});
}

void tst_ServiceData::startupReply()
{
    QFETCH(QJsonDocument, reply);
    QFETCH(StartupData, expected);

    StartupData data;
    ServiceData::readStartupReply(reply, data);
    QCOMPARE(data, expected);
}

void tst_ServiceData::startupReplyOverwritesEarlierValues()
{
    StartupData data;
    ServiceData::readStartupReply(json(R"({"app_title": "Old", "links": {"domain": "https://old"}})"), data);
    ServiceData::readStartupReply(json(R"({"version": "3"})"), data);
    QCOMPARE(data.size(), 9);
    QCOMPARE(data.value("app_title"), QString());
    QCOMPARE(data.value("domain"), QString());
    QCOMPARE(data.value("version"), QString("3"));
}

void tst_ServiceData::loginReply_data()
{
    QTest::addColumn<QJsonDocument>("reply");
    QTest::addColumn<bool>("login");
    QTest::addColumn<bool>("connection");
    QTest::addColumn<QString>("message");

    QTest::newRow("granted") << json(R"({"access": {"login": true, "connection": true}, "message": "Hi"})") << true
                             << true << "Hi";
    QTest::newRow("no connection") << json(R"({"access": {"login": true, "connection": false}, "message": "Renew"})")
                                   << true << false << "Renew";
    QTest::newRow("access missing") << json(R"({"message": "m"})") << false << false << "m";
    QTest::newRow("empty object") << json("{}") << false << false << "";
    QTest::newRow("string true") << json(R"({"access": {"login": "true", "connection": 1}})") << false << false << "";
    QTest::newRow("access not an object") << json(R"({"access": true, "message": 7})") << false << false << "";
    QTest::newRow("top-level array") << json(R"([{"access": {"login": true}}])") << false << false << "";
    QTest::newRow("reply tries to set the account")
        << json(R"({"access": {"login": true, "connection": true}, "account": "evil@x", "password": "p"})") << true
        << true << "";
}

void tst_ServiceData::loginReply()
{
    QFETCH(QJsonDocument, reply);
    QFETCH(bool, login);
    QFETCH(bool, connection);
    QFETCH(QString, message);

    LoginData loginData;
    loginData["message"] = "old message";
    AccessFlags flags;
    flags["login"] = true;
    flags["connection"] = true;
    ServiceData::readLoginReply(reply, "me@velmora.test", "pa\"ss", loginData, flags);

    QCOMPARE(flags.size(), 2);
    QCOMPARE(flags.value("login"), login);
    QCOMPARE(flags.value("connection"), connection);
    QCOMPARE(loginData.size(), 3);
    QCOMPARE(loginData.value("message"), message);
    QCOMPARE(loginData.value("account"), QString("me@velmora.test"));
    QCOMPARE(loginData.value("password"), QString("pa\"ss"));
}

void tst_ServiceData::serverList_data()
{
    QTest::addColumn<QJsonDocument>("reply");
    QTest::addColumn<ServerList>("expected");

    ServerRecord full = record("127.0.0.11", "Frankfurt");
    full["country_code"] = "DE";
    full["country"] = "Germany";
    full["latitude"] = "50.1";
    full["longitude"] = "8.6";
    full["ovpn"] = "https://s/o";
    full["crt"] = "https://s/c";
    full["image"] = "https://s/i";

    ServerRecord numbers = record("h2", "N");
    numbers["country_code"] = "NL";

    QTest::newRow("full entry") << json(R"({"servers": [{"name": "Frankfurt", "hostname": "127.0.0.11",
        "country_code": "DE", "country": "Germany", "latitude": "50.1", "longitude": "8.6",
        "files": {"ovpn": "https://s/o", "crt": "https://s/c", "image": "https://s/i"}, "extra": "x"}]})")
                                << ServerList {full};
    QTest::newRow("numbers for latitude")
        << json(R"({"servers": [{"name": "N", "hostname": "h2", "country_code": "NL", "latitude": 52.3,
                   "longitude": 4}]})")
        << ServerList {numbers};
    QTest::newRow("without files") << json(R"({"servers": [{"hostname": "h3"}]})") << ServerList {record("h3")};
    QTest::newRow("files not an object") << json(R"({"servers": [{"hostname": "h3", "files": "https://s/o"}]})")
                                         << ServerList {record("h3")};
    QTest::newRow("entry not an object") << json(R"({"servers": ["127.0.0.11", {"hostname": "h4"}, null]})")
                                         << ServerList {record(""), record("h4"), record("")};
    QTest::newRow("servers missing") << json("{}") << ServerList {};
    QTest::newRow("servers not an array") << json(R"({"servers": {"hostname": "h"}})") << ServerList {};
    QTest::newRow("top-level array") << json(R"([{"servers": []}])") << ServerList {};
}

void tst_ServiceData::serverList()
{
    QFETCH(QJsonDocument, reply);
    QFETCH(ServerList, expected);

    // A previous longer list with other values must not shine through.
    ServerList list {record("old1", "Old"), record("old2"), record("old3"), record("old4")};
    list[0]["ovpn"] = "https://old/o";
    ServiceData::readServerListReply(reply, list);
    QCOMPARE(list, expected);
    for (const ServerRecord &r : list)
        QCOMPARE(r.size(), 9);
}

void tst_ServiceData::shorterSecondListShrinksInOrder()
{
    ServerList list;
    ServiceData::readServerListReply(json(R"({"servers": [{"hostname": "a"}, {"hostname": "b"}, {"hostname": "c"}]})"),
                                     list);
    QCOMPARE(list.size(), 3);
    ServiceData::readServerListReply(json(R"({"servers": [{"hostname": "c"}, {"hostname": "a"}]})"), list);
    QCOMPARE(list, (ServerList {record("c"), record("a")}));
}

void tst_ServiceData::flagImage_data()
{
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QRgb>("topLeft");

    QTest::newRow("64 by 64") << false << pngOfSize(64, 64) << false << QColor(Qt::red).rgb();
    QTest::newRow("320 by 240") << false << pngOfSize(320, 240) << false << QColor(Qt::red).rgb();
    QTest::newRow("1 by 1") << false << pngOfSize(1, 1) << false << QColor(Qt::red).rgb();
    // The placeholder is used even when the failed reply carried a body.
    QTest::newRow("failed reply") << true << pngOfSize(64, 64) << false << QRgb(0);
    QTest::newRow("undecodable body") << false << QByteArray("not an image") << true << QRgb(0);
    QTest::newRow("empty body") << false << QByteArray() << true << QRgb(0);
}

void tst_ServiceData::flagImage()
{
    QFETCH(bool, failed);
    QFETCH(QByteArray, body);
    QFETCH(bool, empty);
    QFETCH(QRgb, topLeft);

    const QPixmap flag = ServiceData::flagImageFromReply(failed, body);
    QCOMPARE(flag.isNull(), empty);
    if (empty)
        return;
    QCOMPARE(flag.size(), QSize(32, 24));
    if (failed) {
        QPixmap placeholder(QString::fromLatin1(ServiceData::placeholderFlagPath));
        QVERIFY2(!placeholder.isNull(), "the placeholder flag is not in the resources");
        const QImage expected = placeholder.scaled(32, 24, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(flag.toImage().convertToFormat(QImage::Format_ARGB32), expected);
    } else {
        QCOMPARE(flag.toImage().pixel(0, 0), topLeft);
        QCOMPARE(flag.toImage().pixel(31, 23), topLeft);
    }
}

void tst_ServiceData::flagStoredOnlyForListedHosts()
{
    const ServerList list {record("a"), record("shared", "One"), record("shared", "Two")};
    FlagImages images;
    images["gone"] = QPixmap(4, 4);

    const QPixmap first = ServiceData::flagImageFromReply(false, pngOfSize(64, 64));
    ServiceData::storeFlagImage("shared", first, list, images);
    ServiceData::storeFlagImage("unknown", first, list, images);
    ServiceData::storeFlagImage("", first, list, images);
    QCOMPARE(images.keys(), (QStringList {"gone", "shared"}));

    // The second reply for a shared host name replaces the first.
    const QPixmap placeholder = ServiceData::flagImageFromReply(true, QByteArray());
    ServiceData::storeFlagImage("shared", placeholder, list, images);
    QCOMPARE(images.size(), 2);
    QCOMPARE(images.value("shared").toImage(), placeholder.toImage());
    QVERIFY(images.value("shared").toImage() != first.toImage());
}

QTEST_MAIN(tst_ServiceData)
#include "tst_ServiceData.moc"
