#pragma once

#include "ServiceData.h"

#include <QDialog>
#include <QMap>
#include <QString>

class QCloseEvent;

namespace Ui {
class LoginDialogWindow;
}

// The sign-in window. It never talks to the network: a sign-in click emits
// makeLoginRequest() and the controller reads the typed credentials back
// through getLoginData(). Closing only hides it and emits quitAction().
class LoginDialogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit LoginDialogWindow(QWidget *parent = nullptr);
    ~LoginDialogWindow() override;

    // Refills the window and returns it to the form view; called before
    // every show.
    void prepareLoginForm(const StartupData &metadata, const QString &username, const QString &password, bool remember);
    QMap<QString, QString> getLoginData() const;
    bool isRememberMeChecked() const;

signals:
    void makeLoginRequest();
    void quitAction(bool _needExit);

public slots:
    // Escape closes the window like its close button, so the controller
    // always hears about it.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pushButtonSingIn_clicked();
    void on_pushButtonIos_clicked();
    void on_labelForgotPassword_linkActivated(const QString &link);
    void on_pushButtonAndroid_clicked();
    void on_pushButtonCreateAccount_clicked();

private:
    void applyFonts();
    void showLoginForm();
    void showSigningIn();

    Ui::LoginDialogWindow *ui;
    QMap<QString, QString> loginCredentials;
    bool rememberMe;
    QString appTitle;
    QString signupUrl;
    QString forgotPasswordUrl;
    QString iosAppUrl;
    QString androidAppUrl;
    QString enteredUser;
    QString enteredPassword;
    bool needExit;
};
