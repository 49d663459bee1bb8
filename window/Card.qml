// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Layouts

// A rounded panel holding one section, 16 of padding on every side, as wide as its parent allows.
Item {
    id: card
    default property alias content: holder.data

    Layout.fillWidth: true
    implicitHeight: holder.childrenRect.height + 32

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: Theme.panel
    }
    Item {
        id: holder
        x: 16
        y: 16
        width: card.width - 32
        height: childrenRect.height
    }
    // The border lies over the content, as a frame would.
    Rectangle {
        anchors.fill: parent
        radius: 16
        color: "transparent"
        border.color: Theme.line
        border.width: 1
    }
}
