#pragma once

#include <QString>

#include <functional>

class QObject;

// The few things the client does differently on each operating system.
// One implementation per OS (Platform_win.cpp, Platform_unix.cpp), chosen
// by the build.
namespace Platform {

// Whether the client starts with the system for this application name.
bool autorunEntryExists(const QString &applicationName);

// Creates or removes the start-with-the-system entry for this application
// name, pointing at the running executable. Failures are silent: the next
// autorunEntryExists() reports the real state.
void setAutorunEntry(const QString &applicationName, bool enabled);

// Full path of the OpenVPN program shipped beside the client.
QString openVpnProgramPath();

// Starts a downloaded installer detached from the client. Returns false if
// it could not be started.
bool startInstaller(const QString &filePath);

// Calls handler on the GUI thread when the system asks the process to end
// (SIGTERM, SIGINT and SIGHUP on Unix, e.g. at log-out), so the client can
// release its tunnel and quit normally. Nothing happens on Windows, where a
// GUI program gets no such request.
void onTerminationRequest(QObject *context, std::function<void()> handler);

} // namespace Platform
