#pragma once

#include <QString>

namespace TestSupport {

// Folder with the development CA and certificates made by the build.
QString devCertDir();

// Top of the source tree and of the build tree.
QString sourceDir();
QString binaryDir();

} // namespace TestSupport
