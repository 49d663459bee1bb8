// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "WindowSet.h"

#include <QList>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QQmlEngine;
class QQuickWindow;

// The bridge's windows, all views of the one model. A closed window is destroyed; once none is left,
// the QML engine goes too and its memory is handed back to the system, since a bridge left running
// all evening should cost little.
class QuickWindowSet : public WindowSet
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application owns the window set")

public:
    explicit QuickWindowSet(AppModel &model, QObject *parent = nullptr);
    ~QuickWindowSet() override;

    Q_INVOKABLE bool openWindow() override;
    void activate() override;
    bool isEmpty() const override { return m_windows.isEmpty(); }
    const QList<QQuickWindow *> &windows() const { return m_windows; }

private:
    void releaseClosedWindows();

    AppModel &m_model;
    std::unique_ptr<QQmlEngine> m_engine;
    QList<QQuickWindow *> m_windows;
};
