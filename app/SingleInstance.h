// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Keeps one bridge syncing per settings file, so no payload is ever uploaded twice. The syncing bridge
// holds a lock and listens; a later start knocks, says what it wants, and learns which kind of bridge
// answered. A bridge with a window always wins: a headless one steps aside for it, and waits.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Kind { window, headless }; // a bridge with a window (or its tray icon), or a service
    // What a knock asks: a start with a window asks to be shown the running bridge's window, a
    // headless start asks who runs, `--status` asks how it goes.
    enum class Request { show, headless, status };
    struct Answer
    {
        Kind kind;
        QString status; // for a status request
    };
    enum class Claim {
        ours,       // this process is the syncing bridge from now on
        forwarded,  // another bridge runs and has been told (or, to a headless start, runs headless)
        waiting,    // a bridge with a window runs: a headless start waits for the lock
        unanswered, // another bridge holds the lock but does not answer (told on stderr)
    };

    // `folders`, private to the user, in order of preference: the lock and the socket live in the
    // first where a lock can be written (the settings folder, else the runtime or a cache folder).
    explicit SingleInstance(const QStringList &folders, QObject *parent = nullptr);
    // One bridge per settings file, whatever the environment says of the runtime folder.
    static QStringList foldersOfThisUser();

    // What this bridge is, and how it tells its state, for the knocks it answers.
    void answerAs(Kind kind, std::function<QString()> status);
    Claim claim(Request request);
    // The lock, if it is free now: for a headless bridge that waits.
    bool tryLock();
    // Lets the lock go, for the bridge with a window that knocked.
    void release();
    // The answer of the running bridge, if one answers.
    std::optional<Answer> ask(Request request) const;

signals:
    // A start with a window asks for the window, with its launcher's activation token when it had one.
    void activationRequested(const QByteArray &activationToken);
    // A headless bridge has answered a start with a window, which syncs from now on.
    void takeOverRequested();

private:
    std::optional<bool> lockIn(const QString &folder);
    std::optional<Claim> claimIn(const QString &folder, Request request);
    Claim answered(Request request, const Answer &answer);
    void listen(const QString &folder);
    void answer(class QLocalSocket *knock);

    const QStringList m_folders;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    Kind m_kind = Kind::window;
    std::function<QString()> m_status;
};
