#include "ProtocolLines.h"

#include <QStringList>

namespace ProtocolLines {

QList<QByteArray> takeCompleteLines(QByteArray &buffer)
{
    QList<QByteArray> lines;
    int start = 0;
    for (int end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n', start)) {
        int length = end - start;
        if (length > 0 && buffer.at(end - 1) == '\r')
            --length;
        lines.append(buffer.mid(start, length));
        start = end + 1;
    }
    buffer.remove(0, start);
    return lines;
}

bool readByteCount(const QString &trimmedLine, quint64 *bytesIn, quint64 *bytesOut)
{
    // The prefix itself is not compared: OpenVPN sends nothing else of this
    // shape on the channel.
    const QStringList fields = trimmedLine.mid(11).split(QLatin1Char(','));
    if (fields.size() != 2)
        return false;
    bool ok = false;
    const quint64 in = fields.at(0).toULongLong(&ok, 10);
    *bytesIn = ok ? in : 0;
    const quint64 out = fields.at(1).toULongLong(&ok, 10);
    *bytesOut = ok ? out : 0;
    return true;
}

bool reportsTunnelUp(const QString &trimmedLine)
{
    static const QLatin1String statePrefix(">STATE:");
    QString text = trimmedLine;
    if (text.startsWith(statePrefix))
        text.remove(0, statePrefix.size());
    else if (text.startsWith(QLatin1Char('>')))
        return false;
    // time,state,result,local address,remote address,...
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 3)
        return false;
    bool isTime = false;
    fields.at(0).toULongLong(&isTime, 10);
    return isTime && fields.at(1) == QLatin1String("CONNECTED") && fields.at(2) == QLatin1String("SUCCESS");
}

bool isErrorLine(const QString &line)
{
    return line.contains(QLatin1String("ERROR:")) || line.contains(QLatin1String("error"))
        || line.contains(QLatin1String("AUTH_FAILED"));
}

QString lastErrorLine(const QByteArray &logText)
{
    const QList<QByteArray> lines = logText.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = QString::fromLocal8Bit(*it).trimmed();
        if (isErrorLine(line))
            return line;
    }
    return QString();
}

} // namespace ProtocolLines
