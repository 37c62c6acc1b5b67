#include "ServiceRequest.h"

namespace ServiceRequest {

const char userAgent[] = "Mozilla Firefox";
const char authToken[] = "ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL";

void applyHeaders(QNetworkRequest &request)
{
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("User-Agent"), QByteArray(userAgent));
    request.setRawHeader(QByteArrayLiteral("Auth-Token"), QByteArray(authToken));
}

QNetworkRequest make(const QUrl &url)
{
    QNetworkRequest request(url);
    applyHeaders(request);
    return request;
}

} // namespace ServiceRequest
