import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Shapes

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

    contentItem: Text {
        text: button.text
        font: button.font
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Shape {
        id: capsule
        readonly property real r: height / 2
        implicitWidth: button.implicitContentWidth + button.leftPadding + button.rightPadding
        implicitHeight: button.implicitContentHeight + button.topPadding + button.bottomPadding
        layer.enabled: true
        layer.samples: 4
        ShapePath {
            strokeColor: "transparent"
            fillGradient: BlueGradient { size: Qt.size(capsule.width, capsule.height) }
            startX: capsule.r
            startY: 0
            PathLine { x: capsule.width - capsule.r; y: 0 }
            PathArc { x: capsule.width - capsule.r; y: capsule.height; radiusX: capsule.r; radiusY: capsule.r }
            PathLine { x: capsule.r; y: capsule.height }
            PathArc { x: capsule.r; y: 0; radiusX: capsule.r; radiusY: capsule.r }
        }
    }
}
