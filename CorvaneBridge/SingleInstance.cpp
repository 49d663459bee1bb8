#include "SingleInstance.h"

#include "Log.h"

#include <QDir>
#include <QLocalSocket>

using namespace Qt::StringLiterals;

namespace {

const QString lockName = u"/corvane-bridge.lock"_s;
const QString socketName = u"/corvane-bridge.socket"_s;

// Asks the bridge listening in `folder` to come forward; false when nobody answers.
bool knock(const QString &folder)
{
    QLocalSocket knock;
    knock.connectToServer(folder + socketName);
    return knock.waitForConnected(2000);
}

} // namespace

SingleInstance::SingleInstance(const QStringList &folders, QObject *parent)
    : QObject(parent), m_folders(folders)
{
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
    for (const QString &folder : std::as_const(m_folders)) {
        switch (claimIn(folder)) {
        case Outcome::claimed:
            return true;
        case Outcome::anotherRuns:
            return false;
        case Outcome::cannotLockHere:
            break;
        }
    }
    qCWarning(lcBridge) << "no folder can hold the lock that keeps a second bridge from starting;"
                           " starting without it";
    return true;
}

SingleInstance::Outcome SingleInstance::claimIn(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return Outcome::cannotLockHere;
    m_lock = std::make_unique<QLockFile>(folder + lockName);
    // A lock is stale only when its owner does not answer; never by age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock()) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return Outcome::cannotLockHere;
        if (knock(folder))
            return Outcome::anotherRuns;
        // Nobody answers, so the lock is stale whatever it holds (an empty or garbled file from a
        // crash or a full disk). A bridge that still holds it keeps the file locked, and wins.
        if (!m_lock->removeStaleLockFile() || !m_lock->tryLock()) {
            qCWarning(lcBridge) << "another bridge holds" << m_lock->fileName() << "but does not answer";
            return Outcome::anotherRuns;
        }
    }
    listen(folder);
    return Outcome::claimed;
}

void SingleInstance::listen(const QString &folder)
{
    // Only this user may knock. With this option Qt binds in a private folder and renames the socket
    // into place, which also replaces one left behind by a run that crashed.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(folder + socketName);
}
