// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import CorvaneBridge

// The whole window, scrolling when the window is shorter: header, one card per part, footer.
ScrollView {
    id: root
    required property AppModel model

    readonly property Presentation view: Presentation { model: root.model }

    implicitWidth: Theme.windowWidth
    implicitHeight: column.implicitHeight + 40
    contentWidth: Theme.windowWidth
    contentHeight: implicitHeight
    ScrollBar.vertical.policy: ScrollBar.AsNeeded
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    ColumnLayout {
        id: column
        objectName: "content"
        x: 20
        y: 20
        width: Theme.windowWidth - 40
        spacing: 16

        WindowHeader {}
        GameCard { model: root.model; view: root.view }
        LinkCodeCard { model: root.model; view: root.view }
        SyncCard { model: root.model; view: root.view }
        LiveDataCard { view: root.view }
        Text {
            Layout.fillWidth: true
            Layout.topMargin: 4
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("Part of %1").arg("Fernhollow")
            font.pixelSize: 11
            color: Theme.text3
        }
    }
}
