#include "ProccessAnimationWidget.h"
#include "UiResources.h"
#include "ui_ProccessAnimationWidget.h"

#include <QMovie>

ProccessAnimationWidget::ProccessAnimationWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ProccessAnimationWidget)
    , movie((ensureUiResources(), new QMovie(animationPath(), QByteArray())))
{
    ui->setupUi(this);

    if (movie->isValid()) {
        movie->setScaledSize(size());
        ui->labelAnimation->setMovie(movie);
        movie->start();
    } else {
        ui->labelAnimation->setText(tr("Ivalid gif!"));
    }
}

ProccessAnimationWidget::~ProccessAnimationWidget()
{
    delete movie;
    delete ui;
}

QString ProccessAnimationWidget::animationPath()
{
    return QStringLiteral(":/resources/common/images/Animations/DefaultMacLoadingAnimation.gif");
}
