// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <optional>

// The live figures the game mod reports in one payload. Every field is optional: absent means the
// payload gave no usable value for it.
//
// Choices for values the game should never send:
// - "lines"/"vehicles" that are not finite or whose whole part lies outside the 64-bit range: that
//   field is absent, the rest of the record still counts.
// - JSON true/false: not a number, so the field is absent.
// - A JSON number beyond double range makes the whole payload invalid JSON (no record). A numeric
//   string beyond double range reads as the C conversion gives it, that is plus or minus infinity.
// - Duplicate keys: the last one wins.
struct Metrics
{
    std::optional<double> balance = {};
    std::optional<double> earnings = {};
    std::optional<qint64> lines = {};
    std::optional<double> onTime = {};
    std::optional<qint64> vehicles = {};
    std::optional<QString> date = {};

    // Absent unless at least one of "balance", "lines" and "date" is usable.
    static std::optional<Metrics> from(const QJsonObject &object);
    // Strict JSON; absent unless the top level is an object that yields a record.
    static std::optional<Metrics> fromPayload(const QString &payload);

    friend bool operator==(const Metrics &, const Metrics &) = default;
};

Q_DECLARE_METATYPE(Metrics)
