// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick

// Where the keyboard is: a ring in Theme.blue just outside a control that has the focus from the
// keyboard. Shown only for keyboard focus (the control's visualFocus), never after a click.
Rectangle {
    anchors.fill: parent
    anchors.margins: -3
    color: "transparent"
    border.width: 2
    border.color: Theme.blue
}
