#include "PingProcessor.h"

#include "PingCommand.h"
#include "PingHostName.h"

#include <QProcess>

PingProcessor::PingProcessor(const QString &hostName)
    : hostName(hostName)
{
}

void PingProcessor::run()
{
    // The name comes from the service; one that is not a plain host name or
    // address is never put on a command line.
    if (!isProbeableHostName(hostName)) {
        emit finished(hostName, PingCommand::noAverage());
        return;
    }

    QProcess process;
    process.setProcessEnvironment(PingCommand::environment());
    process.start(PingCommand::program(), PingCommand::arguments(hostName), QIODevice::ReadWrite);
    // Returns at once when the program could not be started; the output is
    // then empty and reads as "999ms".
    process.waitForFinished(-1);
    emit finished(hostName, PingCommand::pingText(process.readAllStandardOutput()));
}
