// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// The floor for this toolkit: a Qt Quick window with one text and nothing else.
#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(
        "import QtQuick\nWindow { visible: true; width: 420; height: 600; Text { text: \"Floor\" } }");
    return engine.rootObjects().isEmpty() ? 1 : app.exec();
}
