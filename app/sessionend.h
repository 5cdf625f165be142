#pragma once
// The end of the desktop session: SIGTERM, SIGHUP and the session manager's request to
// save. Each is reported by endRequested() from the event loop, never from the signal
// handler itself. One watcher at a time per process.

#include <QObject>

class QSocketNotifier;

class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject *parent = nullptr);
    ~SessionEndWatcher() override; // puts the default signal handling back

Q_SIGNALS:
    void endRequested();

private:
    void drain();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
