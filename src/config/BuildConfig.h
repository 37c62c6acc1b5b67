#pragma once

#include <QByteArray>
#include <QString>

// Values fixed at build time. Each executable links its own definition,
// so the production client and the development client differ only here.
namespace BuildConfig {

// Base of the service API, without a trailing slash ("https://host:port").
QString apiBaseUrl();

// Base of the installer download server, without a trailing slash.
QString installerBaseUrl();

// PEM certificates to trust in addition to the system's; empty for production.
QByteArray extraCaCertificates();

} // namespace BuildConfig
