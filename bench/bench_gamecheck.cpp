// Cost of one game check: the /proc scan the bridge uses on Linux, beside starting `pgrep -x` as the
// macOS build does, in the same run.

#include "GameWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

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

double microsecondsPerCall(const std::function<bool()> &check, int calls)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        check();
    return timer.nsecsElapsed() / 1e3 / calls;
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
    std::printf("/proc scan   %9.1f us per call\n", scan);
    std::printf("pgrep -x     %9.1f us per call\n", child);
    std::printf("the scan is %.0f times cheaper\n", child / scan);
}
