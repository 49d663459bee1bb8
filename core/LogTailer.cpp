// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "LogTailer.h"

#include <QStringDecoder>

namespace {

const QByteArray marker = QByteArrayLiteral("@CRVN@");

bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

std::optional<QString> markerPayload(QByteArrayView line)
{
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(line);
    if (utf8.hasError())
        return std::nullopt;
    QStringView rest = QStringView(text).sliced(text.indexOf(QLatin1StringView(marker)) + marker.size());
    while (!rest.isEmpty() && isBlank(rest.front()))
        rest = rest.sliced(1);
    while (!rest.isEmpty() && isBlank(rest.back()))
        rest.chop(1);
    if (rest.isEmpty())
        return std::nullopt;
    return rest.toString();
}

} // namespace

void LogTailer::open(const QString &path, std::optional<qint64> from)
{
    m_path = path;
    forgetUnfinishedLine();
    QFile file;
    m_file = openRegularFile(file, path);
    m_offset = m_file ? from.value_or(file.size()) : 0;
}

void LogTailer::forgetUnfinishedLine()
{
    m_carry.clear();
    m_carryTooLong = false;
}

void LogTailer::reset()
{
    m_path.reset();
    m_file.reset();
    m_offset = 0;
    forgetUnfinishedLine();
}

std::optional<QString> LogTailer::poll()
{
    if (!m_path)
        return std::nullopt;
    QFile file;
    const std::optional<FileIdentity> identity = openRegularFile(file, *m_path);
    if (!identity)
        return std::nullopt;
    const qint64 size = file.size();
    // Truncated, or another file now: read it from its start, with nothing carried over.
    if (size < m_offset || (m_file && *m_file != *identity)) {
        m_offset = 0;
        forgetUnfinishedLine();
    }
    m_file = identity;
    if (m_offset >= size)
        return std::nullopt;

    // Of a longer append only the end is read; the line the read starts inside counts as too long.
    const qint64 readFrom = std::max(m_offset, size - m_limits.maxScanBytes);
    if (!file.seek(readFrom))
        return std::nullopt;
    const QByteArray appended = file.read(size - readFrom);
    if (appended.size() != size - readFrom) // it shrank while we read; the next poll starts over
        return std::nullopt;
    const bool firstLineTooLong = m_carryTooLong || readFrom > m_offset;
    const QByteArray bytes = m_carry + appended;

    // What follows the last line feed is the start of the next line, or more of the unfinished one.
    const qsizetype lineEnd = bytes.lastIndexOf('\n') + 1;
    m_carryTooLong = (lineEnd == 0 && firstLineTooLong) || bytes.size() - lineEnd > m_limits.maxLineBytes;
    m_carry = m_carryTooLong ? QByteArray() : bytes.sliced(lineEnd);
    m_offset = size;
    return newestPayload(QByteArrayView(bytes).first(lineEnd), firstLineTooLong);
}

// The payload of the last marker line among `lines`, each ended by a line feed, taken from the end.
std::optional<QString> LogTailer::newestPayload(QByteArrayView lines, bool firstLineTooLong) const
{
    while (!lines.isEmpty()) {
        lines.chop(1); // its line feed
        // An empty view is not searched: Qt 6.8 would look at the byte where it starts, the feed
        // just chopped, and find it.
        const qsizetype start = lines.isEmpty() ? 0 : lines.lastIndexOf('\n') + 1;
        const QByteArrayView line = lines.sliced(start);
        const bool tooLong = line.size() > m_limits.maxLineBytes || (start == 0 && firstLineTooLong);
        if (!tooLong) {
            if (std::optional<QString> payload = markerPayload(line))
                return payload;
        }
        lines.truncate(start);
    }
    return std::nullopt;
}
