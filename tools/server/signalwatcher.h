#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the event loop (self-pipe), so that the
// daemon can end in an orderly way rather than inside a signal handler.

#include <QObject>

class QSocketNotifier;

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    bool isValid() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(const QString &signalName);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
