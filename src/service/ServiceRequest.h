#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QUrl>

// The fixed header set that every request to the service carries: the API
// calls, the OpenVPN configuration download and the installer download.
namespace ServiceRequest {

extern const char userAgent[];
extern const char authToken[];

// Sets Content-Type, User-Agent and Auth-Token on the request.
void applyHeaders(QNetworkRequest &request);

// A request for url (already parsed) with the service headers set.
QNetworkRequest make(const QUrl &url);

} // namespace ServiceRequest
