// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import CorvaneBridge

// The game: running or not, and the button that launches it through Steam.
Card {
    id: card
    required property AppModel model
    required property Presentation view

    RowLayout {
        width: parent.width
        spacing: 12
        StatusDot {
            objectName: "gameDot"
            on: card.model.gameRunning
        }
        Column {
            Layout.fillWidth: true
            spacing: 2
            Heading {
                text: "Transport Fever 3"
                Accessible.description: card.view.gameState // so the state is heard with its game
            }
            Detail {
                objectName: "gameState"
                width: parent.width
                text: card.view.gameState
                color: Theme.toneColor(card.view.gameStateTone)
                Accessible.description: card.view.gameStateDetail
                HoverHandler { id: gameStateHover }
                ToolTip.visible: gameStateHover.hovered && card.view.gameStateDetail !== ""
                ToolTip.text: card.view.gameStateDetail
            }
            Detail {
                id: launchFailure
                width: parent.width
                visible: false
                text: Game.launchFailed()
                color: Theme.red
            }
        }
        BlueButton {
            objectName: "launchButton"
            text: qsTr("Launch game")
            visible: card.view.canLaunchGame
            onClicked: launchFailure.visible = !Game.launch()
            onVisibleChanged: launchFailure.visible = false // the game runs: Steam did start it
        }
    }
}
