#pragma once

#include <QApplication>

// The application object. It creates and wires every long-lived object of
// the client and decides which window is shown.
class AppCore : public QApplication
{
    Q_OBJECT

public:
    AppCore(int &argc, char **argv);
    ~AppCore() override;
};
