#include "Shots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTest>

#include <cstdio>

namespace Shots {

std::vector<Scene> &scenes()
{
    static std::vector<Scene> all;
    return all;
}

Registrar::Registrar(const QString &name, std::function<void(const QString &)> run)
{
    scenes().push_back({name, std::move(run)});
}

bool save(QWidget *window, const QString &outputDir, const QString &name)
{
    window->show();
    QTest::qWait(300);
    const QString path = outputDir + QLatin1Char('/') + name + QLatin1String(".png");
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace Shots

int main(int argc, char *argv[])
{
    // Without a display, render offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the client's windows to PNG files."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("dir"), QStringLiteral("Output folder (default: ./screenshots)"));
    parser.addOption({QStringLiteral("only"), QStringLiteral("Run only scenes whose name contains <text>."),
                      QStringLiteral("text")});
    parser.process(app);

    const QString dir = parser.positionalArguments().value(0, QStringLiteral("screenshots"));
    QDir().mkpath(dir);
    for (const auto &scene : Shots::scenes()) {
        if (parser.isSet(QStringLiteral("only")) && !scene.name.contains(parser.value(QStringLiteral("only"))))
            continue;
        scene.run(dir);
    }
    return 0;
}
