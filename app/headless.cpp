// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "AppIdentity.h"
#include "HeadlessBridge.h"
#include "TerminationSignals.h"

#include <QCoreApplication>

#include <cstdio>

// The model and its sync cycle with no window, tray or display, as a service of the player's session.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    Presentation::useThePlayersLanguage();
    quitOnTerminationSignals();
    SingleInstance instance(SingleInstance::foldersOfThisUser());
    HeadlessBridge bridge(instance);
    switch (instance.claim(SingleInstance::Request::headless)) {
    case SingleInstance::Claim::ours:
        bridge.sync();
        break;
    case SingleInstance::Claim::waiting:
        bridge.wait();
        break;
    case SingleInstance::Claim::forwarded:
        std::fprintf(
            stderr, "%s\n",
            qPrintable(
                QCoreApplication::translate("main", "%1 already runs headless").arg(AppIdentity::name())));
        return EXIT_SUCCESS;
    case SingleInstance::Claim::unanswered:
        return EXIT_FAILURE;
    }
    return app.exec();
}
