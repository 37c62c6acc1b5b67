#include "ProtocolLines.h"

#include <QtTest>

class tst_ProtocolLines : public QObject
{
    Q_OBJECT

private slots:
    void completeLines_data();
    void completeLines();
    void byteCount_data();
    void byteCount();
    void tunnelUp_data();
    void tunnelUp();
    void errorLine_data();
    void errorLine();
    void lastErrorLine_data();
    void lastErrorLine();
};

void tst_ProtocolLines::completeLines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QByteArray>("rest");

    QTest::newRow("empty") << QByteArray() << QList<QByteArray>() << QByteArray();
    QTest::newRow("one line") << QByteArray("a\n") << QList<QByteArray> {"a"} << QByteArray();
    QTest::newRow("three in one read") << QByteArray(">B:1,2\n>B:3,4\n>B:5,6\n")
                                       << QList<QByteArray> {">B:1,2", ">B:3,4", ">B:5,6"} << QByteArray();
    QTest::newRow("cr lf") << QByteArray("a\r\nb\r\n") << QList<QByteArray> {"a", "b"} << QByteArray();
    QTest::newRow("incomplete kept") << QByteArray("a\n>BYTECOUNT:10") << QList<QByteArray> {"a"}
                                     << QByteArray(">BYTECOUNT:10");
    QTest::newRow("only incomplete") << QByteArray("AUTH_FA") << QList<QByteArray>() << QByteArray("AUTH_FA");
    QTest::newRow("cr waiting for its lf") << QByteArray("a\r") << QList<QByteArray>() << QByteArray("a\r");
    QTest::newRow("blank lines") << QByteArray("\n\r\n") << QList<QByteArray> {"", ""} << QByteArray();
}

void tst_ProtocolLines::completeLines()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QByteArray, rest);

    QByteArray buffer = input;
    QCOMPARE(ProtocolLines::takeCompleteLines(buffer), lines);
    QCOMPARE(buffer, rest);
}

void tst_ProtocolLines::byteCount_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("isReport");
    QTest::addColumn<quint64>("bytesIn");
    QTest::addColumn<quint64>("bytesOut");

    QTest::newRow("plain") << ">BYTECOUNT:1024,2048" << true << quint64(1024) << quint64(2048);
    QTest::newRow("zeros") << ">BYTECOUNT:0,0" << true << quint64(0) << quint64(0);
    QTest::newRow("2^31 - 1") << ">BYTECOUNT:2147483647,5" << true << quint64(2147483647) << quint64(5);
    QTest::newRow("2^31") << ">BYTECOUNT:2147483648,5" << true << quint64(2147483648ULL) << quint64(5);
    QTest::newRow("2^32") << ">BYTECOUNT:7,4294967296" << true << quint64(7) << quint64(4294967296ULL);
    QTest::newRow("2^40") << ">BYTECOUNT:1099511627776,1099511627776" << true << quint64(1099511627776ULL)
                          << quint64(1099511627776ULL);
    QTest::newRow("largest") << ">BYTECOUNT:18446744073709551615,1" << true << quint64(18446744073709551615ULL)
                             << quint64(1);
    QTest::newRow("beyond 64 bits") << ">BYTECOUNT:18446744073709551616,1" << true << quint64(0) << quint64(1);
    QTest::newRow("not a number") << ">BYTECOUNT:abc,12" << true << quint64(0) << quint64(12);
    QTest::newRow("negative") << ">BYTECOUNT:-5,12" << true << quint64(0) << quint64(12);
    QTest::newRow("hexadecimal") << ">BYTECOUNT:0x10,12" << true << quint64(0) << quint64(12);
    QTest::newRow("empty fields") << ">BYTECOUNT:," << true << quint64(0) << quint64(0);
    // The prefix is not compared, only the shape after it.
    QTest::newRow("any prefix") << "abcdefghijk1,2" << true << quint64(1) << quint64(2);
    QTest::newRow("command reply") << "SUCCESS: bytecount interval changed" << false << quint64(0) << quint64(0);
    QTest::newRow("greeting") << ">INFO:OpenVPN Management Interface Version 5 -- type 'help' for more info" << false
                              << quint64(0) << quint64(0);
    QTest::newRow("three fields") << ">BYTECOUNT:1,2,3" << false << quint64(0) << quint64(0);
    QTest::newRow("state line") << ">STATE:1796992142,WAIT,,,,,," << false << quint64(0) << quint64(0);
    QTest::newRow("empty") << "" << false << quint64(0) << quint64(0);
}

void tst_ProtocolLines::byteCount()
{
    QFETCH(QString, line);
    QFETCH(bool, isReport);
    QFETCH(quint64, bytesIn);
    QFETCH(quint64, bytesOut);

    quint64 in = 99;
    quint64 out = 99;
    QCOMPARE(ProtocolLines::readByteCount(line, &in, &out), isReport);
    if (isReport) {
        QCOMPARE(in, bytesIn);
        QCOMPARE(out, bytesOut);
    }
}

void tst_ProtocolLines::tunnelUp_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("up");

    QTest::newRow("notification") << ">STATE:1796992142,CONNECTED,SUCCESS,10.8.0.2,10.200.0.1,1194,,," << true;
    QTest::newRow("state reply") << "1796992142,CONNECTED,SUCCESS,10.8.0.2,10.200.0.1,1194,,," << true;
    QTest::newRow("short reply") << "1796992142,CONNECTED,SUCCESS" << true;
    QTest::newRow("waiting") << ">STATE:1796992142,WAIT,,,,,," << false;
    QTest::newRow("auth") << ">STATE:1796992142,AUTH,,,,,," << false;
    QTest::newRow("connected with error") << ">STATE:1796992142,CONNECTED,ERROR,10.8.0.2,,,,," << false;
    QTest::newRow("reconnecting") << ">STATE:1796992142,RECONNECTING,auth-failure,,,,," << false;
    QTest::newRow("no time") << "x,CONNECTED,SUCCESS,10.8.0.2" << false;
    QTest::newRow("other notification") << ">LOG:1796992142,CONNECTED,SUCCESS" << false;
    QTest::newRow("byte count") << ">BYTECOUNT:1,2" << false;
    QTest::newRow("end") << "END" << false;
    QTest::newRow("lower case") << ">STATE:1796992142,connected,success" << false;
}

void tst_ProtocolLines::tunnelUp()
{
    QFETCH(QString, line);
    QFETCH(bool, up);
    QCOMPARE(ProtocolLines::reportsTunnelUp(line), up);
}

void tst_ProtocolLines::errorLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("isError");

    QTest::newRow("auth failed") << "AUTH: Received control message: AUTH_FAILED" << true;
    QTest::newRow("upper case with colon") << "Options ERROR: unrecognized option" << true;
    QTest::newRow("lower case") << "Exiting due to fatal error" << true;
    QTest::newRow("lower case with colon") << "error: something" << true;
    QTest::newRow("capital without colon") << "Error opening configuration file" << false;
    QTest::newRow("plain") << "Initialization Sequence Completed" << false;
    QTest::newRow("upper case without colon") << "ERROR opening" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_ProtocolLines::errorLine()
{
    QFETCH(QString, line);
    QFETCH(bool, isError);
    QCOMPARE(ProtocolLines::isErrorLine(line), isError);
}

void tst_ProtocolLines::lastErrorLine_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("line");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("none") << QByteArray("2025-01-01 10:00:00 TCP/UDP: Preserving recently used remote address\n")
                          << QString();
    QTest::newRow("refused password") << QByteArray("2025-01-01 10:00:00 PUSH: Received control message\n"
                                                    "2025-01-01 10:00:00 AUTH: Received control message: "
                                                    "AUTH_FAILED\n"
                                                    "2025-01-01 10:00:00 SIGTERM[soft,auth-failure] received\n")
                                      << "2025-01-01 10:00:00 AUTH: Received control message: AUTH_FAILED";
    QTest::newRow("last of two") << QByteArray("first error\r\nsecond ERROR: here\r\nfine\r\n") << "second ERROR: here";
    QTest::newRow("last line without ending") << QByteArray("fine\nexit with error") << "exit with error";
}

void tst_ProtocolLines::lastErrorLine()
{
    QFETCH(QByteArray, log);
    QFETCH(QString, line);
    QCOMPARE(ProtocolLines::lastErrorLine(log), line);
}

QTEST_APPLESS_MAIN(tst_ProtocolLines)
#include "tst_ProtocolLines.moc"
