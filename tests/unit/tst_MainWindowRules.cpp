#include "MainWindowRules.h"

#include <QTest>

using namespace MainWindowRules;

class tst_MainWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void pingColours_data()
    {
        QTest::addColumn<QString>("ping");
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("tableColour");
        QTest::addColumn<QString>("panelColour");

        const QColor green(11, 161, 35), orange(227, 124, 41), red(176, 31, 31);
        QTest::newRow("35ms") << "35ms" << 35 << green << "#0ba123";
        QTest::newRow("99ms edge") << "99ms" << 99 << green << "#0ba123";
        QTest::newRow("100ms edge") << "100ms" << 100 << orange << "#e37c29";
        QTest::newRow("120ms") << "120ms" << 120 << orange << "#e37c29";
        QTest::newRow("249ms edge") << "249ms" << 249 << orange << "#e37c29";
        QTest::newRow("250ms edge") << "250ms" << 250 << red << "#b01f1f";
        QTest::newRow("480ms") << "480ms" << 480 << red << "#b01f1f";
        QTest::newRow("999ms no answer") << "999ms" << 999 << red << "#b01f1f";
        QTest::newRow("empty") << "" << 0 << green << "#0ba123";
        QTest::newRow("not a number") << "timeout" << 0 << green << "#0ba123";
        QTest::newRow("number without unit") << "42" << 42 << green << "#0ba123";
    }

    void pingColours()
    {
        QFETCH(QString, ping);
        QFETCH(int, value);
        QFETCH(QColor, tableColour);
        QFETCH(QString, panelColour);

        QCOMPARE(pingValue(ping), value);
        QCOMPARE(tablePingColour(value), tableColour);
        const QString gap(50, QLatin1Char(' '));
        QCOMPARE(panelPingStyleSheet(value),
                 QStringLiteral("QLabel {color: %1;%2background: none;%2border-image: none;}").arg(panelColour, gap));
    }

    void bestServer_data()
    {
        QTest::addColumn<QStringList>("pings");
        QTest::addColumn<int>("best");

        QTest::newRow("lowest wins") << QStringList {"80ms", "40ms", "60ms"} << 1;
        QTest::newRow("tie goes to the earlier") << QStringList {"80ms", "40ms", "40ms"} << 1;
        QTest::newRow("unmeasured text counts as 0") << QStringList {"20ms", "", "5ms"} << 1;
        QTest::newRow("999 is never chosen") << QStringList {"999ms", "999ms"} << -1;
        QTest::newRow("above 999 is never chosen") << QStringList {"1200ms", "998ms"} << 1;
        QTest::newRow("empty list") << QStringList {} << -1;
    }

    void bestServer()
    {
        QFETCH(QStringList, pings);
        QFETCH(int, best);
        QCOMPARE(bestServerIndex(pings), best);
    }

    void sessionTime_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");

        QTest::newRow("start") << qint64(0) << "Session time: 00:00:00";
        QTest::newRow("3:05:07") << qint64(3 * 3600 + 5 * 60 + 7) << "Session time: 03:05:07";
        QTest::newRow("59:59") << qint64(3599) << "Session time: 00:59:59";
        QTest::newRow("100 hours") << qint64(100 * 3600) << "Session time: 100:00:00";
    }

    void sessionTime()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(sessionTimeText(seconds), text);
    }

    void byteArithmetic_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<double>("mebibits");
        QTest::addColumn<quint64>("mebibytes");

        QTest::newRow("nothing") << quint64(0) << 0.0 << quint64(0);
        QTest::newRow("1 MiB") << quint64(1048576) << 8.0 << quint64(1);
        QTest::newRow("1.5 MiB") << quint64(1572864) << 12.0 << quint64(1);
        QTest::newRow("just under 1 MiB") << quint64(1048575) << 1048575 * 8.0 / 1048576 << quint64(0);
        QTest::newRow("600 000 000") << quint64(600000000) << 600000000 * 8.0 / 1048576 << quint64(572);
        QTest::newRow("past 4 GiB") << (quint64(1) << 32) + 1048576 << 32776.0 << quint64(4097);
        QTest::newRow("5 GiB") << quint64(5) * 1024 * 1024 * 1024 << 40960.0 << quint64(5120);
    }

    void byteArithmetic()
    {
        QFETCH(quint64, bytes);
        QFETCH(double, mebibits);
        QFETCH(quint64, mebibytes);
        QCOMPARE(MainWindowRules::mebibits(bytes), mebibits);
        QCOMPARE(wholeMebibytes(bytes), mebibytes);
    }

    void timeAxis()
    {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(1700000000123);
        QCOMPARE(wholeSecondMs(t), qint64(1700000000000));
        // Ten minutes at least, the whole session once it is longer.
        QCOMPARE(timeAxisMaxMs(1000, 61000), qint64(601000));
        QCOMPARE(timeAxisMaxMs(1000, 901000), qint64(901000));
    }
};

QTEST_GUILESS_MAIN(tst_MainWindowRules)
#include "tst_MainWindowRules.moc"
