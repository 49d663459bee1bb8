// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "SingleInstance.h"

#include "Logging.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QSettings>
#include <QStandardPaths>
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

const char *const requestWords[] = {"show", "headless", "status"};
const char *const kindWords[] = {"window", "headless"};

// Asks the bridge listening for `folder`, and reads its answer until it hangs up; absent when nobody
// answers in `patience`. A knock is one line: the request, and for `show` the activation token.
std::optional<SingleInstance::Answer> knock(const QString &folder, SingleInstance::Request request,
                                            std::chrono::milliseconds patience = 0ms)
{
    const QDeadlineTimer deadline(patience);
    QByteArray line = requestWords[int(request)];
    if (request == SingleInstance::Request::show)
        line += ' ' + qgetenv("XDG_ACTIVATION_TOKEN").left(longestToken).simplified().replace(' ', "");
    for (;;) {
        for (const QString &name : socketNames(folder)) {
            QLocalSocket knock;
            knock.connectToServer(name);
            if (!knock.waitForConnected(2000))
                continue;
            knock.write(line + '\n');
            QByteArray answer;
            while (knock.state() == QLocalSocket::ConnectedState && knock.waitForReadyRead(2000))
                answer += knock.readAll();
            answer += knock.readAll();
            const qsizetype kindEnd = answer.indexOf('\n');
            const bool headless = answer.left(kindEnd) == kindWords[int(SingleInstance::Kind::headless)];
            return SingleInstance::Answer{headless ? SingleInstance::Kind::headless
                                                   : SingleInstance::Kind::window,
                                          QString::fromUtf8(answer.mid(kindEnd + 1))};
        }
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(100);
    }
}

} // namespace

SingleInstance::SingleInstance(const QStringList &folders, QObject *parent)
    : QObject(parent), m_folders(folders)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *knock = m_server.nextPendingConnection()) {
            knock->setReadBufferSize(longestToken + 16);
            connect(knock, &QLocalSocket::disconnected, knock, &QObject::deleteLater);
            connect(knock, &QLocalSocket::readyRead, this, [this, knock] { answer(knock); });
        }
    });
}

QStringList SingleInstance::foldersOfThisUser()
{
    return {QFileInfo(QSettings().fileName()).path(),
            !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")
                ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                : QString(),
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation)};
}

void SingleInstance::answerAs(Kind kind, std::function<QString()> status)
{
    m_kind = kind;
    m_status = std::move(status);
}

// Answers a whole request line with this bridge's kind (and its state, when asked), then acts on it.
void SingleInstance::answer(QLocalSocket *knock)
{
    if (!knock->canReadLine())
        return;
    const QList<QByteArray> request = knock->readLine(longestToken + 16).trimmed().split(' ');
    QByteArray reply = QByteArray(kindWords[int(m_kind)]) + '\n';
    if (request.first() == requestWords[int(Request::status)] && m_status)
        reply += m_status().toUtf8();
    knock->write(reply);
    knock->disconnectFromServer();
    if (request.first() != requestWords[int(Request::show)])
        return;
    if (m_kind == Kind::window)
        emit activationRequested(request.value(1));
    else
        emit takeOverRequested();
}

SingleInstance::Claim SingleInstance::claim(Request request)
{
    // A bridge that had to lock a later folder (an earlier one was read-only when it started) answers
    // there, also once the earlier one can hold a lock again.
    if (const std::optional<Answer> answer = ask(request))
        return answered(request, *answer);
    for (const QString &folder : std::as_const(m_folders))
        if (const std::optional<Claim> claimed = claimIn(folder, request))
            return *claimed;
    qCWarning(lcBridge) << "no folder can hold the lock that keeps a second bridge from starting;"
                           " starting without it";
    return Claim::ours;
}

std::optional<SingleInstance::Answer> SingleInstance::ask(Request request) const
{
    for (const QString &folder : m_folders)
        if (!folder.isEmpty())
            if (std::optional<Answer> answer = knock(folder, request))
                return answer;
    return std::nullopt;
}

SingleInstance::Claim SingleInstance::answered(Request request, const Answer &answer)
{
    if (request == Request::headless)
        return answer.kind == Kind::window ? Claim::waiting : Claim::forwarded;
    if (answer.kind == Kind::window)
        return Claim::forwarded;
    // The headless bridge lets its lock go as it answers.
    for (const QDeadlineTimer late(5s); !late.hasExpired(); QThread::msleep(50))
        if (tryLock())
            return Claim::ours;
    qCWarning(lcBridge) << "the headless bridge did not let its lock go";
    return Claim::unanswered;
}

bool SingleInstance::tryLock()
{
    // Only the first folder that can hold a lock counts: a bridge holding it there is the bridge.
    for (const QString &folder : std::as_const(m_folders))
        if (const std::optional<bool> locked = lockIn(folder))
            return *locked;
    return false;
}

void SingleInstance::release()
{
    m_server.close();
    m_lock.reset(); // unlocks, and removes the file
}

// Whether this process now holds the lock in `folder`, and listens there; absent when no lock can be
// written there.
std::optional<bool> SingleInstance::lockIn(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return std::nullopt;
    m_lock = std::make_unique<QLockFile>(folder + lockName);
    // A lock is stale only when its owner does not hold it any more; never by age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock()) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return std::nullopt;
        // A lock nobody holds is left from a crash or a full disk, whatever it says.
        if (!m_lock->removeStaleLockFile() || !m_lock->tryLock())
            return false;
    }
    listen(folder);
    return true;
}

// Empty when no lock can be written in `folder`.
std::optional<SingleInstance::Claim> SingleInstance::claimIn(const QString &folder, Request request)
{
    const std::optional<bool> locked = lockIn(folder);
    if (!locked)
        return std::nullopt;
    if (*locked)
        return Claim::ours;
    // A bridge that holds the lock and does not answer yet may have started a moment ago, as at login.
    if (const std::optional<Answer> answer = knock(folder, request, 5s))
        return answered(request, *answer);
    qCWarning(lcBridge) << "another bridge holds" << m_lock->fileName() << "but does not answer";
    return Claim::unanswered;
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
