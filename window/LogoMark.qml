// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick

// The emblem: a blue disc with a white diagonal link between two ringed blue nodes. Every measure
// is a fraction of `size`, so it scales cleanly. Painted with antialiasing by the Canvas, which
// costs far less memory than a multisampled layer would.
Canvas {
    id: mark
    property real size: 38

    implicitWidth: size
    implicitHeight: size
    width: size
    height: size
    onSizeChanged: requestPaint()

    // A filled blue circle with a white ring centred on its edge.
    function node(context, x, y) {
        context.beginPath()
        context.arc(x, y, 0.1 * size, 0, 2 * Math.PI)
        context.fillStyle = Theme.blue
        context.fill()
        context.lineWidth = 0.055 * size
        context.lineCap = "butt"
        context.stroke()
    }

    onPaint: {
        const context = getContext("2d")
        context.reset()
        context.fillStyle = Theme.blueGradient(context, size, size)
        context.beginPath()
        context.arc(0.5 * size, 0.5 * size, 0.5 * size, 0, 2 * Math.PI)
        context.fill()

        context.strokeStyle = "white"
        context.lineWidth = 0.06 * size
        context.lineCap = "round"
        context.lineJoin = "miter"
        context.miterLimit = 10
        context.beginPath()
        context.moveTo(0.335 * size, 0.665 * size)
        context.lineTo(0.665 * size, 0.335 * size)
        context.stroke()

        node(context, 0.335 * size, 0.665 * size)
        node(context, 0.665 * size, 0.335 * size)
    }
}
