#include "RunGuard.h"

#include <QCryptographicHash>

namespace {
const char lockSuffix[] = "_velmoraLck"; // 11 characters
const char memorySuffix[] = "_velmoraMemry"; // 13 characters
const int segmentSize = 8;
} // namespace

RunGuard::RunGuard(const QString &key)
    : key(key)
    , lockKey(hashedKey(key, QLatin1String(lockSuffix)))
    , memoryKey(hashedKey(key, QLatin1String(memorySuffix)))
    , sharedMemory(memoryKey)
    , lock(lockKey, 1, QSystemSemaphore::Open)
{
    // A segment left behind by a process that died is removed when the last
    // attachment goes away, so attaching and detaching once clears it.
    lock.acquire();
    {
        QSharedMemory stale(memoryKey);
        stale.attach();
    }
    lock.release();
}

RunGuard::~RunGuard()
{
    release();
}

bool RunGuard::anotherInstanceRunning()
{
    if (sharedMemory.isAttached())
        return false;

    lock.acquire();
    const bool isRunning = sharedMemory.attach();
    if (isRunning)
        sharedMemory.detach();
    lock.release();

    return isRunning;
}

bool RunGuard::tryToRun()
{
    if (anotherInstanceRunning())
        return false;

    lock.acquire();
    const bool result = sharedMemory.create(segmentSize);
    lock.release();
    if (!result) {
        release();
        return false;
    }
    return true;
}

void RunGuard::release()
{
    lock.acquire();
    if (sharedMemory.isAttached())
        sharedMemory.detach();
    lock.release();
}

QString RunGuard::hashedKey(const QString &key, const QString &suffix)
{
    QByteArray data;
    data.append(key.toUtf8());
    data.append(suffix.toUtf8());
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
}
