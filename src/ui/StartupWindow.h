#pragma once

#include <QDialog>

namespace Ui {
class StartupWindow;
}

// The frameless splash shown while the startup request is outstanding:
// a line of text above the busy animation. No logic of its own.
class StartupWindow : public QDialog
{
    Q_OBJECT

public:
    explicit StartupWindow(QWidget *parent = nullptr);
    ~StartupWindow() override;

private:
    Ui::StartupWindow *ui;
};
