#pragma once
// The end of the desktop session: SIGTERM, SIGHUP and the session manager's request to
// save. Each is reported by endRequested() from the event loop, never from the signal
// handler itself. One watcher at a time per process (see UnixSignalWatcher).

#include "platform/unixsignalwatcher.h"

#include <QObject>

class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject *parent = nullptr);

Q_SIGNALS:
    void endRequested();

private:
    UnixSignalWatcher m_signals;
};
