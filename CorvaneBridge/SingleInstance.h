#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>

// Keeps one bridge per user, so no payload is ever uploaded twice. The first start holds a lock and
// listens; a later start knocks, which asks the first to show its window, and steps aside.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `folders`, private to the user, in order of preference: the lock and the socket live in the
    // first where a lock can be written (the runtime folder, else a cache folder).
    explicit SingleInstance(const QStringList &folders, QObject *parent = nullptr);

    // True when this process is the bridge from now on; false when another one runs (it has been
    // asked to come forward).
    bool claim();

signals:
    void activationRequested();

private:
    enum class Outcome { claimed, anotherRuns, cannotLockHere };
    Outcome claimIn(const QString &folder);
    void listen(const QString &folder);

    const QStringList m_folders;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
