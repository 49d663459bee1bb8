// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "Game.h"
#include "Presentation.h"

#include <QtQml/qqml.h>

// The application's types as QML sees them, without bringing QML into the libraries that define them.

struct AppModelForeign
{
    Q_GADGET
    QML_FOREIGN(AppModel)
    QML_NAMED_ELEMENT(AppModel)
    QML_UNCREATABLE("The application owns the one model")
};

struct PresentationForeign
{
    Q_GADGET
    QML_FOREIGN(Presentation)
    QML_NAMED_ELEMENT(Presentation)
};

struct GameForeign
{
    Q_GADGET
    QML_FOREIGN(Game)
    QML_NAMED_ELEMENT(Game)
    QML_SINGLETON
};
