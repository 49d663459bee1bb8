// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "Metrics.h"

#include "Int64.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#if defined(Q_OS_MACOS) || defined(Q_OS_IOS)
#include <xlocale.h>
#endif

namespace {

// Qt sets the process locale from the environment, so plain strtod would read "1,5" in a German
// session. The game writes C-locale numbers whatever the player's language is.
double strtodC(const char *text, char **end)
{
#ifdef Q_OS_WIN
    static const _locale_t c = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, end, c);
#else
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return strtod_l(text, end, c);
#endif
}

std::optional<double> parseNumber(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    switch (text.front().unicode()) {
    case u'\0':
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case u' ':
        return std::nullopt;
    }
    const QByteArray bytes = text.toUtf8();
    char *end = nullptr;
    const double value = strtodC(bytes.constData(), &end);
    // An embedded NUL stops the conversion early, so this also rejects "1\0junk".
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

std::optional<double> number(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isDouble())
        return value.toDouble();
    if (value.isString())
        return parseNumber(value.toString());
    return std::nullopt;
}

// Truncated toward zero; absent when not finite or outside the 64-bit range.
std::optional<qint64> count(std::optional<double> value)
{
    return value ? exactInt64(std::trunc(*value)) : std::nullopt;
}

} // namespace

std::optional<Metrics> Metrics::from(const QJsonObject &object)
{
    Metrics m;
    m.balance = number(object, QLatin1StringView("balance"));
    m.earnings = number(object, QLatin1StringView("earnings"));
    m.lines = count(number(object, QLatin1StringView("lines")));
    m.onTime = number(object, QLatin1StringView("onTime"));
    m.vehicles = count(number(object, QLatin1StringView("vehicles")));
    if (const QJsonValue date = object.value(QLatin1StringView("date")); date.isString())
        m.date = date.toString();
    if (!m.balance && !m.lines && !m.date)
        return std::nullopt;
    return m;
}

std::optional<Metrics> Metrics::fromPayload(const QString &payload)
{
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8());
    if (!document.isObject())
        return std::nullopt;
    return from(document.object());
}
