// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "SteamLibraries.h"

#include "RegularFile.h"

#include <QFile>

namespace {

constexpr qint64 maxFileBytes = 1024 * 1024;
constexpr int maxDepth = 32; // real files nest three levels deep

// Splits the text into braces and strings. Reads nothing it cannot make sense of.
class Tokenizer
{
public:
    enum class Token { open, close, string, end, broken };

    explicit Tokenizer(QByteArrayView text) : m_text(text) {}

    Token next()
    {
        skipBlanksAndComments();
        if (m_at == m_text.size())
            return Token::end;
        switch (m_text[m_at++]) {
        case '{':
            return Token::open;
        case '}':
            return Token::close;
        case '"':
            return readString() ? Token::string : Token::broken;
        default:
            return Token::broken;
        }
    }

    const QByteArray &string() const { return m_string; }

private:
    void skipBlanksAndComments()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                ++m_at;
            else if (m_text.sliced(m_at).startsWith("//"))
                while (m_at < m_text.size() && m_text[m_at] != '\n')
                    ++m_at;
            else
                return;
        }
    }

    bool readString()
    {
        m_string.clear();
        while (m_at < m_text.size()) {
            char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (c == '\\' && m_at < m_text.size()) {
                c = m_text[m_at++];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            m_string += c;
        }
        return false;
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
    QByteArray m_string;
};

bool isNumber(const QByteArray &key)
{
    return !key.isEmpty() && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<QStringList> SteamLibraries::parse(QByteArrayView text)
{
    if (text.contains('\0'))
        return std::nullopt;
    Tokenizer tokens(text);
    QStringList libraries;
    int depth = 0;
    using Token = Tokenizer::Token;
    for (Token token = tokens.next(); token != Token::end; token = tokens.next()) {
        if (token == Token::close && depth > 0) {
            --depth;
            continue;
        }
        if (token != Token::string)
            return std::nullopt;
        const QByteArray key = tokens.string();
        const Token value = tokens.next();
        if (value == Token::open) {
            if (++depth > maxDepth)
                return std::nullopt;
        } else if (value != Token::string) {
            return std::nullopt;
        } else if ((depth == 2 && key.compare("path", Qt::CaseInsensitive) == 0) ||
                   (depth == 1 && isNumber(key))) {
            libraries += QString::fromUtf8(tokens.string());
        }
    }
    if (depth != 0)
        return std::nullopt;
    return libraries;
}

QStringList SteamLibraries::read(const QString &vdfFile)
{
    QFile file;
    if (!openRegularFile(file, vdfFile) || file.size() > maxFileBytes)
        return {};
    return parse(file.read(maxFileBytes + 1)).value_or(QStringList());
}
