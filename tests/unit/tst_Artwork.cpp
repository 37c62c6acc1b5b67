#include <QFile>
#include <QFontDatabase>
#include <QImageReader>
#include <QMovie>
#include <QTest>

#include "UiResources.h"

// Every image the windows name must be compiled in, decode, and have the
// size the forms show it at (double for the "@2x" files).
class tst_Artwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureUiResources(); }
    void imageDecodesAtShownSize_data();
    void imageDecodesAtShownSize();
    void loadingAnimationHasSeveralFrames();
    void applicationFontRegisters();
};

void tst_Artwork::imageDecodesAtShownSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    const QList<QPair<QString, QSize>> shown {
        {"logo_update", {40, 40}},       {"btn_connect", {72, 100}},
        {"btn_disconnect", {72, 100}},   {"btn_enter", {44, 44}},
        {"app_store_btn", {44, 44}},     {"google_play_btn", {44, 44}},
        {"ic_log_ip", {34, 34}},         {"ic_log_session", {34, 34}},
        {"ic_log_downloaded", {34, 34}}, {"ic_log_sent", {34, 34}},
        {"ic_no_connection", {48, 48}},  {"popup", {328, 86}},
        {"switch_on", {44, 20}},         {"switch_off", {44, 20}},
        {"ic_menu_main", {32, 32}},      {"ic_menu_main_active", {32, 32}},
        {"ic_menu_settings", {32, 32}},  {"ic_menu_settings_active", {32, 32}},
        {"ic_menu_about", {32, 32}},     {"ic_menu_about_active", {32, 32}},
        {"ic_menu_profile", {32, 32}},   {"ic_menu_profile_active", {32, 32}},
        {"ic_menu_help", {32, 32}},      {"ic_menu copy 11", {32, 32}},
        {"ic_menu_logout", {32, 32}},    {"ic_menu_logout_active", {32, 32}},
    };
    for (const auto &entry : shown) {
        const QString base = QStringLiteral(":/resources/common/images/") + entry.first;
        QTest::newRow(qPrintable(entry.first)) << base + QStringLiteral(".png") << entry.second;
        QTest::newRow(qPrintable(entry.first + QStringLiteral("@2x")))
            << base + QStringLiteral("@2x.png") << entry.second * 2;
    }
    QTest::newRow("Flags/UN@2x") << QStringLiteral(":/resources/common/images/Flags/UN@2x.png") << QSize(128, 96);
    QTest::newRow("about_bg") << QStringLiteral(":/resources/common/images/about_bg.jpg") << QSize(800, 600);
}

void tst_Artwork::imageDecodesAtShownSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QImageReader reader(name);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(name + QStringLiteral(": ") + reader.errorString()));
    QCOMPARE(image.size(), size);
}

void tst_Artwork::loadingAnimationHasSeveralFrames()
{
    QMovie movie(QStringLiteral(":/resources/common/images/Animations/DefaultMacLoadingAnimation.gif"), QByteArray());
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() > 4);
    QVERIFY(movie.jumpToFrame(0));
    const QImage first = movie.currentImage();
    for (int i = 0; i < movie.frameCount() / 2; ++i)
        QVERIFY(movie.jumpToNextFrame());
    QVERIFY(first != movie.currentImage());
    QCOMPARE(first.size(), QSize(64, 64));
}

void tst_Artwork::applicationFontRegisters()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/resources/common/fonts/Quicksand-Regular.ttf"));
    QVERIFY(id >= 0);
    QVERIFY(QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Quicksand")));
}

QTEST_MAIN(tst_Artwork)
#include "tst_Artwork.moc"
