#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>

namespace {
const char runKey[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

namespace Platform {

bool autorunEntryExists(const QString &applicationName)
{
    QSettings run(QLatin1String(runKey), QSettings::NativeFormat);
    return run.contains(applicationName);
}

void setAutorunEntry(const QString &applicationName, bool enabled)
{
    QSettings run(QLatin1String(runKey), QSettings::NativeFormat);
    if (enabled)
        run.setValue(applicationName,
                     QCoreApplication::applicationFilePath().replace(QLatin1Char('/'), QLatin1Char('\\')));
    else
        run.remove(applicationName);
}

QString openVpnProgramPath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1String("/openvpn/openvpn.exe"));
}

bool startInstaller(const QString &filePath)
{
    return QProcess::startDetached(filePath, {});
}

void onTerminationRequest(QObject *, std::function<void()>) { }

} // namespace Platform
