#pragma once
// The single-instance marker "quenlo": a lock file in the user's runtime directory, held
// until the process ends; a crashed copy's stale lock is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance {
public:
    enum class Result { Acquired, AlreadyRunning, Failed };

    // directory defaults to the user's runtime directory.
    explicit SingleInstance(const QString &directory = {});
    Result acquire();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
