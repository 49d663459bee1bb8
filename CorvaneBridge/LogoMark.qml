import QtQuick
import QtQuick.Shapes

// The emblem: a blue disc with a white diagonal link between two ringed blue nodes. Every measure
// is a fraction of `size`, so it scales cleanly.
Shape {
    id: mark
    property real size: 38
    readonly property real s: size

    // A circle of radius r around (cx, cy), as a path of two half arcs.
    component Circle: ShapePath {
        property real cx
        property real cy
        property real r
        startX: cx - r
        startY: cy
        PathArc { x: cx + r; y: cy; radiusX: r; radiusY: r }
        PathArc { x: cx - r; y: cy; radiusX: r; radiusY: r }
    }
    component Node: Circle {
        r: 0.1 * mark.s
        fillColor: Theme.blue
        strokeColor: "white"
        strokeWidth: 0.055 * mark.s
        capStyle: ShapePath.FlatCap
        joinStyle: ShapePath.MiterJoin
        miterLimit: 10
    }

    width: size
    height: size
    implicitWidth: size
    implicitHeight: size
    layer.enabled: true
    layer.samples: 4

    Circle {
        cx: 0.5 * mark.s
        cy: 0.5 * mark.s
        r: 0.5 * mark.s
        strokeColor: "transparent"
        fillGradient: BlueGradient { size: Qt.size(mark.s, mark.s) }
    }
    ShapePath {
        strokeColor: "white"
        strokeWidth: 0.06 * mark.s
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        joinStyle: ShapePath.MiterJoin
        miterLimit: 10
        startX: 0.335 * mark.s
        startY: 0.665 * mark.s
        PathLine { x: 0.665 * mark.s; y: 0.335 * mark.s }
    }
    Node { cx: 0.335 * mark.s; cy: 0.665 * mark.s }
    Node { cx: 0.665 * mark.s; cy: 0.335 * mark.s }
}
