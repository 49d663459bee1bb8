#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// Keeps one bridge per user, so no payload is ever uploaded twice. The first start holds a lock and
// listens; a later start knocks, which asks the first to bring its window forward, and steps aside.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `directory` is private to the user: the lock file and the socket live there.
    explicit SingleInstance(const QString &directory, QObject *parent = nullptr);

    // True when this process is the bridge from now on; false when another one runs (it has been
    // asked to come forward).
    bool claim();

signals:
    void activationRequested();

private:
    const QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
