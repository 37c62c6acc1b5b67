// A stand-in for the OpenVPN program in the tunnel driver's unit tests.
//
// It takes the same command line as OpenVPN ("--config FILE --auth-user-pass
// FILE"), reads "management HOST PORT" from the configuration and runs the
// script given there as comment lines of the form "#fake COMMAND ARGUMENT":
//
//   record PATH        write "pid=", "config=" and "auth=" lines to PATH, then
//                      one "cmd=" line per management command received
//   listen             open the management port (greeting, command replies)
//   wait-command TEXT  wait until the management client has sent TEXT
//   mgmt TEXT          send TEXT to the management client
//   state TEXT         set the state ("CONNECTED,SUCCESS,10.8.0.2"); sent as
//                      a ">STATE:" line once "state on" was received
//   stdout TEXT / stderr TEXT / log TEXT (appended to ./openvpn.log)
//   delay MS           pause
//   close-mgmt         close the management connection
//   exit CODE / crash  end now
//   ignore-term        ignore SIGTERM, so only a kill ends it
//
// TEXT understands \n, \r, \t and \\. When the script runs out the program
// stays until it is terminated.
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray unescape(const QString &text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in.at(i) != '\\' || i + 1 == in.size()) {
            out += in.at(i);
            continue;
        }
        const char next = in.at(++i);
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

class FakeOpenVpn : public QObject
{
public:
    FakeOpenVpn(const QString &configPath, const QString &authPath)
        : configPath(configPath)
        , authPath(authPath)
    {
        QFile config(configPath);
        if (!config.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "fake-openvpn: cannot read %s\n", qPrintable(configPath));
            std::exit(1);
        }
        for (const QByteArray &raw : config.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1String("management "))) {
                const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if (parts.size() >= 3)
                    port = parts.at(2).toUShort();
            } else if (line.startsWith(QLatin1String("#fake "))) {
                steps.append(line.mid(6));
            }
        }
        connect(&server, &QTcpServer::newConnection, this, [this] { acceptClient(); });
    }

    void next()
    {
        if (delaying)
            return;
        while (index < steps.size()) {
            const QString step = steps.at(index);
            const int blank = step.indexOf(QLatin1Char(' '));
            const QString command = blank < 0 ? step : step.left(blank);
            const QString argument = blank < 0 ? QString() : step.mid(blank + 1);
            if (command == QLatin1String("wait-command")) {
                if (!received.contains(argument))
                    return; // resumed when a command arrives
            } else if (command == QLatin1String("delay")) {
                ++index;
                delaying = true;
                QTimer::singleShot(argument.toInt(), this, [this] {
                    delaying = false;
                    next();
                });
                return;
            } else {
                run(command, argument);
            }
            ++index;
        }
    }

private:
    void run(const QString &command, const QString &argument)
    {
        if (command == QLatin1String("record")) {
            recordPath = argument;
            record("pid=" + QByteArray::number(QCoreApplication::applicationPid()));
            record("config=" + configPath.toUtf8());
            record("auth=" + authPath.toUtf8());
        } else if (command == QLatin1String("listen")) {
            if (!server.listen(QHostAddress::LocalHost, port)) {
                std::fprintf(stderr, "fake-openvpn: cannot listen on %u\n", unsigned(port));
                std::exit(1);
            }
        } else if (command == QLatin1String("mgmt")) {
            send(unescape(argument));
        } else if (command == QLatin1String("state")) {
            state = argument;
            if (stateNotifications)
                send(">STATE:" + timeField() + "," + state.toUtf8() + "\r\n");
        } else if (command == QLatin1String("stdout")) {
            std::fputs(unescape(argument).constData(), stdout);
            std::fflush(stdout);
        } else if (command == QLatin1String("stderr")) {
            std::fputs(unescape(argument).constData(), stderr);
            std::fflush(stderr);
        } else if (command == QLatin1String("log")) {
            QFile log(QStringLiteral("openvpn.log"));
            if (log.open(QIODevice::WriteOnly | QIODevice::Append))
                log.write(unescape(argument));
        } else if (command == QLatin1String("close-mgmt")) {
            if (client)
                client->close();
        } else if (command == QLatin1String("exit")) {
            std::exit(argument.toInt());
        } else if (command == QLatin1String("ignore-term")) {
            std::signal(SIGTERM, SIG_IGN);
        } else if (command == QLatin1String("crash")) {
            std::abort();
        } else {
            std::fprintf(stderr, "fake-openvpn: unknown step %s\n", qPrintable(command));
            std::exit(2);
        }
    }

    QByteArray timeField() const { return QByteArray::number(QDateTime::currentSecsSinceEpoch()); }

    void record(const QByteArray &line)
    {
        if (recordPath.isEmpty())
            return;
        QFile file(recordPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(line + '\n');
    }

    void send(const QByteArray &bytes)
    {
        if (client) {
            client->write(bytes);
            client->flush();
        }
    }

    void acceptClient()
    {
        QTcpSocket *socket = server.nextPendingConnection();
        if (client) {
            socket->close();
            socket->deleteLater();
            return;
        }
        client = socket;
        send(">INFO:OpenVPN Management Interface Version 5 -- type 'help' for more info\r\n");
        connect(client, &QTcpSocket::readyRead, this, [this] { readCommands(); });
    }

    void readCommands()
    {
        while (client->canReadLine()) {
            const QString command = QString::fromUtf8(client->readLine()).trimmed();
            record("cmd=" + command.toUtf8());
            if (command.startsWith(QLatin1String("bytecount "))) {
                send("SUCCESS: bytecount interval changed\r\n");
            } else if (command == QLatin1String("state on")) {
                stateNotifications = true;
                send("SUCCESS: real-time state notification set to ON\r\n");
            } else if (command == QLatin1String("state")) {
                send(timeField() + "," + state.toUtf8() + "\r\nEND\r\n");
            } else {
                send("ERROR: unknown command, enter 'help' for more options\r\n");
            }
            received.append(command);
        }
        next();
    }

    QString configPath;
    QString authPath;
    QString recordPath;
    quint16 port = 0;
    QStringList steps;
    int index = 0;
    bool delaying = false;
    QTcpServer server;
    QTcpSocket *client = nullptr;
    QStringList received;
    QString state = QStringLiteral("WAIT,,,,,,");
    bool stateNotifications = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int config = arguments.indexOf(QStringLiteral("--config"));
    const int auth = arguments.indexOf(QStringLiteral("--auth-user-pass"));
    if (config < 0 || config + 1 >= arguments.size() || auth < 0 || auth + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: fake-openvpn --config FILE --auth-user-pass FILE\n");
        return 1;
    }
    FakeOpenVpn fake(arguments.at(config + 1), arguments.at(auth + 1));
    QTimer::singleShot(0, &fake, [&fake] { fake.next(); });
    return app.exec();
}
