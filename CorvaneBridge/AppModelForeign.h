#pragma once

#include "AppModel.h"

#include <QtQml/qqml.h>

// Makes the bridge's model a QML type without bringing QML into the bridge library.
struct AppModelForeign
{
    Q_GADGET
    QML_FOREIGN(AppModel)
    QML_NAMED_ELEMENT(AppModel)
    QML_UNCREATABLE("The application owns the one model")
};
