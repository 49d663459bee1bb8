// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Controls.Basic

// An action button: white label on a capsule of the blue gradient, dimmed while held down.
Button {
    id: button

    leftPadding: 16
    rightPadding: 16
    topPadding: 8
    bottomPadding: 8
    opacity: down ? 0.85 : 1
    font.pixelSize: 13
    font.weight: Font.Medium

    // Return and Enter press it too, as Space does.
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    contentItem: Text {
        text: button.text
        font: button.font
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    // A capsule: half circles at both ends, the gradient across its own box.
    background: Canvas {
        implicitWidth: button.implicitContentWidth + button.leftPadding + button.rightPadding
        implicitHeight: button.implicitContentHeight + button.topPadding + button.bottomPadding
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        onPaint: {
            const context = getContext("2d")
            const r = height / 2
            context.reset()
            context.fillStyle = Theme.blueGradient(context, width, height)
            context.beginPath()
            context.arc(width - r, r, r, -Math.PI / 2, Math.PI / 2)
            context.arc(r, r, r, Math.PI / 2, 3 * Math.PI / 2)
            context.closePath()
            context.fill()
        }
        FocusRing {
            visible: button.visualFocus
            radius: height / 2
        }
    }
}
