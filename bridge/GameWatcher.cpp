#include "GameWatcher.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <string_view>

#ifdef Q_OS_LINUX
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#endif

namespace {

constexpr std::string_view gameProcessName = "TransportFever3";
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
// Up to `size` bytes of a small /proc file, read with plain system calls: the check runs every few
// seconds over every process, and Qt's file classes would cost more than the reads themselves.
std::string_view readProcFile(int procFd, const std::string &path, char *buffer, size_t size)
{
    const int fd = ::openat(procFd, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t length = ::read(fd, buffer, size);
    ::close(fd);
    return {buffer, length > 0 ? size_t(length) : 0};
}

std::string_view fileName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The kernel keeps only 15 characters of a process name, so "TransportFever3Helper" shows as
// "TransportFever3". The executable's file name (or argv[0] when the link cannot be read) is whole.
bool isGameProcess(int procFd, const char *pid)
{
    constexpr std::string_view name = gameProcessName;
    static_assert(name.size() <= 15, "comm would hold only the first 15 characters");
    char buffer[4096];
    const std::string dir = std::string(pid) + '/';
    const std::string_view comm = readProcFile(procFd, dir + "comm", buffer, sizeof buffer);
    if (!comm.starts_with(name) || comm.substr(name.size()) != "\n")
        return false;
    const ssize_t length = ::readlinkat(procFd, (dir + "exe").c_str(), buffer, sizeof buffer);
    if (length > 0) {
        std::string_view executable(buffer, size_t(length));
        if (executable.ends_with(" (deleted)"))
            executable.remove_suffix(10);
        return fileName(executable) == name;
    }
    const std::string_view arguments = readProcFile(procFd, dir + "cmdline", buffer, sizeof buffer);
    return fileName(arguments.substr(0, arguments.find('\0'))) == name;
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
            const QString path =
                base + u'/' + account + u'/' + steamAppId + QStringLiteral("/local/crash_dump/stdout.txt");
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
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(proc)) {
        if (std::isdigit(static_cast<unsigned char>(entry->d_name[0])) &&
            isGameProcess(::dirfd(proc), entry->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
#else
    QProcess pgrep;
    pgrep.setStandardErrorFile(QProcess::nullDevice());
    pgrep.start(QStringLiteral("/usr/bin/pgrep"),
                {QStringLiteral("-x"), QLatin1StringView(gameProcessName.data(), gameProcessName.size())});
    if (!pgrep.waitForStarted())
        return false;
    pgrep.waitForFinished(-1);
    // pgrep prints one id per match; its exit status is not needed.
    return !pgrep.readAllStandardOutput().isEmpty();
#endif
}

QUrl GameWatcher::launchAddress()
{
    return QUrl(QStringLiteral("steam://rungameid/") + steamAppId);
}
