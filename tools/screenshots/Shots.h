#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// A registry of screenshot scenes. Each scene builds a window in one state
// and saves it with Shots::save(); main() runs them all in turn.
namespace Shots {

struct Scene
{
    QString name;
    std::function<void(const QString &outputDir)> run;
};

std::vector<Scene> &scenes();

struct Registrar
{
    Registrar(const QString &name, std::function<void(const QString &)> run);
};

// Shows the window, lets it lay out and paint, and writes <dir>/<name>.png.
bool save(QWidget *window, const QString &outputDir, const QString &name);

} // namespace Shots

#define VELMORA_SHOT_CONCAT2(a, b) a##b
#define VELMORA_SHOT_CONCAT(a, b) VELMORA_SHOT_CONCAT2(a, b)
#define VELMORA_SHOT(name, function)                                                                                   \
    static const Shots::Registrar VELMORA_SHOT_CONCAT(shotRegistrar, __LINE__)(QStringLiteral(name), function)
