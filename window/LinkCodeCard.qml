// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import CorvaneBridge

// The link code from the player's dashboard, filtered as it is typed.
Card {
    id: card
    required property AppModel model
    required property Presentation view

    ColumnLayout {
        width: parent.width
        spacing: 10
        Label2 { text: qsTr("Link code") }
        TextField {
            id: codeField
            objectName: "linkCodeField"
            Layout.fillWidth: true
            text: card.model.linkCode
            placeholderText: "ABC123"
            font.family: "monospace"
            font.pixelSize: 16
            font.weight: Font.Medium
            color: Theme.text
            leftPadding: 12
            rightPadding: 12
            topPadding: 10
            bottomPadding: 10
            selectByMouse: true
            Accessible.name: qsTr("Link code")
            background: Rectangle {
                objectName: "linkCodeOutline"
                radius: 10
                color: Qt.rgba(1, 1, 1, 0.05)
                border.width: 1
                border.color: card.model.codeValid ? Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.6)
                                                   : Theme.lineStrong
                FocusRing { // a text field has no visualFocus: the same rule by hand
                    visible: codeField.activeFocus && (codeField.focusReason === Qt.TabFocusReason
                                                       || codeField.focusReason === Qt.BacktabFocusReason)
                    radius: 13
                }
            }
            // The model keeps the filtered code and the field shows it back; the cursor stays after
            // what was typed before it.
            onTextEdited: {
                const keptBeforeCursor = card.view.linkCodeFrom(text.substring(0, cursorPosition)).length
                card.model.linkCode = card.view.linkCodeFrom(text)
                cursorPosition = Math.min(keptBeforeCursor, length)
            }
        }
        Text {
            Layout.fillWidth: true
            text: qsTr("Enter the code from your dashboard on %1").arg(card.view.dashboardHost)
            wrapMode: Text.Wrap
            font.pointSize: Theme.points(11.5, Screen.logicalPixelDensity)
            color: Theme.text3
        }
    }
}
