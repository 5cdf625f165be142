#include "app/sessionend.h"

#include <QGuiApplication>
#include <csignal>

SessionEndWatcher::SessionEndWatcher(QObject *parent) : QObject(parent), m_signals({SIGTERM, SIGHUP})
{
    connect(&m_signals, &UnixSignalWatcher::received, this, &SessionEndWatcher::endRequested);
#if QT_CONFIG(sessionmanager)
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &SessionEndWatcher::endRequested);
#endif
}
