#include "PingCommand.h"
#include "PingHostName.h"

#include <QTest>

// The two readers of ping's output and the host name check, from texts
// written here.
class tst_PingOutput : public QObject
{
    Q_OBJECT

private slots:
    void windowsReader_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("expected");

        const QByteArray head = "Active code page: 861\r\n\r\n"
                                "Pinging 127.0.0.1 with 32 bytes of data:\r\n";
        QTest::newRow("average 2") << head
                + "Reply from 127.0.0.1: bytes=32 time=2ms TTL=128\r\n"
                  "Reply from 127.0.0.1: bytes=32 time=2ms TTL=128\r\n\r\n"
                  "Ping statistics for 127.0.0.1:\r\n"
                  "    Packets: Sent = 2, Received = 2, Lost = 0 (0% loss),\r\n"
                  "Approximate round trip times in milli-seconds:\r\n"
                  "    Minimum = 2ms, Maximum = 2ms, Average = 2ms\r\n"
                                   << "2ms";
        QTest::newRow("average 23") << head
                + "Reply from 127.0.0.1: bytes=32 time=21ms TTL=128\r\n"
                  "Reply from 127.0.0.1: bytes=32 time=25ms TTL=128\r\n\r\n"
                  "Ping statistics for 127.0.0.1:\r\n"
                  "    Packets: Sent = 2, Received = 2, Lost = 0 (0% loss),\r\n"
                  "Approximate round trip times in milli-seconds:\r\n"
                  "    Minimum = 21ms, Maximum = 25ms, Average = 23ms\r\n"
                                    << "23ms";
        QTest::newRow("all requests timed out") << head
                + "Request timed out.\r\nRequest timed out.\r\n\r\n"
                  "Ping statistics for 127.0.0.1:\r\n"
                  "    Packets: Sent = 2, Received = 0, Lost = 2 (100% loss),\r\n"
                                                << "999ms";
        QTest::newRow("unknown host") << QByteArray("Active code page: 861\r\n"
                                                    "Ping request could not find host nosuch. Please check the name "
                                                    "and try again.\r\n")
                                      << "999ms";
        QTest::newRow("summary in another language") << head + "    Minimo = 2ms, Massimo = 2ms, Medio = 2ms\r\n"
                                                     << "999ms";
        QTest::newRow("average without a later ms")
            << QByteArray("    Minimum = 2ms, Maximum = 9ms, Average = 7") << "7ms";
        QTest::newRow("empty output") << QByteArray() << "999ms";
        QTest::newRow("text ends at a NUL")
            << QByteArray("Ping statistics\0    Minimum = 2ms, Maximum = 2ms, Average = 2ms\r\n", 64) << "999ms";
    }

    void windowsReader()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        QCOMPARE(PingCommand::windowsPingText(output), expected);
    }

    void iputilsReader_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("expected");

        const QByteArray head = "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
                                "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=22.5 ms\n"
                                "64 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=24.4 ms\n\n"
                                "--- 127.0.0.1 ping statistics ---\n"
                                "2 packets transmitted, 2 received, 0% packet loss, time 1001ms\n";
        QTest::newRow("average 23.486") << head + "rtt min/avg/max/mdev = 22.512/23.486/24.460/0.974 ms\n"
                                        << "23ms";
        QTest::newRow("loopback, below a millisecond") << head + "rtt min/avg/max/mdev = 0.049/0.139/0.230/0.090 ms\n"
                                                       << "0ms";
        QTest::newRow("half rounds up") << head + "rtt min/avg/max/mdev = 1.000/1.500/2.000/0.500 ms\n"
                                        << "2ms";
        QTest::newRow("just below half") << head + "rtt min/avg/max/mdev = 2.000/2.499/2.998/0.499 ms\n"
                                         << "2ms";
        QTest::newRow("above a second") << head + "rtt min/avg/max/mdev = 1000.1/1500.6/2001.0/500.4 ms\n"
                                        << "1501ms";
        QTest::newRow("no trailing newline") << head + "rtt min/avg/max/mdev = 3.1/4.7/6.3/1.6 ms"
                                             << "5ms";
        QTest::newRow("100% loss") << QByteArray("PING 127.0.0.9 (127.0.0.9) 56(84) bytes of data.\n\n"
                                                 "--- 127.0.0.9 ping statistics ---\n"
                                                 "2 packets transmitted, 0 received, 100% packet loss, time 1020ms\n")
                                   << "999ms";
        QTest::newRow("100% loss with errors")
            << QByteArray("--- 127.0.0.9 ping statistics ---\n"
                          "2 packets transmitted, 0 received, +2 errors, 100% packet loss, time 1003ms\npipe 2\n")
            << "999ms";
        QTest::newRow("unknown host") << QByteArray("ping: nosuch: Name or service not known\n") << "999ms";
        QTest::newRow("empty output") << QByteArray() << "999ms";
        QTest::newRow("summary cut short") << QByteArray("rtt min/avg/max/mdev = 0.049\n") << "999ms";
        QTest::newRow("average not a number") << QByteArray("rtt min/avg/max/mdev = 1.0/x/3.0/0.1 ms\n") << "999ms";
        QTest::newRow("negative average") << QByteArray("rtt min/avg/max/mdev = 1.0/-4.0/3.0/0.1 ms\n") << "999ms";
        QTest::newRow("decimal comma of another locale")
            << QByteArray("rtt min/avg/max/mdev = 1,0/2,0/3,0/0,1 ms\n") << "999ms";
    }

    void iputilsReader()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        QCOMPARE(PingCommand::iputilsPingText(output), expected);
    }

    void hostNameCheck_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("IPv4") << "127.0.0.1" << true;
        QTest::newRow("IPv6 loopback") << "::1" << true;
        QTest::newRow("IPv6 full") << "fe80:0:0:0:0:0:0:1" << true;
        QTest::newRow("host name") << "vpn-3.Node7.example" << true;
        QTest::newRow("longest allowed") << QString(253, QLatin1Char('a')) << true;
        QTest::newRow("too long") << QString(254, QLatin1Char('a')) << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("option") << "-c" << false;
        QTest::newRow("option with value") << "-w100" << false;
        QTest::newRow("blank") << "127.0.0.1 -f" << false;
        QTest::newRow("ampersand") << "127.0.0.1&calc" << false;
        QTest::newRow("pipe") << "a|b" << false;
        QTest::newRow("redirect out") << "a>b" << false;
        QTest::newRow("redirect in") << "a<b" << false;
        QTest::newRow("caret") << "a^b" << false;
        QTest::newRow("double quote") << "\"a\"" << false;
        QTest::newRow("single quote") << "'a'" << false;
        QTest::newRow("percent") << "%COMSPEC%" << false;
        QTest::newRow("semicolon") << "a;id" << false;
        QTest::newRow("dollar") << "$(id)" << false;
        QTest::newRow("backtick") << "`id`" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("newline") << "a\nb" << false;
        QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << false;
        QTest::newRow("zone index") << "fe80::1%eth0" << false;
        QTest::newRow("non-ASCII letter") << QString::fromUtf8("b\xc3\xa4r.example") << false;
    }

    void hostNameCheck()
    {
        QFETCH(QString, hostName);
        QFETCH(bool, accepted);
        QCOMPARE(isProbeableHostName(hostName), accepted);
    }
};

QTEST_GUILESS_MAIN(tst_PingOutput)
#include "tst_PingOutput.moc"
