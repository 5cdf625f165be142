#pragma once
// Delivers Unix signals to the event loop: the handler only writes the signal's number
// into a pipe (self-pipe), and received() is emitted from the event loop that reads it.
// The pipe's write end is process-wide, so one watcher may exist at a time per process.

#include <QObject>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

class UnixSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalWatcher(std::initializer_list<int> watched, QObject *parent = nullptr);
    ~UnixSignalWatcher() override; // puts the default handling of the signals back

    // False when the pipe could not be made; the signals then keep their default handling.
    bool isValid() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signal);

private:
    void drain();

    std::vector<int> m_signals;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
