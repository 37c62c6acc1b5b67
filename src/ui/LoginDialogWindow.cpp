#include "LoginDialogWindow.h"
#include "UiResources.h"
#include "ui_LoginDialogWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QUrl>

namespace {

void openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace

LoginDialogWindow::LoginDialogWindow(QWidget *parent)
    : QDialog(parent)
    , ui((ensureUiResources(), new Ui::LoginDialogWindow))
    , rememberMe(false)
    , needExit(false)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
}

LoginDialogWindow::~LoginDialogWindow()
{
    delete ui;
}

void LoginDialogWindow::prepareLoginForm(const StartupData &metadata, const QString &username, const QString &password,
                                         bool remember)
{
    appTitle = metadata.value(QStringLiteral("app_title"));
    signupUrl = metadata.value(QStringLiteral("signup"));
    forgotPasswordUrl = metadata.value(QStringLiteral("forgot_password"));
    // The metadata has one download page for both stores.
    iosAppUrl = metadata.value(QStringLiteral("download"));
    androidAppUrl = metadata.value(QStringLiteral("download"));
    enteredUser = username;
    enteredPassword = password;
    rememberMe = remember;
    needExit = true;

    applyFonts();
    ui->frameLoginAnimation->hide();
    ui->frameLoginAnimation->move(0, 132);
    showLoginForm();

    setWindowTitle(appTitle);
    setWindowIcon(QIcon(QStringLiteral(":/resources/common/images/logo_update.png")));
    ui->labelAppName->setText(appTitle);
    ui->lineEditUsername->setText(enteredUser);
    ui->lineEditPassword->setText(enteredPassword);
    ui->checkBoxRemeberMe->setChecked(rememberMe);
}

QMap<QString, QString> LoginDialogWindow::getLoginData() const
{
    return loginCredentials;
}

bool LoginDialogWindow::isRememberMeChecked() const
{
    return rememberMe;
}

void LoginDialogWindow::reject()
{
    close();
}

void LoginDialogWindow::closeEvent(QCloseEvent *event)
{
    // The window is never destroyed while the application runs.
    event->ignore();
    hide();
    loginCredentials.clear();
    emit quitAction(needExit);
}

void LoginDialogWindow::on_pushButtonSingIn_clicked()
{
    showSigningIn();
    // A pasted value may carry a line feed; blanks are part of what was typed.
    enteredUser = ui->lineEditUsername->text().remove(QLatin1Char('\n'));
    enteredPassword = ui->lineEditPassword->text().remove(QLatin1Char('\n'));
    rememberMe = ui->checkBoxRemeberMe->isChecked();
    loginCredentials.insert(QStringLiteral("username"), enteredUser);
    loginCredentials.insert(QStringLiteral("password"), enteredPassword);
    needExit = false;
    emit makeLoginRequest();
}

void LoginDialogWindow::on_pushButtonIos_clicked()
{
    openAddress(iosAppUrl);
}

void LoginDialogWindow::on_labelForgotPassword_linkActivated(const QString &link)
{
    Q_UNUSED(link);
    openAddress(forgotPasswordUrl);
}

void LoginDialogWindow::on_pushButtonAndroid_clicked()
{
    openAddress(androidAppUrl);
}

void LoginDialogWindow::on_pushButtonCreateAccount_clicked()
{
    openAddress(signupUrl);
}

void LoginDialogWindow::applyFonts()
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/resources/common/fonts/Quicksand-Regular.ttf"));
    // The bundled file's family is "Quicksand"; the forms ask for the
    // family by its medium name, so map it rather than fall back to another face.
    QFont::insertSubstitution(QStringLiteral("Quicksand Medium"), QStringLiteral("Quicksand"));
    // Weight 3 on Qt's 0..99 scale.
    const QFont font(QStringLiteral("Quicksand Medium"), 12, 3, false);
    const QList<QWidget *> widgets {
        ui->labelAppLogo,        ui->labelOrSingIn,    ui->labelSingingIn,          ui->labelTryMobileApp,
        ui->labelForgotPassword, ui->pushButtonSingIn, ui->pushButtonCreateAccount, ui->lineEditPassword,
        ui->lineEditUsername,    ui->checkBoxRemeberMe};
    for (QWidget *widget : widgets)
        widget->setFont(font);
}

void LoginDialogWindow::showLoginForm()
{
    ui->frameLoginAnimation->hide();
    ui->frameRegisterAndLoginZone->show();
}

void LoginDialogWindow::showSigningIn()
{
    ui->frameRegisterAndLoginZone->hide();
    ui->frameLoginAnimation->show();
}
