// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick

// One line, told to screen readers; texts from the game or the dashboard can be long and are cut at
// the window's edge.
Text {
    font.pointSize: Theme.points(12.5, Screen.logicalPixelDensity)
    color: Theme.text2
    elide: Text.ElideRight
    maximumLineCount: 1
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
