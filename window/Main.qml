// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic
import CorvaneBridge

// One window of the bridge, a view of the one model; the bridge goes on syncing when it closes.
ApplicationWindow {
    id: window
    required property AppModel model
    required property QuickWindowSet windows

    title: Qt.application.name // the product's name, in every language
    visible: true
    color: Theme.bg
    width: Theme.windowWidth
    minimumWidth: Theme.windowWidth
    maximumWidth: Theme.windowWidth
    // Tall enough for the live figures without scrolling; a fixed start, so the window never
    // resizes itself under the user when the figures arrive. Never taller than the screen can show
    // with a title bar (a 1080p laptop at 200 % has 540 points): the content scrolls instead.
    readonly property real roomOnScreen: Screen.desktopAvailableHeight - 48
    minimumHeight: Math.min(600, roomOnScreen)
    height: Math.min(640, roomOnScreen)

    // Dark colours for what the controls draw themselves: caret, selection, placeholder, scroll bar.
    palette {
        window: Theme.bg
        windowText: Theme.text
        base: Theme.panel
        text: Theme.text
        button: Theme.panel
        buttonText: Theme.text
        highlight: Theme.blue
        highlightedText: "white"
        placeholderText: Theme.text3
        mid: Theme.text3
        dark: Theme.text2
    }

    ContentView {
        id: content
        anchors.fill: parent
        model: window.model
    }

    Shortcut {
        sequence: "Ctrl+N"
        onActivated: window.windows.openWindow()
    }
    Shortcut {
        sequences: ["Ctrl+W", "Ctrl+F4"]
        onActivated: window.close()
    }
    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Qt.quit()
    }
}
