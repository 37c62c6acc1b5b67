#include "ProccessAnimationWidget.h"
#include "StartupWindow.h"
#include "UiResources.h"

#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QResource>
#include <QTest>
#include <QVBoxLayout>

// The busy animation and the startup window that shows it.
class tst_ProccessAnimationWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureUiResources(); }

    void validAnimationPlays();
    void largerContainerKeepsTheAnimationSmall();
    void unusableAnimationSaysSo_data();
    void unusableAnimationSaysSo();

    void startupWindowIsAFixedFramelessSplash();
    void escapeHidesTheStartupWindow();
};

void tst_ProccessAnimationWidget::validAnimationPlays()
{
    ProccessAnimationWidget widget;
    widget.show();
    auto *label = widget.findChild<QLabel *>("labelAnimation");
    QVERIFY(label);
    QMovie *movie = label->movie();
    QVERIFY(movie);
    QCOMPARE(movie->state(), QMovie::Running);
    QCOMPARE(movie->scaledSize(), QSize(64, 64));
    QVERIFY(label->text().isEmpty());
    const int first = movie->currentFrameNumber();
    QTRY_VERIFY(movie->currentFrameNumber() != first);
}

void tst_ProccessAnimationWidget::largerContainerKeepsTheAnimationSmall()
{
    QWidget page;
    auto *layout = new QVBoxLayout(&page);
    auto *widget = new ProccessAnimationWidget;
    widget->setMinimumSize(198, 198);
    widget->setMaximumSize(198, 198);
    layout->addWidget(widget);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    auto *label = widget->findChild<QLabel *>("labelAnimation");
    QCOMPARE(widget->size(), QSize(198, 198));
    QCOMPARE(label->size(), QSize(64, 64));
    QCOMPARE(label->geometry().center(), widget->rect().center());
    QCOMPARE(label->movie()->scaledSize(), QSize(64, 64));
}

void tst_ProccessAnimationWidget::unusableAnimationSaysSo_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("missing") << false;
    QTest::newRow("damaged") << true;
}

void tst_ProccessAnimationWidget::unusableAnimationSaysSo()
{
    QFETCH(bool, damaged);

    // Take the application's resources away and, for the damaged case, put
    // a file of the same path that is no animation in their place.
    Q_CLEANUP_RESOURCE(resources);
    QVERIFY(!QFile::exists(ProccessAnimationWidget::animationPath()));
    if (damaged) {
        QVERIFY(QResource::registerResource(QStringLiteral(VELMORA_DAMAGED_ANIMATION_RCC)));
        QVERIFY(QFile::exists(ProccessAnimationWidget::animationPath()));
    }

    auto *widget = new ProccessAnimationWidget;
    auto *label = widget->findChild<QLabel *>("labelAnimation");
    const QString text = label->text();
    const bool hasMovie = label->movie() != nullptr;
    const QString style = label->styleSheet();
    delete widget;

    if (damaged)
        QResource::unregisterResource(QStringLiteral(VELMORA_DAMAGED_ANIMATION_RCC));
    Q_INIT_RESOURCE(resources);
    QVERIFY(QFile::exists(ProccessAnimationWidget::animationPath()));

    QCOMPARE(text, QStringLiteral("Ivalid gif!"));
    QVERIFY(!hasMovie);
    QVERIFY(style.contains(QStringLiteral("rgb(255, 0, 0)")));
}

void tst_ProccessAnimationWidget::startupWindowIsAFixedFramelessSplash()
{
    StartupWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Window);
    QCOMPARE(window.size(), QSize(240, 340));
    QCOMPARE(window.minimumSize(), QSize(240, 340));
    QCOMPARE(window.maximumSize(), QSize(240, 340));
    QCOMPARE(window.windowTitle(), QStringLiteral("VPNCLIENT"));
    QVERIFY(!window.windowIcon().isNull());
    auto *label = window.findChild<QLabel *>("labelPleaseWait");
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Starting application..."));
    QCOMPARE(label->font().family(), QStringLiteral("Quicksand Medium"));
    QCOMPARE(label->font().pointSize(), 12);
    auto *animation = window.findChild<ProccessAnimationWidget *>("widget");
    QVERIFY(animation);
    QVERIFY(animation->isVisible());
    QCOMPARE(animation->size(), QSize(64, 64));
}

void tst_ProccessAnimationWidget::escapeHidesTheStartupWindow()
{
    StartupWindow window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(tst_ProccessAnimationWidget)
#include "tst_ProccessAnimationWidget.moc"
