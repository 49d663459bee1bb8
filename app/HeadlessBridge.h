// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "Presentation.h"
#include "SingleInstance.h"

#include <QObject>
#include <QTimer>

#include <memory>

// The bridge as a service of the player's session, with no window, tray or display: the model and
// its sync cycle while it holds the lock, and nothing but a wait for the lock while a bridge with a
// window runs. It tells the status line on stderr (the journal) each time it changes.
class HeadlessBridge : public QObject
{
    Q_OBJECT

public:
    explicit HeadlessBridge(SingleInstance &instance, QObject *parent = nullptr);

    // Syncs from now on; the lock is ours.
    void sync();
    // Stops syncing, lets the lock go and takes it back once it is free, every second.
    void wait();

private:
    // Says `line` on the journal, unless it was the last thing said.
    void tell(const QString &line);

    SingleInstance &m_instance;
    std::unique_ptr<AppModel> m_model; // while it syncs; a new one reads the settings anew
    Presentation m_presentation;
    QTimer m_retry;
    QString m_told;
};
