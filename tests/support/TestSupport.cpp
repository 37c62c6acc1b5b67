#include "TestSupport.h"

namespace TestSupport {

QString devCertDir()
{
    return QStringLiteral(VELMORA_DEV_CERT_DIR);
}

QString sourceDir()
{
    return QStringLiteral(VELMORA_SOURCE_DIR);
}

QString binaryDir()
{
    return QStringLiteral(VELMORA_BINARY_DIR);
}

} // namespace TestSupport
