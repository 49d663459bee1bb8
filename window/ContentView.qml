import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import CorvaneBridge

// The whole window: header, game, link code, sync switch, live figures, footer.
ScrollView {
    id: root
    required property AppModel model

    readonly property Presentation view: Presentation { model: root.model }

    // A card's title, a heading to screen readers.
    component Heading: Text {
        font.pixelSize: 15
        font.weight: Font.DemiBold
        color: Theme.text
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
    // One line, told to screen readers; texts from the game or the dashboard can be long and are cut
    // at the window's edge.
    component Detail: Text {
        font.pointSize: Theme.points(12.5, Screen.logicalPixelDensity)
        color: Theme.text2
        elide: Text.ElideRight
        maximumLineCount: 1
        Accessible.role: Accessible.StaticText
        Accessible.name: text
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

    implicitWidth: Theme.windowWidth
    implicitHeight: column.implicitHeight + 40
    contentWidth: Theme.windowWidth
    contentHeight: implicitHeight
    ScrollBar.vertical.policy: ScrollBar.AsNeeded
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: Theme.windowWidth - 40
        spacing: 16

        RowLayout {
            spacing: 12
            Layout.bottomMargin: 2
            LogoMark {
                objectName: "logo"
                size: 38
            }
            // The product's name, in every language.
            Column {
                spacing: 1
                Text {
                    text: "Corvane"
                    font.pixelSize: 18
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    text: "Bridge"
                    font.pixelSize: 13
                    color: Theme.text3
                }
            }
            Item { Layout.fillWidth: true }
        }

        Card {
            RowLayout {
                width: parent.width
                spacing: 12
                StatusDot {
                    objectName: "gameDot"
                    on: root.model.gameRunning
                }
                Column {
                    Layout.fillWidth: true
                    spacing: 2
                    Heading {
                        text: "Transport Fever 3"
                        Accessible.description: root.view.gameState // so the state is heard with its game
                    }
                    Detail {
                        objectName: "gameState"
                        width: parent.width
                        text: root.view.gameState
                        color: Theme.tone(root.view.gameStateTone)
                        Accessible.description: root.view.gameStateDetail
                        HoverHandler { id: gameStateHover }
                        ToolTip.visible: gameStateHover.hovered && root.view.gameStateDetail !== ""
                        ToolTip.text: root.view.gameStateDetail
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
                    visible: !root.model.gameRunning
                    onClicked: launchFailure.visible = !Game.launch()
                    onVisibleChanged: launchFailure.visible = false // the game runs: Steam did start it
                }
            }
        }

        Card {
            ColumnLayout {
                width: parent.width
                spacing: 10
                Label2 { text: qsTr("Link code") }
                TextField {
                    id: codeField
                    objectName: "linkCodeField"
                    Layout.fillWidth: true
                    text: root.model.linkCode
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
                        border.color: root.model.codeValid ? Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.6)
                                                           : Theme.lineStrong
                        FocusRing { // a text field has no visualFocus: the same rule by hand
                            visible: codeField.activeFocus && (codeField.focusReason === Qt.TabFocusReason
                                                               || codeField.focusReason === Qt.BacktabFocusReason)
                            radius: 13
                        }
                    }
                    // The model keeps the filtered code and the field shows it back; the cursor stays
                    // after what was typed before it.
                    onTextEdited: {
                        const keptBeforeCursor = root.view.linkCodeFrom(text.substring(0, cursorPosition)).length
                        root.model.linkCode = root.view.linkCodeFrom(text)
                        cursorPosition = Math.min(keptBeforeCursor, length)
                    }
                }
                Text {
                    Layout.fillWidth: true
                    text: qsTr("Enter the code from your dashboard on %1").arg(root.view.dashboardHost)
                    wrapMode: Text.Wrap
                    font.pointSize: Theme.points(11.5, Screen.logicalPixelDensity)
                    color: Theme.text3
                }
            }
        }

        Card {
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
                        text: root.view.statusLine
                        color: Theme.tone(root.view.statusTone)
                        Accessible.description: qsTr("Sync status")
                    }
                    Detail {
                        objectName: "settingsWarning"
                        width: parent.width
                        visible: !root.model.settingsSaved
                        text: qsTr("Your settings could not be saved")
                        color: Theme.red
                        Accessible.description: root.model.settingsFile
                        HoverHandler { id: settingsHover }
                        ToolTip.visible: settingsHover.hovered
                        ToolTip.text: root.model.settingsFile
                    }
                }
                Switch {
                    id: syncSwitch
                    objectName: "syncSwitch"
                    checked: root.model.bridgeEnabled
                    enabled: root.model.codeValid
                    padding: 0
                    Accessible.name: qsTr("Sync to dashboard")
                    // Qt 6.4 tells screen readers of no disabled state: they hear why instead.
                    Accessible.description: enabled ? "" : qsTranslate("Presentation", "Enter a valid link code first")
                    onToggled: root.model.bridgeEnabled = checked
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

        Card {
            ColumnLayout {
                width: parent.width
                spacing: 14
                Label2 { text: qsTr("Live data") }
                Text {
                    objectName: "placeholder"
                    visible: !root.view.hasMetrics
                    Layout.fillWidth: true
                    text: qsTr("No data yet. Start a game with the Corvane mod enabled and it will appear here.")
                    wrapMode: Text.Wrap
                    font.pixelSize: 13
                    color: Theme.text2
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Column {
                    visible: root.view.hasMetrics
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
                        text: root.view.balance
                        font.pixelSize: 26
                    }
                }
                RowLayout {
                    visible: root.view.hasMetrics
                    Layout.fillWidth: true
                    spacing: 0
                    Stat { objectName: "lines"; label: qsTr("Lines"); value: root.view.lines }
                    Stat { objectName: "onTime"; label: qsTr("On time"); value: root.view.onTime }
                    Stat { objectName: "vehicles"; label: qsTr("In service"); value: root.view.vehicles }
                }
                Detail {
                    objectName: "date"
                    Layout.fillWidth: true
                    visible: root.view.hasMetrics && root.view.hasDate
                    text: root.view.date
                }
            }
        }

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
