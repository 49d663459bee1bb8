// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import CorvaneBridge

// Sync on or off, how the last upload went, and whether the settings could be saved.
Card {
    id: card
    required property AppModel model
    required property Presentation view

    RowLayout {
        width: parent.width
        spacing: 12
        Column {
            Layout.fillWidth: true
            spacing: 2
            Heading { text: qsTr("Sync to dashboard") }
            Detail {
                objectName: "statusLine"
                width: parent.width
                text: card.view.statusLine
                color: Theme.toneColor(card.view.statusTone)
                // Why an upload failed, where a player sees it: the terminal is seldom in view.
                Accessible.description: card.view.statusDetail || qsTr("Sync status")
                HoverHandler { id: statusHover }
                ToolTip.visible: statusHover.hovered && card.view.statusDetail !== ""
                ToolTip.text: card.view.statusDetail
            }
            Detail {
                objectName: "settingsWarning"
                width: parent.width
                visible: !card.model.settingsSaved
                text: qsTr("Your settings could not be saved")
                color: Theme.red
                Accessible.description: card.model.settingsFile
                HoverHandler { id: settingsHover }
                ToolTip.visible: settingsHover.hovered
                ToolTip.text: card.model.settingsFile
            }
        }
        Switch {
            id: syncSwitch
            objectName: "syncSwitch"
            checked: card.model.bridgeEnabled
            enabled: card.view.canSync
            padding: 0
            Accessible.name: qsTr("Sync to dashboard")
            // Qt 6.4 tells screen readers of no disabled state: they hear why instead.
            Accessible.description: card.view.syncUnavailable
            onToggled: card.model.bridgeEnabled = checked
            // Return and Enter switch it too, as Space does.
            function switchByKey() { toggle(); toggled() }
            Keys.onReturnPressed: switchByKey()
            Keys.onEnterPressed: switchByKey()
            indicator: Rectangle {
                implicitWidth: 40
                implicitHeight: 24
                radius: 12
                color: syncSwitch.checked ? Theme.blue : Theme.lineStrong
                opacity: syncSwitch.enabled ? 1 : 0.4
                Rectangle {
                    x: syncSwitch.checked ? parent.width - width - 2 : 2
                    y: 2
                    width: 20
                    height: 20
                    radius: 10
                    color: "white"
                }
                FocusRing {
                    visible: syncSwitch.visualFocus
                    radius: 15
                }
            }
        }
    }
}
