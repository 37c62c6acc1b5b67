#include "LoginDialogWindow.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

// Collects the addresses the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_LoginDialogWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formIsFilledFromMetadataAndSettings();
    void signInCapturesCredentials_data();
    void signInCapturesCredentials();
    void returnKeySignsInLikeTheButton();
    void closeReportsWhetherToExit_data();
    void closeReportsWhetherToExit();
    void prepareLoginFormReturnsToTheForm();
    void linksOpenTheirAddresses_data();
    void linksOpenTheirAddresses();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    bool showsForm() const
    {
        return child<QFrame>("frameRegisterAndLoginZone")->isVisible()
            && !child<QFrame>("frameLoginAnimation")->isVisible();
    }
    bool showsSigningIn() const
    {
        return !child<QFrame>("frameRegisterAndLoginZone")->isVisible()
            && child<QFrame>("frameLoginAnimation")->isVisible();
    }

    StartupData metadata;
    LoginDialogWindow *window = nullptr;
};

void tst_LoginDialogWindow::init()
{
    metadata = {{"app_title", "Velmora Test"},
                {"signup", "https://localhost/signup?src=client"},
                {"forgot_password", "https://localhost/reset"},
                {"download", "https://localhost/download"}};
    window = new LoginDialogWindow;
    window->prepareLoginForm(metadata, QStringLiteral("stored@example.test"), QStringLiteral("secret"), true);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void tst_LoginDialogWindow::cleanup()
{
    delete window;
    window = nullptr;
}

void tst_LoginDialogWindow::formIsFilledFromMetadataAndSettings()
{
    QVERIFY(showsForm());
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora Test"));
    QCOMPARE(child<QLabel>("labelAppName")->text(), QStringLiteral("Velmora Test"));
    QCOMPARE(child<QLineEdit>("lineEditUsername")->text(), QStringLiteral("stored@example.test"));
    QCOMPARE(child<QLineEdit>("lineEditPassword")->text(), QStringLiteral("secret"));
    QCOMPARE(child<QLineEdit>("lineEditPassword")->echoMode(), QLineEdit::Password);
    QVERIFY(child<QCheckBox>("checkBoxRemeberMe")->isChecked());
    QVERIFY(window->isRememberMeChecked());
    QCOMPARE(window->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    // Nothing is captured until the user signs in.
    QVERIFY(window->getLoginData().isEmpty());
}

void tst_LoginDialogWindow::signInCapturesCredentials_data()
{
    QTest::addColumn<QString>("typedUser");
    QTest::addColumn<QString>("typedPassword");
    QTest::addColumn<QString>("sentUser");
    QTest::addColumn<QString>("sentPassword");

    QTest::newRow("plain") << "alice@example.test"
                           << "pw"
                           << "alice@example.test"
                           << "pw";
    QTest::newRow("blanks kept") << "  alice  "
                                 << " p w "
                                 << "  alice  "
                                 << " p w ";
    QTest::newRow("line feeds removed") << "bob\n"
                                        << "p\na\ns\ns\n"
                                        << "bob"
                                        << "pass";
    QTest::newRow("inner line feed only") << "a\nb c"
                                          << "x"
                                          << "ab c"
                                          << "x";
    QTest::newRow("empty fields are sent") << ""
                                           << ""
                                           << ""
                                           << "";
}

void tst_LoginDialogWindow::signInCapturesCredentials()
{
    QFETCH(QString, typedUser);
    QFETCH(QString, typedPassword);
    QFETCH(QString, sentUser);
    QFETCH(QString, sentPassword);

    QSignalSpy requests(window, &LoginDialogWindow::makeLoginRequest);
    child<QLineEdit>("lineEditUsername")->setText(typedUser);
    child<QLineEdit>("lineEditPassword")->setText(typedPassword);
    child<QCheckBox>("checkBoxRemeberMe")->setChecked(false);
    QTest::mouseClick(child<QPushButton>("pushButtonSingIn"), Qt::LeftButton);

    QCOMPARE(requests.count(), 1);
    const QMap<QString, QString> expected {{"username", sentUser}, {"password", sentPassword}};
    QCOMPARE(window->getLoginData(), expected);
    QVERIFY(!window->isRememberMeChecked());
    QVERIFY(showsSigningIn());
}

void tst_LoginDialogWindow::returnKeySignsInLikeTheButton()
{
    QSignalSpy requests(window, &LoginDialogWindow::makeLoginRequest);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto *password = child<QLineEdit>("lineEditPassword");
    password->setFocus();
    password->setText(QStringLiteral("typed"));
    // Sent through the window, as the keyboard would; the shortcut animates
    // a click, which lands a moment later.
    QTest::keyClick(window->windowHandle(), Qt::Key_Return);

    QTRY_COMPARE(requests.count(), 1);
    const QMap<QString, QString> expected {{"username", "stored@example.test"}, {"password", "typed"}};
    QCOMPARE(window->getLoginData(), expected);
    QVERIFY(showsSigningIn());
}

void tst_LoginDialogWindow::closeReportsWhetherToExit_data()
{
    QTest::addColumn<bool>("signInFirst");
    QTest::addColumn<bool>("useEscape");
    QTest::addColumn<bool>("needExit");

    QTest::newRow("close before sign-in") << false << false << true;
    QTest::newRow("close after sign-in") << true << false << false;
    QTest::newRow("escape before sign-in") << false << true << true;
}

void tst_LoginDialogWindow::closeReportsWhetherToExit()
{
    QFETCH(bool, signInFirst);
    QFETCH(bool, useEscape);
    QFETCH(bool, needExit);

    if (signInFirst) {
        QTest::mouseClick(child<QPushButton>("pushButtonSingIn"), Qt::LeftButton);
        QVERIFY(!window->getLoginData().isEmpty());
    }
    QSignalSpy quits(window, &LoginDialogWindow::quitAction);
    QPointer<LoginDialogWindow> alive(window);
    if (useEscape) {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
    } else {
        window->close();
    }

    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits.at(0).at(0).toBool(), needExit);
    QVERIFY(alive);
    QVERIFY(!window->isVisible());
    QVERIFY(window->getLoginData().isEmpty());
}

void tst_LoginDialogWindow::prepareLoginFormReturnsToTheForm()
{
    QTest::mouseClick(child<QPushButton>("pushButtonSingIn"), Qt::LeftButton);
    QVERIFY(showsSigningIn());

    window->prepareLoginForm(metadata, QStringLiteral("other"), QString(), false);
    QVERIFY(showsForm());
    QCOMPARE(child<QFrame>("frameLoginAnimation")->pos(), QPoint(0, 132));
    QCOMPARE(child<QLineEdit>("lineEditUsername")->text(), QStringLiteral("other"));
    QVERIFY(child<QLineEdit>("lineEditPassword")->text().isEmpty());
    QVERIFY(!child<QCheckBox>("checkBoxRemeberMe")->isChecked());

    // The window wants the application to exit again if closed now.
    QSignalSpy quits(window, &LoginDialogWindow::quitAction);
    window->close();
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits.at(0).at(0).toBool(), true);
}

void tst_LoginDialogWindow::linksOpenTheirAddresses_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QUrl>("expected");

    QTest::newRow("create account") << "pushButtonCreateAccount" << QUrl("https://localhost/signup?src=client");
    QTest::newRow("app store") << "pushButtonIos" << QUrl("https://localhost/download");
    QTest::newRow("google play") << "pushButtonAndroid" << QUrl("https://localhost/download");
    QTest::newRow("forgot password") << "labelForgotPassword" << QUrl("https://localhost/reset");
}

void tst_LoginDialogWindow::linksOpenTheirAddresses()
{
    QFETCH(QString, control);
    QFETCH(QUrl, expected);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    if (auto *button = window->findChild<QPushButton *>(control)) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        // The label reports its own anchor; the window opens the stored address.
        auto *label = child<QLabel>("labelForgotPassword");
        QVERIFY(QMetaObject::invokeMethod(label, "linkActivated", Q_ARG(QString, "#forgot_your_password")));
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    QCOMPARE(catcher.opened, QList<QUrl> {expected});
}

QTEST_MAIN(tst_LoginDialogWindow)
#include "tst_LoginDialogWindow.moc"
