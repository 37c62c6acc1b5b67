#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// XDG autostart: a desktop entry in the user's autostart folder; the entry's
// presence means "on", like the Run value on Windows.
QString autostartFilePath(const QString &applicationName)
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configHome + QLatin1String("/autostart/") + applicationName + QLatin1String(".desktop");
}

// Desktop entry Exec values need quoting when the path has blanks or
// reserved characters.
QString desktopExecQuoted(const QString &path)
{
    QString escaped = path;
    for (const QChar c : {QLatin1Char('\\'), QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        escaped.replace(c, QLatin1String("\\") + c);
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

int signalPipe[2] = {-1, -1};

void writeSignalByte(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the notifier does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

namespace Platform {

bool autorunEntryExists(const QString &applicationName)
{
    return QFile::exists(autostartFilePath(applicationName));
}

void setAutorunEntry(const QString &applicationName, bool enabled)
{
    const QString path = autostartFilePath(applicationName);
    if (!enabled) {
        QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray entry;
    entry += "[Desktop Entry]\n";
    entry += "Type=Application\n";
    entry += "Name=" + applicationName.toUtf8() + "\n";
    entry += "Exec=" + desktopExecQuoted(QCoreApplication::applicationFilePath()).toUtf8() + "\n";
    entry += "X-GNOME-Autostart-enabled=true\n";
    file.write(entry);
    file.commit();
}

QString openVpnProgramPath()
{
    return QCoreApplication::applicationDirPath() + QLatin1String("/openvpn/openvpn");
}

bool startInstaller(const QString &filePath)
{
    QFile file(filePath);
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return QProcess::startDetached(QFileInfo(filePath).absoluteFilePath(), {}, QFileInfo(filePath).absolutePath());
}

void onTerminationRequest(QObject *context, std::function<void()> handler)
{
    if (signalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
            return;
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler] {
        char buffer[16];
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], buffer, sizeof buffer);
        handler();
    });

    struct sigaction action = {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace Platform
