#include "WindowPlugin.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

WindowSet *loadWindows(AppModel &model, QObject *parent)
{
    const QDir here(QCoreApplication::applicationDirPath());
    QStringList errors;
    for (const QString &folder : {here.path(), here.filePath(QStringLiteral(CORVANE_PRIVATE_DIR_FROM_BIN))}) {
        QPluginLoader loader(folder + QStringLiteral("/corvane-bridge-window"));
        if (auto *plugin = qobject_cast<WindowPlugin *>(loader.instance()))
            return plugin->createWindows(model, parent);
        errors << loader.errorString();
    }
    qCCritical(lcBridge).noquote() << "cannot load the window plugin:" << errors.join(u'\n');
    return nullptr;
}
