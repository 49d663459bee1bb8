#include "SingleInstance.h"

#include "Logging.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString lockName = u"/corvane-bridge.lock"_s;

// Where the bridge holding the lock in `folder` listens: beside the lock, or, where that path cannot
// hold a socket (taken by a folder, or longer than the 107 bytes a socket's name may have), in the
// temporary folder under a name of that folder's own.
QStringList socketNames(const QString &folder)
{
    const QByteArray key = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex();
    return {folder + u"/corvane-bridge.socket"_s, u"corvane-bridge-"_s + QString::fromLatin1(key.left(24))};
}

// A Wayland desktop lets a window come to the front only with a token from the launcher, given to the
// process it started, this one. Tokens are short; anything longer is not one.
constexpr qsizetype longestToken = 4096;

// Asks the bridge listening for `folder` to come forward; false when nobody answers in `patience`.
bool knock(const QString &folder, std::chrono::milliseconds patience = 0ms)
{
    const QDeadlineTimer deadline(patience);
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN").left(longestToken);
    for (;;) {
        for (const QString &name : socketNames(folder)) {
            QLocalSocket knock;
            knock.connectToServer(name);
            if (knock.waitForConnected(2000)) {
                knock.write(token);
                knock.waitForBytesWritten(2000);
                return true;
            }
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
}

} // namespace

SingleInstance::SingleInstance(const QStringList &folders, QObject *parent)
    : QObject(parent), m_folders(folders)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *knock = m_server.nextPendingConnection()) {
            // The knock is over when the second start hangs up, its token sent.
            knock->setReadBufferSize(longestToken);
            connect(knock, &QLocalSocket::disconnected, this, [this, knock] {
                knock->deleteLater();
                emit activationRequested(knock->read(longestToken));
            });
        }
    });
}

SingleInstance::Claim SingleInstance::claim()
{
    // A bridge that had to lock a later folder (an earlier one was read-only when it started) answers
    // there, also once the earlier one can hold a lock again.
    for (const QString &folder : std::as_const(m_folders))
        if (!folder.isEmpty() && knock(folder))
            return Claim::forwarded;
    for (const QString &folder : std::as_const(m_folders))
        if (const std::optional<Claim> claimed = claimIn(folder))
            return *claimed;
    qCWarning(lcBridge) << "no folder can hold the lock that keeps a second bridge from starting;"
                           " starting without it";
    return Claim::ours;
}

// Empty when no lock can be written in `folder`.
std::optional<SingleInstance::Claim> SingleInstance::claimIn(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return std::nullopt;
    m_lock = std::make_unique<QLockFile>(folder + lockName);
    // A lock is stale only when its owner does not hold it any more; never by age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock()) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return std::nullopt;
        // A lock nobody holds is left from a crash or a full disk, whatever it says; a bridge that
        // holds it and does not answer yet may have started a moment ago, as at login.
        if (!m_lock->removeStaleLockFile() || !m_lock->tryLock()) {
            if (knock(folder, 5s))
                return Claim::forwarded;
            qCWarning(lcBridge) << "another bridge holds" << m_lock->fileName() << "but does not answer";
            return Claim::unanswered;
        }
    }
    listen(folder);
    return Claim::ours;
}

void SingleInstance::listen(const QString &folder)
{
    // Only this user may knock. With this option Qt binds in a private folder and renames the socket
    // into place, which also replaces one left behind by a run that crashed.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    QStringList failures;
    for (const QString &name : socketNames(folder)) {
        if (m_server.listen(name))
            return;
        failures << name + u": "_s + m_server.errorString();
    }
    qCWarning(lcBridge).noquote() << "a second start cannot reach this bridge, which cannot listen at"
                                  << failures.join(u", "_s);
}
