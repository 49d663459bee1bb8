// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "GameWatcher.h"

#include "SteamLibraries.h"

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

using namespace Qt::StringLiterals;

#ifdef Q_OS_LINUX
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#endif

namespace {

constexpr std::string_view gameProcessName = "TransportFever3";
constexpr std::string_view windowsExecutable = "TransportFever3.exe";
const QString logBelowAccount =
    u'/' + QLatin1StringView(GameWatcher::steamAppId) + "/local/crash_dump/stdout.txt"_L1;

// Where Steam clients keep their data on this platform: each has a user-data folder and a list of
// libraries.
QStringList steamRoots()
{
    const QString home = QDir::homePath();
#if defined(Q_OS_MACOS)
    return {home + "/Library/Application Support/Steam"_L1};
#elif defined(Q_OS_WIN)
    Q_UNUSED(home);
    return {u"C:/Program Files (x86)/Steam"_s};
#else
    return {
        home + "/.steam/steam"_L1, // usually a link to one of the others
        home + "/.local/share/Steam"_L1,
        home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam"_L1,
        home + "/snap/steam/common/.local/share/Steam"_L1,
    };
#endif
}

// The folder a Windows build of the game, under Proton, keeps its Steam user data in.
QString protonUserData(const QString &library)
{
    return library + "/steamapps/compatdata/"_L1 + QLatin1StringView(GameWatcher::steamAppId) +
           "/pfx/drive_c/Program Files (x86)/Steam/userdata"_L1;
}

// Collects folders, each once however it is reached (links, repeated entries).
class FolderSet
{
public:
    bool add(const QString &folder)
    {
        const QString canonical = QFileInfo(folder).canonicalFilePath(); // empty while it does not exist
        const QString key = canonical.isEmpty() ? folder : canonical;
        if (m_seen.contains(key))
            return false;
        m_seen.insert(key);
        return true;
    }

private:
    QSet<QString> m_seen;
};

// Every Steam user-data folder that may hold the game's log: each install's own, and the Proton
// prefix's in each of its libraries.
QStringList userDataFolders()
{
    QStringList folders;
    FolderSet roots, libraries, userData;
    for (const QString &root : steamRoots()) {
        if (!roots.add(root))
            continue;
        if (userData.add(root + "/userdata"_L1))
            folders += root + "/userdata"_L1;
        const QStringList listed = SteamLibraries::read(root + "/steamapps/libraryfolders.vdf"_L1);
        for (const QString &library : QStringList{root} + listed) {
            if (libraries.add(library) && userData.add(protonUserData(library)))
                folders += protonUserData(library);
        }
    }
    return folders;
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

// The last component of `path`, split at any of `separators`.
std::string_view fileName(std::string_view path, std::string_view separators)
{
    const size_t slash = path.find_last_of(separators);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Windows file names are compared as Windows does for ASCII, "TRANSPORTFEVER3.EXE" included.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The kernel keeps only 15 characters of a process name, so "TransportFever3Helper" shows as
// "TransportFever3" too; the whole name is the executable's file name. Under Proton the executable is
// Wine's loader and the game is named by its first argument, a Windows path.
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
    std::string_view executable(buffer, size_t(std::max<ssize_t>(length, 0)));
    if (executable.ends_with(" (deleted)"))
        executable.remove_suffix(10);
    if (fileName(executable, "/") == name)
        return true;
    const bool exeUnknown = length <= 0;
    const std::string_view arguments = readProcFile(procFd, dir + "cmdline", buffer, sizeof buffer);
    const std::string_view program = fileName(arguments.substr(0, arguments.find('\0')), "/\\");
    return equalsIgnoringAsciiCase(program, windowsExecutable) || (exeUnknown && program == name);
}
#endif

} // namespace

GameWatcher::LogLookup GameWatcher::lookUpLog()
{
    struct Candidate
    {
        QString path;
        QDateTime modified;
        qint64 size;
    };
    QList<Candidate> candidates;
    const QStringList folders = userDataFolders();
    for (const QString &userData : folders) {
        const QStringList accounts = QDir(userData).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &account : accounts) {
            const QString path = userData + u'/' + account + logBelowAccount;
            const QFileInfo info(path);
            // Only a regular file can be followed without the risk of a read that never returns.
            if (!info.isFile())
                continue;
            const QDateTime modified = info.lastModified();
            if (modified.isValid())
                candidates.append({path, modified, info.size()});
        }
    }
    // The first of the newest, so equal times keep the listing order.
    const auto newest =
        std::max_element(candidates.cbegin(), candidates.cend(),
                         [](const Candidate &a, const Candidate &b) { return a.modified < b.modified; });
    if (newest == candidates.cend())
        return {std::nullopt, folders};
    return {newest->path, folders, newest->size};
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
    return QUrl("steam://rungameid/"_L1 + QLatin1StringView(steamAppId));
}
