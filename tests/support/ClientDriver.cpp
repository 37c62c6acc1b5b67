#include "ClientDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

#include <unistd.h>

namespace ClientDriver {

QWidget *visibleWindow(const char *className)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits(className) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

QWidget *waitForWindow(const char *className, int timeoutMs)
{
    QWidget *found = nullptr;
    if (!QTest::qWaitFor([&] { return (found = visibleWindow(className)) != nullptr; }, timeoutMs))
        return nullptr;
    return found;
}

static void fillCredentials(QWidget *loginWindow, const QString &user, const QString &password)
{
    auto *userEdit = loginWindow->findChild<QLineEdit *>(QStringLiteral("lineEditUsername"));
    auto *passwordEdit = loginWindow->findChild<QLineEdit *>(QStringLiteral("lineEditPassword"));
    if (!userEdit || !passwordEdit)
        return;
    userEdit->clear();
    QTest::keyClicks(userEdit, user);
    passwordEdit->clear();
    QTest::keyClicks(passwordEdit, password);
}

void signIn(QWidget *loginWindow, const QString &user, const QString &password, bool remember)
{
    fillCredentials(loginWindow, user, password);
    if (auto *rememberBox = loginWindow->findChild<QCheckBox *>(QStringLiteral("checkBoxRemeberMe")))
        rememberBox->setChecked(remember);
    click(loginWindow, "pushButtonSingIn");
}

void signInWithReturn(QWidget *loginWindow, const QString &user, const QString &password)
{
    fillCredentials(loginWindow, user, password);
    if (auto *passwordEdit = loginWindow->findChild<QLineEdit *>(QStringLiteral("lineEditPassword")))
        QTest::keyClick(passwordEdit, Qt::Key_Return);
}

int page(QWidget *window, const char *stackedWidgetName)
{
    auto *stack = window ? window->findChild<QStackedWidget *>(QLatin1String(stackedWidgetName)) : nullptr;
    return stack ? stack->currentIndex() : -1;
}

bool waitForPage(QWidget *window, const char *stackedWidgetName, int index, int timeoutMs)
{
    return QTest::qWaitFor([&] { return page(window, stackedWidgetName) == index; }, timeoutMs);
}

QTableWidget *serverTable(QWidget *mainWindow)
{
    return mainWindow->findChild<QTableWidget *>(QStringLiteral("tableWidgetAllServers"));
}

QString labelText(QWidget *window, const char *labelName)
{
    auto *label = window->findChild<QLabel *>(QLatin1String(labelName));
    return label ? label->text() : QString();
}

bool click(QWidget *window, const char *buttonName)
{
    auto *button = window->findChild<QPushButton *>(QLatin1String(buttonName));
    if (!button || !button->isEnabled())
        return false;
    // click() rather than a synthetic mouse event: it does not depend on
    // where a window manager (or none, under Xvfb) put the window.
    button->click();
    return true;
}

void startTunnelTraffic(QProcess &ping, int seconds)
{
    ping.start(QStringLiteral("ping"),
               {QStringLiteral("-n"), QStringLiteral("-q"), QStringLiteral("-i"), QStringLiteral("0.2"),
                QStringLiteral("-s"), QStringLiteral("1200"), QStringLiteral("-w"), QString::number(seconds),
                QStringLiteral("10.8.0.1")});
}

double secondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    // Field 22 (start time in clock ticks) follows the command name in parentheses.
    const QByteArray statText = stat.readAll();
    const QList<QByteArray> fields = statText.mid(statText.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    return upSeconds - startTicks / double(sysconf(_SC_CLK_TCK));
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString screenshot(QWidget *window, const QString &dir, const QString &name)
{
    if (!window)
        return QString();
    QTest::qWait(250);
    const QString path = dir + QLatin1Char('/') + name + QLatin1String(".png");
    return window->grab().save(path) ? path : QString();
}

} // namespace ClientDriver
