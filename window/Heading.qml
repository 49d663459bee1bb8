// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick

// A card's title, a heading to screen readers.
Text {
    font.pixelSize: 15
    font.weight: Font.DemiBold
    color: Theme.text
    Accessible.role: Accessible.Heading
    Accessible.name: text
}
