#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

// Keeps one bridge per settings file, so no payload is ever uploaded twice. The first start holds a
// lock and listens; a later start knocks, which asks the first to show its window, and steps aside.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        ours,       // this process is the bridge from now on
        forwarded,  // another bridge runs, and has been asked to come forward
        unanswered, // another bridge holds the lock but does not answer (told on stderr)
    };

    // `folders`, private to the user, in order of preference: the lock and the socket live in the
    // first where a lock can be written (the settings folder, else the runtime or a cache folder).
    explicit SingleInstance(const QStringList &folders, QObject *parent = nullptr);

    Claim claim();

signals:
    // A second start asks for the window, with its launcher's activation token when it had one.
    void activationRequested(const QByteArray &activationToken);

private:
    std::optional<Claim> claimIn(const QString &folder);
    void listen(const QString &folder);

    const QStringList m_folders;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
