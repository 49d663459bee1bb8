// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Layouts
import CorvaneBridge

// The newest figures the game sent, or what to do to get them.
Card {
    id: card
    required property Presentation view

    // A figure the game sends may be any size: it shrinks to its column, and what still does not fit
    // is cut, so the figures beside it stay in view.
    component Figure: Text {
        objectName: "figure"
        font.weight: Font.DemiBold
        color: Theme.text
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 11
        elide: Text.ElideRight
    }
    // One figure: its value (or "-") above its label, sharing the row equally with the others.
    component Stat: Column {
        property string label
        property string value
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        spacing: 2
        Accessible.role: Accessible.StaticText
        Accessible.name: qsTr("%1: %2").arg(label).arg(value)
        Figure {
            width: parent.width
            text: parent.value
            font.pixelSize: 18
        }
        Text {
            text: parent.label
            font.pixelSize: 11
            color: Theme.text3
        }
    }

    ColumnLayout {
        width: parent.width
        spacing: 14
        Label2 { text: qsTr("Live data") }
        Text {
            objectName: "placeholder"
            visible: !card.view.hasMetrics
            Layout.fillWidth: true
            text: qsTr("No data yet. Start a game with the Corvane mod enabled and it will appear here.")
            wrapMode: Text.Wrap
            font.pixelSize: 13
            color: Theme.text2
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Column {
            visible: card.view.hasMetrics
            Layout.fillWidth: true
            spacing: 2
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("%1: %2").arg(account.text).arg(balance.text)
            Text {
                id: account
                text: qsTr("Account")
                font.pixelSize: 11
                color: Theme.text3
            }
            Figure {
                id: balance
                width: parent.width
                text: card.view.balance
                font.pixelSize: 26
            }
        }
        RowLayout {
            visible: card.view.hasMetrics
            Layout.fillWidth: true
            spacing: 0
            Stat { objectName: "lines"; label: qsTr("Lines"); value: card.view.lines }
            Stat { objectName: "onTime"; label: qsTr("On time"); value: card.view.onTime }
            Stat { objectName: "vehicles"; label: qsTr("In service"); value: card.view.vehicles }
        }
        Detail {
            objectName: "date"
            Layout.fillWidth: true
            visible: card.view.hasMetrics && card.view.hasDate
            text: card.view.date
        }
    }
}
