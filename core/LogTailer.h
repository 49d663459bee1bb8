#pragma once

#include "RegularFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Follows the game's log as it grows and hands back the payload of the newest complete
// "@CRVN@" marker line appended since the previous poll.
//
// A poll scans the append backwards from its end and reads at most a few MiB of it, however large it
// is, so the window never waits on the log. Lines are split at the byte 0x0A and decoded as UTF-8 one
// by one, so a broken line never takes a valid one with it. A line longer than the limit is ignored
// whole, also when it arrives over several polls. A log replaced by another file (rotated, or written
// anew) is read from its start.
class LogTailer
{
public:
    struct Limits
    {
        qsizetype maxLineBytes = 1024 * 1024;  // a longer line is ignored
        qint64 blockBytes = 64 * 1024;         // how much one read takes
        qint64 maxScanBytes = 4 * 1024 * 1024; // how far back from the end a poll looks at most
    };

    LogTailer() = default;
    explicit LogTailer(Limits limits) : m_limits(limits) {}

    // Follows `path` from byte `from`, or from its current end; what lies before is never reported.
    void open(const QString &path, std::optional<qint64> from = std::nullopt);
    std::optional<QString> poll();
    // Stops following; the next poll touches no file.
    void reset();
    // The file followed, if any.
    std::optional<QString> path() const { return m_path; }

private:
    void forgetUnfinishedLine();

    Limits m_limits;
    std::optional<QString> m_path;
    std::optional<FileIdentity> m_file; // which file the offset belongs to
    qint64 m_offset = 0;
    QByteArray m_carry;              // start of a line whose line feed has not arrived yet
    bool m_skippingLongLine = false; // inside a line already longer than maxLineBytes
};
