#pragma once

#include <QWidget>

class QMovie;

namespace Ui {
class ProccessAnimationWidget;
}

// Plays the loading animation for as long as the widget exists. Forms use it
// as a promoted widget and only show or hide its page.
class ProccessAnimationWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ProccessAnimationWidget(QWidget *parent = nullptr);
    ~ProccessAnimationWidget() override;

    // The resource the constructor loads.
    static QString animationPath();

private:
    Ui::ProccessAnimationWidget *ui;
    QMovie *movie;
};
