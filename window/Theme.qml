// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

pragma Singleton
import QtQuick
import CorvaneBridge

// The window's one dark look: a small fixed palette and the blue gradient.
QtObject {
    // Every window is this wide; its height follows the content.
    readonly property int windowWidth: 420

    readonly property color bg: "#0B141D"
    readonly property color panel: "#162433"
    readonly property color line: Qt.rgba(1, 1, 1, 0.09)
    readonly property color lineStrong: Qt.rgba(1, 1, 1, 0.16)
    readonly property color text: "#E9F0F6"
    readonly property color text2: "#9DB0C1"
    readonly property color text3: "#6F8599"
    readonly property color blue: "#2F82D6"
    readonly property color blueLight: "#4A9AE8"
    readonly property color green: "#5FD597"
    readonly property color red: "#FF8A6B"

    // blueLight at the top-left corner of the filled shape to blue at its bottom-right corner.
    readonly property list<GradientStop> blueGrad: [
        GradientStop { position: 0; color: Theme.blueLight },
        GradientStop { position: 1; color: Theme.blue }
    ]

    // blueGrad for a Canvas, diagonally across a box of width × height.
    function blueGradient(context, width, height) {
        const gradient = context.createLinearGradient(0, 0, width, height)
        for (let i = 0; i < blueGrad.length; ++i)
            gradient.addColorStop(blueGrad[i].position, blueGrad[i].color)
        return gradient
    }

    // A font size in points that renders `pixels` device-independent pixels on a screen of
    // `density` (dots per millimetre). Only for the half sizes (12.5, 11.5), which font.pixelSize, an
    // integer, cannot take.
    function points(pixels, density) {
        return pixels * 72 / (density * 25.4)
    }

    // The colour of each tone a Presentation gives a line.
    function toneColor(tone: int): color {
        switch (tone) {
        case Presentation.Inactive:
            return text3
        case Presentation.Neutral:
            return text2
        case Presentation.Good:
            return green
        case Presentation.Bad:
            return red
        }
        console.error("no colour for the tone", tone)
        return text
    }
}
