#pragma once

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

// Lets one process of the client run at a time. The running instance holds
// a small named shared-memory segment; every test-and-change of it happens
// under a named system semaphore so two simultaneous starts cannot both win.
class RunGuard
{
public:
    explicit RunGuard(const QString &key);
    ~RunGuard();

    RunGuard(const RunGuard &) = delete;
    RunGuard &operator=(const RunGuard &) = delete;

    bool anotherInstanceRunning();
    bool tryToRun();
    void release();

    static QString hashedKey(const QString &key, const QString &suffix);

private:
    const QString key;
    const QString lockKey;
    const QString memoryKey;

    QSharedMemory sharedMemory;
    QSystemSemaphore lock;
};
