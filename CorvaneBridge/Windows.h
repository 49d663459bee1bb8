#pragma once

#include <QObject>

class AppModel;

// The bridge's windows as the rest of the application sees them. The window module, with Qt Quick,
// is loaded only when the first window is needed, so a bridge started in the background stays small.
class Windows : public QObject
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

// What the window module exports: the group of windows over `model`.
using CreateWindows = Windows *(*)(AppModel &model, QObject *parent);
inline constexpr char createWindowsSymbol[] = "corvaneCreateWindows";
