#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

    const QString org = QStringLiteral("Test Corp");
    const QString app = QStringLiteral("velmora");

    QString autostartFile() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/autostart/velmora.desktop");
    }

private slots:
    void initTestCase()
    {
        // The harness gives every test its own configuration folder.
        QVERIFY(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
        QCoreApplication::setApplicationName(app);
    }

    void init()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, org, app).clear();
        QFile::remove(autostartFile());
    }

    void firstRunDefaults()
    {
        QCOMPARE(readLoginSetting(UserName, org, app), QVariant(QString()));
        QCOMPARE(readLoginSetting(Password, org, app), QVariant(QString()));
        QCOMPARE(readLoginSetting(Remember, org, app), QVariant(false));
        QCOMPARE(readMainWindowSetting(TrayIcon, org, app), QVariant(false));
        QCOMPARE(readMainWindowSetting(SetDns, org, app), QVariant(true));
        QCOMPARE(readMainWindowSetting(LastServer, org, app), QVariant(QString()));
        QCOMPARE(readMainWindowSetting(Autorun, org, app), QVariant(false));
        QVERIFY(!readLoginSetting(static_cast<LoginSetting>(7), org, app).isValid());
        QVERIFY(!readMainWindowSetting(static_cast<MainWindowSetting>(9), org, app).isValid());
    }

    void loginRoundTrip_data()
    {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("expectedPassword");
        QTest::newRow("remembered ascii") << "user@example.com"
                                          << "p@ss w0rd!~\"\\" << true << "p@ss w0rd!~\"\\";
        QTest::newRow("remembered latin-1") << "anne@example.com" << QStringLiteral("caf\u00e9 \u00ff\u00e0\u00df")
                                            << true << QStringLiteral("caf\u00e9 \u00ff\u00e0\u00df");
        QTest::newRow("above latin-1 becomes U+0000") << "ivan@example.com" << QStringLiteral("a\u0436b") << true
                                                      << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QTest::newRow("not remembered stores empty") << QString() << QString() << false << QString();
    }

    void loginRoundTrip()
    {
        QFETCH(QString, userName);
        QFETCH(QString, password);
        QFETCH(bool, remember);
        QFETCH(QString, expectedPassword);

        writeLoginSettings(userName, password, remember, org, app);
        QCOMPARE(readLoginSetting(UserName, org, app).toString(), userName);
        QCOMPARE(readLoginSetting(Password, org, app).toString(), expectedPassword);
        QCOMPARE(readLoginSetting(Remember, org, app).toBool(), remember);
    }

    void passwordIsNotStoredInClear()
    {
        const QString password = QStringLiteral("abcdefghijklmnopqrstuvwx");
        writeLoginSettings(QStringLiteral("u"), password, true, org, app);
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, org, app);
        const QString stored = settings.value(QStringLiteral("login/password")).toString();
        QCOMPARE(stored.size(), password.size());
        for (int i = 0; i < password.size(); ++i) {
            if (i % 8 == 7)
                QCOMPARE(stored.at(i), password.at(i)); // positions 7, 15, 23 are left as they are
            else
                QVERIFY2(stored.at(i) != password.at(i), qPrintable(QStringLiteral("position %1").arg(i)));
        }
    }

    void scrambleIsItsOwnInverse()
    {
        QString all;
        for (int c = 0; c <= 0xFF; ++c)
            all.append(QChar(c));
        QCOMPARE(scramblePassword(scramblePassword(all)), all);
        QCOMPARE(scramblePassword(QString()), QString());
    }

    void mainWindowRoundTrip()
    {
        writeMainWindowSettings(false, true, false, QStringLiteral("de1.example.net"), org, app);
        QCOMPARE(readMainWindowSetting(TrayIcon, org, app).toBool(), true);
        QCOMPARE(readMainWindowSetting(SetDns, org, app).toBool(), false);
        QCOMPARE(readMainWindowSetting(LastServer, org, app).toString(), QStringLiteral("de1.example.net"));
    }

    void autorunEntry()
    {
        writeMainWindowSettings(true, false, true, QString(), org, app);
        QVERIFY(QFile::exists(autostartFile()));
        QCOMPARE(readMainWindowSetting(Autorun, org, app).toBool(), true);

        QFile entry(autostartFile());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("Exec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        entry.close();

        writeMainWindowSettings(true, false, true, QString(), org, app);
        const QDir autostartDir(QFileInfo(autostartFile()).absolutePath());
        QCOMPARE(autostartDir.entryList(QDir::Files), QStringList {QStringLiteral("velmora.desktop")});

        writeMainWindowSettings(false, false, true, QString(), org, app);
        QVERIFY(!QFile::exists(autostartFile()));
        QCOMPARE(readMainWindowSetting(Autorun, org, app).toBool(), false);
    }

    void otherOrganisationFindsNothing()
    {
        writeLoginSettings(QStringLiteral("user@example.com"), QStringLiteral("secret"), true, org, app);
        writeMainWindowSettings(false, true, false, QStringLiteral("host"), org, app);
        const QString other = QStringLiteral("Renamed Corp");
        QCOMPARE(readLoginSetting(UserName, other, app).toString(), QString());
        QCOMPARE(readLoginSetting(Password, other, app).toString(), QString());
        QCOMPARE(readLoginSetting(Remember, other, app).toBool(), false);
        QCOMPARE(readMainWindowSetting(TrayIcon, other, app).toBool(), false);
        QCOMPARE(readMainWindowSetting(SetDns, other, app).toBool(), true);
        QCOMPARE(readMainWindowSetting(LastServer, other, app).toString(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_SettingsStore.moc"
