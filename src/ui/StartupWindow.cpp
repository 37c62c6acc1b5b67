#include "StartupWindow.h"
#include "UiResources.h"
#include "ui_StartupWindow.h"

#include <QFont>
#include <QFontDatabase>
#include <QIcon>

StartupWindow::StartupWindow(QWidget *parent)
    : QDialog(parent)
    , ui((ensureUiResources(), new Ui::StartupWindow))
{
    ui->setupUi(this);

    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowIcon(QIcon(QStringLiteral(":/resources/common/images/logo_update@2x.png")));
    setWindowTitle(QStringLiteral("VPNCLIENT"));

    // The login window registers the same file; a second registration is harmless.
    QFontDatabase::addApplicationFont(QStringLiteral(":/resources/common/fonts/Quicksand-Regular.ttf"));
    // Weight 3 on Qt's 0..99 scale: a very light face where one exists.
    ui->labelPleaseWait->setFont(QFont(QStringLiteral("Quicksand Medium"), 12, 3, false));
}

StartupWindow::~StartupWindow()
{
    delete ui;
}
