// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

// The bridge's open windows, as the rest of the application sees them: Qt Quick stays in the window
// plugin (WindowPlugin.h), loaded only when the first window is needed.
class WindowSet : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens one more window; false (with the reasons printed) when it could not be built.
    virtual bool openWindow() = 0;
    // Brings the newest window to the front, or opens one when there is none.
    virtual void activate() = 0;
    virtual bool isEmpty() const = 0;

signals:
    void lastWindowClosed();
};
