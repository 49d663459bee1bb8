#include "GameWatcher.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

const QString gameProcessName = QStringLiteral("TransportFever3");
const QString steamAppId = QStringLiteral("3493540");

// Every place a Steam client keeps its per-account folders, for this platform.
QStringList steamUserDataDirs()
{
    const QString home = QDir::homePath();
#if defined(Q_OS_MACOS)
    return {home + QStringLiteral("/Library/Application Support/Steam/userdata")};
#elif defined(Q_OS_WIN)
    Q_UNUSED(home);
    return {QStringLiteral("C:/Program Files (x86)/Steam/userdata")};
#else
    return {
        home + QStringLiteral("/.steam/steam/userdata"),
        home + QStringLiteral("/.local/share/Steam/userdata"),
        home + QStringLiteral("/.var/app/com.valvesoftware.Steam/.local/share/Steam/userdata"),
        home + QStringLiteral("/snap/steam/common/.local/share/Steam/userdata"),
    };
#endif
}

#ifdef Q_OS_LINUX
QString readProcFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return QString::fromLocal8Bit(file.read(4096));
}

// The kernel keeps only 15 characters of a process name, so "TransportFever3Helper" shows as
// "TransportFever3". The executable's file name (or argv[0] when the link cannot be read) is whole.
bool isGameProcess(const QString &procDir)
{
    if (readProcFile(procDir + QStringLiteral("/comm")).trimmed() != gameProcessName.left(15))
        return false;
    QString executable = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    executable.remove(QStringLiteral(" (deleted)"));
    if (executable.isEmpty())
        executable = readProcFile(procDir + QStringLiteral("/cmdline")).section(QChar(0), 0, 0);
    return QFileInfo(executable).fileName() == gameProcessName;
}
#endif

} // namespace

std::optional<QString> GameWatcher::logPath()
{
    struct Candidate
    {
        QString path;
        QDateTime modified;
    };
    QList<Candidate> candidates;
    QSet<QString> seenDirs;
    for (const QString &base : steamUserDataDirs()) {
        // ~/.steam/steam is usually a link to one of the others: look at each folder once.
        const QString canonical = QFileInfo(base).canonicalFilePath();
        if (canonical.isEmpty() || seenDirs.contains(canonical))
            continue;
        seenDirs.insert(canonical);
        const QStringList accounts = QDir(base).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &account : accounts) {
            const QString path = base + u'/' + account + u'/' + steamAppId + QStringLiteral("/local/crash_dump/stdout.txt");
            const QFileInfo info(path);
            // Only a regular file can be followed without the risk of a read that never returns.
            if (!info.isFile())
                continue;
            const QDateTime modified = info.lastModified();
            if (modified.isValid())
                candidates.append({path, modified});
        }
    }
    if (candidates.isEmpty())
        return std::nullopt;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.modified > b.modified; });
    return candidates.constFirst().path;
}

bool GameWatcher::isRunning()
{
#ifdef Q_OS_LINUX
    // A /proc scan costs a fraction of a millisecond; starting pgrep costs several.
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(pids.cbegin(), pids.cend(), [](const QString &pid) {
        bool numeric = false;
        pid.toUInt(&numeric);
        return numeric && isGameProcess(QStringLiteral("/proc/") + pid);
    });
#else
    QProcess pgrep;
    pgrep.setStandardErrorFile(QProcess::nullDevice());
    pgrep.start(QStringLiteral("/usr/bin/pgrep"), {QStringLiteral("-x"), gameProcessName});
    if (!pgrep.waitForStarted())
        return false;
    pgrep.waitForFinished(-1);
    // pgrep prints one id per match; its exit status is not needed.
    return !pgrep.readAllStandardOutput().isEmpty();
#endif
}

void GameWatcher::launch()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("steam://rungameid/") + steamAppId));
}
