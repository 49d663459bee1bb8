// The window module's entry point: the application loads this module when it first needs a window.
#include "WindowGroup.h"

extern "C" Q_DECL_EXPORT Windows *corvaneCreateWindows(AppModel &model, QObject *parent)
{
    static_assert(std::is_same_v<decltype(&corvaneCreateWindows), CreateWindows>);
    return new WindowGroup(model, parent);
}
