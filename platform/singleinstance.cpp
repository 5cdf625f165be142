#include "platform/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &directory)
{
    QString dir = directory;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_path = QDir(dir).filePath(QStringLiteral("quenlo.lock"));
}

SingleInstance::Result SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale, never its age
    if (m_lock->tryLock(0))
        return Result::Acquired;
    return m_lock->error() == QLockFile::LockFailedError ? Result::AlreadyRunning : Result::Failed;
}
