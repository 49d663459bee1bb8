// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick

// A yes-or-no dot: green with a soft halo when on, a plain grey-blue dot when off.
Item {
    property bool on: false

    implicitWidth: 10
    implicitHeight: 10

    Rectangle {
        anchors.fill: parent
        radius: 5
        color: parent.on ? Theme.green : Theme.text3
    }
    // A 4-wide ring centred on the dot's edge: radii 3 to 7, reaching 2 beyond the frame.
    Rectangle {
        visible: parent.on
        anchors.centerIn: parent
        width: 14
        height: 14
        radius: 7
        color: "transparent"
        border.width: 4
        border.color: Qt.rgba(Theme.green.r, Theme.green.g, Theme.green.b, 0.35)
    }
}
