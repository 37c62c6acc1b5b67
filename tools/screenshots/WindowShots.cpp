#include "Shots.h"

#include "LoginDialogWindow.h"
#include "NewUpdateDialogWindow.h"
#include "StartupWindow.h"

#include <QPushButton>
#include <QStackedWidget>

namespace {

StartupData sampleMetadata()
{
    return {{"app_title", "Velmora VPN"},
            {"signup", "https://localhost/signup"},
            {"forgot_password", "https://localhost/reset"},
            {"download", "https://localhost/download"}};
}

} // namespace

VELMORA_SHOT("startup", [](const QString &dir) {
    StartupWindow window;
    Shots::save(&window, dir, "startup");
});

VELMORA_SHOT("login-form", [](const QString &dir) {
    LoginDialogWindow window;
    window.prepareLoginForm(sampleMetadata(), QStringLiteral("alice@example.test"), QStringLiteral("secret"), true);
    Shots::save(&window, dir, "login-form");
});

VELMORA_SHOT("login-signing-in", [](const QString &dir) {
    LoginDialogWindow window;
    window.prepareLoginForm(sampleMetadata(), QStringLiteral("alice@example.test"), QStringLiteral("secret"), true);
    window.show();
    window.findChild<QPushButton *>(QStringLiteral("pushButtonSingIn"))->click();
    Shots::save(&window, dir, "login-signing-in");
});

VELMORA_SHOT("update-offer", [](const QString &dir) {
    NewUpdateDialogWindow dialog;
    dialog.setVersion(QStringLiteral("1.1.0"));
    Shots::save(&dialog, dir, "update-offer");
});

VELMORA_SHOT("update-download", [](const QString &dir) {
    NewUpdateDialogWindow dialog;
    dialog.setVersion(QStringLiteral("1.1.0"));
    // The progress page as the download shows it, without a transfer.
    dialog.findChild<QPushButton *>(QStringLiteral("pushButtonOk"))->hide();
    dialog.findChild<QStackedWidget *>(QStringLiteral("stackedWidgetUpdateWindow"))->setCurrentIndex(1);
    dialog.downloadProgress(4200000, 10000000);
    Shots::save(&dialog, dir, "update-download");
});
