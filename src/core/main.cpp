#include "AppCore.h"
#include "RunGuard.h"

#include <QCoreApplication>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    RunGuard guard(QStringLiteral("velmora"));
    if (!guard.tryToRun())
        return 0;

    QCoreApplication::setSetuidAllowed(true);

    int result = 0;
    {
        AppCore app(argc, argv);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        result = app.exec();
    }
    return result;
}
