// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "RegularFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Follows the game's log as it grows and hands back the payload of the newest complete
// "@CRVN@" marker line appended since the previous poll.
//
// A poll reads the append in one read, of its last 64 KiB at most however large it is, so the window
// never waits on the log. Lines are split at the byte 0x0A and decoded as UTF-8 one by one, so a broken
// line never takes a valid one with it. A line longer than the limit is ignored whole, also when it
// arrives over several polls. A log replaced by another file (rotated, or written anew) is read from
// its start.
class LogTailer
{
public:
    struct Limits
    {
        qsizetype maxLineBytes = 32 * 1024; // a longer line is ignored
        qint64 maxScanBytes = 64 * 1024;    // how far back from the end a poll reads at most
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
    std::optional<QString> newestPayload(QByteArrayView lines, bool firstLineTooLong) const;

    Limits m_limits;
    std::optional<QString> m_path;
    std::optional<FileIdentity> m_file; // which file the offset belongs to
    qint64 m_offset = 0;
    // The line whose line feed has not arrived yet: its bytes so far, or none once it is longer than
    // maxLineBytes, and then it is skipped whole.
    QByteArray m_carry;
    bool m_carryTooLong = false;
};
