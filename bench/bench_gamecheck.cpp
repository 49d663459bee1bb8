// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Cost of one game check (the /proc scan the bridge uses on Linux, beside starting `pgrep -x` as the
// macOS build does) and of one log lookup over 50 Steam accounts in 4 libraries, in the same run.

#include "GameWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

bool pgrep()
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("pgrep"), {QStringLiteral("-x"), QStringLiteral("TransportFever3")});
    process.waitForFinished(-1);
    return !process.readAllStandardOutput().isEmpty();
}

double microsecondsPerCall(const std::function<void()> &call, int calls)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        call();
    return timer.nsecsElapsed() / 1e3 / calls;
}

// A home with a Steam install whose library file lists 3 more libraries; 50 accounts in all, each
// with the game's log, spread over the native user data and the 4 libraries' Proton prefixes.
void makeSteamHome(const QDir &home)
{
    const QString prefix =
        QStringLiteral("/steamapps/compatdata/3493540/pfx/drive_c/Program Files (x86)/Steam/userdata");
    const QString root = home.filePath(QStringLiteral(".local/share/Steam"));
    QStringList userData{root + QStringLiteral("/userdata"), root + prefix};
    QByteArray vdf = "\"libraryfolders\"\n{\n";
    for (int library = 1; library <= 3; ++library) {
        const QString path = home.filePath(QStringLiteral("drive%1/SteamLibrary").arg(library));
        vdf += "\t\"" + QByteArray::number(library) + "\"\n\t{\n\t\t\"path\"\t\t\"" + path.toUtf8() +
               "\"\n\t}\n";
        userData += path + prefix;
    }
    QDir().mkpath(root + QStringLiteral("/steamapps"));
    QFile file(root + QStringLiteral("/steamapps/libraryfolders.vdf"));
    file.open(QIODevice::WriteOnly);
    file.write(vdf + "}\n");
    for (int account = 0; account < 50; ++account) {
        const QString log = QStringLiteral("%1/%2/3493540/local/crash_dump/stdout.txt")
                                .arg(userData[account % userData.size()])
                                .arg(100000 + account);
        QDir().mkpath(QFileInfo(log).path());
        QFile(log).open(QIODevice::WriteOnly);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int processes =
        int(QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs).size());
    const double scan = microsecondsPerCall(GameWatcher::isRunning, 2000);
    const double child = microsecondsPerCall(pgrep, 200);
    std::printf("processes on this machine: %d\n", processes);
    std::printf("/proc scan            %9.1f us per call\n", scan);
    std::printf("pgrep -x              %9.1f us per call (%.0f times the scan)\n", child, child / scan);

    QTemporaryDir home;
    makeSteamHome(QDir(home.path()));
    qputenv("HOME", QFile::encodeName(home.path()));
    if (!GameWatcher::lookUpLog().path)
        qFatal("the fake Steam home is not what the lookup sees");
    std::printf("log lookup, 50 accounts in 4 libraries %9.1f us per call\n",
                microsecondsPerCall([] { GameWatcher::lookUpLog(); }, 500));
}
