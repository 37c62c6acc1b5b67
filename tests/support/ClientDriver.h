#pragma once

#include <QString>

class QWidget;
class QTableWidget;
class QProcess;

// Drives the client's real windows the way a user would, by object name:
// used by the end-to-end tests and the demo tour. Works on whatever AppCore
// the process has created.
namespace ClientDriver {

// The visible top-level window of that class, or null.
QWidget *visibleWindow(const char *className);
// Waits until a window of that class is visible; null on time-out.
QWidget *waitForWindow(const char *className, int timeoutMs = 15000);

// Fills the login form and presses the sign-in button.
void signIn(QWidget *loginWindow, const QString &user, const QString &password, bool remember);
// Presses Return in the password field instead of clicking.
void signInWithReturn(QWidget *loginWindow, const QString &user, const QString &password);

// Index of a stacked widget inside the window, -1 when it is missing.
int page(QWidget *window, const char *stackedWidgetName);
bool waitForPage(QWidget *window, const char *stackedWidgetName, int index, int timeoutMs = 15000);

QTableWidget *serverTable(QWidget *mainWindow);
QString labelText(QWidget *window, const char *labelName);

// Clicks a push button of the window by object name; false if it is missing or disabled.
bool click(QWidget *window, const char *buttonName);

// Starts pinging the VPN server's tunnel address for the given seconds, so
// traffic flows through the tunnel.
void startTunnelTraffic(QProcess &ping, int seconds);

// Seconds since this process started, from /proc (for start-up figures).
double secondsSinceProcessStart();
// Resident memory of this process in KiB.
long residentKiB();

// Writes window's picture to dir/name.png; returns the path or an empty string.
QString screenshot(QWidget *window, const QString &dir, const QString &name);

} // namespace ClientDriver
