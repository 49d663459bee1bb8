// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Time and peak memory of one poll over a large append with a marker line near its end, beside a
// poll that reads the whole append at once and decodes it (the naive way), in the same run.
//
//   bench_logtailer            runs every case, each in a child process so peak memory is its own
//   bench_logtailer CASE BYTES one case: CASE is "tailer" or "readall"

#include "LogTailer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

const QByteArray tail =
    "\nsome game output\n@CRVN@ {\"balance\":1500.25,\"lines\":12,\"date\":\"3 Mar 1923\"}\nmore output\n";

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The naive poll: one read of the whole append, decoded at once, split into lines.
std::optional<QString> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    std::optional<QString> payload;
    for (const QString &line : lines) {
        if (const qsizetype at = line.indexOf(QLatin1StringView("@CRVN@")); at >= 0)
            payload = line.mid(at + 6).trimmed();
    }
    return payload;
}

int runCase(const QString &which, qint64 bytes)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX")); // on disk, not tmpfs
    const QString path = dir.filePath(QStringLiteral("stdout.txt"));
    QList<qint64> nanoseconds;
    std::optional<QString> payload;
    const long baseline = peakResidentKiB();
    for (int round = 0; round < 5; ++round) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        LogTailer tailer;
        tailer.open(path);
        file.resize(bytes - tail.size()); // sparse: the append costs no disk writes
        file.seek(bytes - tail.size());
        file.write(tail);
        file.close();

        QElapsedTimer timer;
        timer.start();
        payload = which == QLatin1StringView("tailer") ? tailer.poll() : readAll(path);
        nanoseconds.append(timer.nsecsElapsed());
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    std::printf("%-8s %10lld MiB   median %10.3f ms   peak RSS +%8.1f MiB   %s\n", qPrintable(which),
                bytes >> 20, nanoseconds[2] / 1e6, (peakResidentKiB() - baseline) / 1024.0,
                payload ? "found the marker line" : "MISSED the marker line");
    return payload ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3)
        return runCase(args[1], args[2].toLongLong());

    int failures = 0;
    for (const qint64 mib : {1, 64, 1024}) {
        for (const char *which : {"tailer", "readall"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(app.applicationFilePath(), {QString::fromLatin1(which), QString::number(mib << 20)});
            child.waitForFinished(-1);
            failures += child.exitCode() != 0;
        }
    }
    return failures;
}
