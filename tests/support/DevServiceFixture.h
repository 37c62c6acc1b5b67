#pragma once

#include "DevService.h"

#include <QString>

// The development service, started in the test's own process on a free
// loopback port with the build's certificates; stopped by the destructor.
//
//     DevServiceFixture service;
//     QVERIFY2(service.isRunning(), qPrintable(service.error()));
//     NetworkManager manager(service.baseUrl());       // "https://localhost:<port>"
//
//     service.setStatus("login", 500);                 // failures per endpoint: startup, login,
//     service.setBody("startup", "broken");            // servers, report, flag, ovpn, crt, installer
//     service.setDelayMs("servers", 200);
//     service.setSlowInstaller(true);
//     service.setHandler("/v1/startup", [](const DevRequest &, DevResponse &res) {
//         res.body = "{}";                             // runs on a server thread
//     });
//
//     QTRY_COMPARE(service.requests("/v1/login").size(), 1);
//     const DevRequest r = service.requests("/v1/login").first();
//     QCOMPARE(r.header("Auth-Token"), QByteArray("..."));  // also r.method, r.queryItems, r.body
//
// For a certificate the client does not trust:
//     DevServiceFixture service(DevServiceFixture::untrustedOptions());
//
// The client must trust the development CA: add BuildConfig::extraCaCertificates()
// (or caFile()) to the default TLS configuration in initTestCase().
class DevServiceFixture
{
public:
    explicit DevServiceFixture(const DevService::Options &options = DevService::defaultOptions());
    ~DevServiceFixture();

    DevServiceFixture(const DevServiceFixture &) = delete;
    DevServiceFixture &operator=(const DevServiceFixture &) = delete;

    // Options serving a localhost certificate from a CA nobody trusts.
    static DevService::Options untrustedOptions();
    // The development CA that signed the default certificate.
    static QString caFile();

    bool isRunning() const { return running; }
    QString error() const { return problem; }
    int port() const { return service.port(); }
    QString baseUrl() const;

    void setStatus(const QString &endpoint, int code) { service.setStatus(endpoint, code); }
    void setBody(const QString &endpoint, const QString &kind) { service.setBody(endpoint, kind); }
    void setDelayMs(int ms) { service.setDelayMs(ms); }
    void setDelayMs(const QString &endpoint, int ms) { service.setDelayMs(endpoint, ms); }
    void setSlowInstaller(bool slow) { service.setSlowInstaller(slow); }
    void setRequireHeaders(bool required) { service.setRequireHeaders(required); }
    void setHandler(const QString &path, DevService::Handler handler) { service.setHandler(path, std::move(handler)); }

    QList<DevRequest> requests() const { return service.requests(); }
    QList<DevRequest> requests(const QString &path) const { return service.requests(path); }
    void clearRequests() { service.clearRequests(); }

    DevService &devService() { return service; }

private:
    DevService service;
    bool running = false;
    QString problem;
};
