#include "AppCore.h"

#include "Platform.h"

AppCore::AppCore(int &argc, char **argv)
    : QApplication(argc, argv)
{
    Platform::onTerminationRequest(this, [] { QCoreApplication::quit(); });
}

AppCore::~AppCore() = default;
