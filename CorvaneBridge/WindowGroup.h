#pragma once

#include "AppModel.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;

// The windows of the application, all showing the one model. The new-window shortcut adds one.
class WindowGroup : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application owns the window group")

public:
    WindowGroup(QQmlEngine &engine, AppModel &model, QObject *parent = nullptr);

    // Opens one more main window; false (with the reasons printed) when the QML could not be built.
    Q_INVOKABLE bool openWindow();
    // Brings the newest window to the front, as when the user starts the bridge a second time.
    void raise();

private:
    QQmlEngine &m_engine;
    AppModel &m_model;
};
