#include "SingleInstance.h"

#include <QLocalSocket>

SingleInstance::SingleInstance(const QString &directory, QObject *parent)
    : QObject(parent), m_socketPath(directory + QStringLiteral("/corvane-bridge.socket")),
      m_lock(directory + QStringLiteral("/corvane-bridge.lock"))
{
    // A lock is stale only when its owner is gone (QLockFile checks the process); never by age.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *knock = m_server.nextPendingConnection()) {
            knock->disconnectFromServer();
            knock->deleteLater();
            emit activationRequested();
        }
    });
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock()) {
        // A lock that cannot even be written must not keep the bridge from starting.
        if (m_lock.error() != QLockFile::LockFailedError)
            return true;
        QLocalSocket knock;
        knock.connectToServer(m_socketPath);
        knock.waitForConnected(2000);
        return false;
    }
    // Only this user may knock. With this option Qt binds in a private folder and renames the socket
    // into place, which also replaces one left behind by a run that crashed.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    return true;
}
