#include "LogTailer.h"

#include "RegularFile.h"

#include <QStringDecoder>

namespace {

const QByteArray marker = QByteArrayLiteral("@CRVN@");

// Reads the region [begin, end of file) backwards in blocks, keeping the block it read last. A read
// that comes back short means the file shrank under us; the reader then only records the failure.
class RegionReader
{
public:
    RegionReader(QFile &file, qint64 begin, qint64 blockBytes)
        : m_file(file), m_begin(begin), m_blockBytes(blockBytes)
    {}

    qint64 begin() const { return m_begin; }
    bool failed() const { return m_failed; }

    // Position of the last line feed in [begin, end), or -1 when there is none.
    qint64 lastNewlineBefore(qint64 end)
    {
        for (qint64 pos = end; pos > m_begin && !m_failed;) {
            if (!(m_blockStart < pos && pos <= m_blockStart + m_block.size()))
                load(std::max(m_begin, pos - m_blockBytes), pos);
            const qsizetype found = m_block.lastIndexOf('\n', pos - m_blockStart - 1);
            if (found >= 0)
                return m_blockStart + found;
            pos = m_blockStart;
        }
        return -1;
    }

    QByteArray bytes(qint64 from, qint64 to)
    {
        if (m_blockStart <= from && to <= m_blockStart + m_block.size())
            return m_block.mid(from - m_blockStart, to - from);
        QByteArray data;
        if (!m_failed && m_file.seek(from))
            data = m_file.read(to - from);
        m_failed = m_failed || data.size() != to - from;
        return data;
    }

private:
    void load(qint64 from, qint64 to)
    {
        m_block.clear();
        m_blockStart = from;
        m_block = bytes(from, to);
    }

    QFile &m_file;
    const qint64 m_begin;
    const qint64 m_blockBytes;
    qint64 m_blockStart = 0;
    QByteArray m_block;
    bool m_failed = false;
};

bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

std::optional<QString> markerPayload(const QByteArray &line)
{
    if (!line.contains(marker))
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

// Walks the complete lines of the region from the last one back, and returns the first marker payload
// found. The first line of the region continues `carry`, the unfinished line of the previous poll.
std::optional<QString> newestPayload(RegionReader &reader, qint64 lastNewline, const QByteArray &carry,
                                     bool carryIsLongLine, qsizetype maxLineBytes)
{
    for (qint64 lineEnd = lastNewline; !reader.failed();) {
        const qint64 previous = reader.lastNewlineBefore(lineEnd);
        const bool firstLine = previous < reader.begin();
        const qint64 start = firstLine ? reader.begin() : previous + 1;
        const QByteArray prefix = firstLine ? carry : QByteArray();
        const bool tooLong =
            (firstLine && carryIsLongLine) || prefix.size() + (lineEnd - start) > maxLineBytes;
        if (!tooLong) {
            if (auto payload = markerPayload(prefix + reader.bytes(start, lineEnd)))
                return payload;
        }
        if (firstLine)
            break;
        lineEnd = previous;
    }
    return std::nullopt;
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
    m_skippingLongLine = false;
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

    // An append beyond the scan is never read; the line it cuts counts as over-long.
    const qint64 scanStart = std::max(m_offset, size - m_limits.maxScanBytes);
    const bool scanCutsALine = scanStart > m_offset;
    RegionReader reader(file, scanStart, m_limits.blockBytes);
    const qint64 lastNewline = reader.lastNewlineBefore(size);
    const bool lineEnded = lastNewline >= scanStart;

    // The bytes after the last line feed start the next unfinished line, or extend the current one.
    const qint64 tailStart = lineEnded ? lastNewline + 1 : m_offset;
    QByteArray carry = lineEnded ? QByteArray() : m_carry;
    bool skipping = !lineEnded && m_skippingLongLine;
    if (skipping || carry.size() + (size - tailStart) > m_limits.maxLineBytes) {
        carry.clear();
        skipping = true;
    } else {
        carry += reader.bytes(tailStart, size);
    }

    std::optional<QString> payload;
    if (lineEnded)
        payload = newestPayload(reader, lastNewline, m_carry, m_skippingLongLine || scanCutsALine,
                                m_limits.maxLineBytes);
    if (reader.failed()) // the file shrank while we read it; the next poll starts over from its start
        return std::nullopt;
    m_offset = size;
    m_carry = carry;
    m_skippingLongLine = skipping;
    return payload;
}
