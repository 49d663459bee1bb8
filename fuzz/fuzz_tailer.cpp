// Feeds the tailer random appends, truncations, replacements and re-opens of a real file, and checks
// every poll against a plain forward reading of the same bytes by the marker-line rules.

#include "LogTailer.h"

#include <QChar>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

const std::string marker = "@CRVN@";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > s.size())
            return false;
        unsigned code = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c >> 6) != 2)
                return false;
            code = (code << 6) | (c & 0x3F);
        }
        const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::optional<QString> payloadOf(const std::string &line)
{
    const size_t at = line.find(marker);
    if (at == std::string::npos || !validUtf8(line))
        return std::nullopt;
    QString rest = QString::fromStdString(line.substr(at + marker.size()));
    const auto blank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    while (!rest.isEmpty() && blank(rest.front()))
        rest.remove(0, 1);
    while (!rest.isEmpty() && blank(rest.back()))
        rest.chop(1);
    return rest.isEmpty() ? std::nullopt : std::optional(rest);
}

// The rules, read forwards over the whole file content.
class Reference
{
public:
    explicit Reference(size_t maxLine) : m_maxLine(maxLine) {}

    void open(const std::string &content)
    {
        m_offset = content.size();
        m_carry.clear();
        m_skipping = false;
    }

    std::optional<QString> poll(const std::string &content)
    {
        if (content.size() < m_offset) {
            m_offset = 0;
            m_carry.clear();
            m_skipping = false;
        }
        std::optional<QString> newest;
        for (size_t i = m_offset; i < content.size(); ++i) {
            if (content[i] != '\n') {
                if (!m_skipping)
                    m_carry += content[i];
                if (m_carry.size() > m_maxLine) {
                    m_carry.clear();
                    m_skipping = true;
                }
                continue;
            }
            if (!m_skipping)
                if (auto payload = payloadOf(m_carry))
                    newest = payload;
            m_carry.clear();
            m_skipping = false;
        }
        m_offset = content.size();
        return newest;
    }

private:
    size_t m_maxLine;
    size_t m_offset = 0;
    std::string m_carry;
    bool m_skipping = false;
};

void write(const QString &path, const std::string &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content.data(), qint64(content.size())) != qint64(content.size()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    static QTemporaryDir dir(QStringLiteral("/dev/shm/corvane-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("stdout.txt"));
    const size_t maxLine = 1 + data[0] % 48;
    const qint64 block = 1 + data[1] % 16;
    LogTailer tailer({qsizetype(maxLine), block});
    Reference reference(maxLine);
    std::string content = "old line @CRVN@ {}\n";
    write(path, content);
    tailer.open(path);
    reference.open(content);

    // Then operations: a byte of kind and length, and for appends and replacements that many bytes.
    for (size_t i = 2; i < size;) {
        const uint8_t op = data[i++];
        const size_t length = std::min<size_t>(op >> 3, size - i);
        const std::string bytes(reinterpret_cast<const char *>(data + i), length);
        switch (op & 7) {
        case 0:
        case 1:
        case 2: // append, the common case
            content += bytes;
            i += length;
            write(path, content);
            break;
        case 3: // truncate
            content.resize(std::min(content.size(), length));
            write(path, content);
            break;
        case 4: // replace by other content
            content = bytes;
            i += length;
            write(path, content);
            break;
        case 5:
            tailer.open(path);
            reference.open(content);
            break;
        default: {
            const std::optional<QString> actual = tailer.poll();
            const std::optional<QString> expected = reference.poll(content);
            if (actual != expected)
                std::abort();
        }
        }
    }
    return 0;
}
