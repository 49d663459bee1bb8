import QtQuick
import QtQuick.Shapes

// Theme.blueGrad across a box of `size`, diagonally from its top-left to its bottom-right corner.
LinearGradient {
    property size size
    x1: 0
    y1: 0
    x2: size.width
    y2: size.height
    stops: Theme.blueGrad
}
