#include "DevServiceFixture.h"

#include "TestSupport.h"

DevServiceFixture::DevServiceFixture(const DevService::Options &options)
    : service(options)
{
    // "localhost" is 127.0.0.1 here; ::1 is bound too where free, for systems
    // that resolve it there first.
    running = service.start({QStringLiteral("127.0.0.1"), QStringLiteral("::1")}, 0);
    if (!running)
        problem = service.lastError();
}

DevServiceFixture::~DevServiceFixture()
{
    service.stop();
}

DevService::Options DevServiceFixture::untrustedOptions()
{
    DevService::Options options = DevService::defaultOptions();
    options.certFile = TestSupport::devCertDir() + QStringLiteral("/untrusted.crt");
    options.keyFile = TestSupport::devCertDir() + QStringLiteral("/untrusted.key");
    return options;
}

QString DevServiceFixture::caFile()
{
    return TestSupport::devCertDir() + QStringLiteral("/ca.crt");
}

QString DevServiceFixture::baseUrl() const
{
    return QStringLiteral("https://localhost:%1").arg(service.port());
}
