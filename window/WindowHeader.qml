// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

import QtQuick
import QtQuick.Layouts

// The logo and the product's name, in every language.
RowLayout {
    spacing: 12
    Layout.bottomMargin: 2
    LogoMark {
        objectName: "logo"
        size: 38
    }
    Column {
        spacing: 1
        Text {
            text: "Corvane"
            font.pixelSize: 18
            font.weight: Font.DemiBold
            color: Theme.text
        }
        Text {
            text: "Bridge"
            font.pixelSize: 13
            color: Theme.text3
        }
    }
    Item { Layout.fillWidth: true }
}
